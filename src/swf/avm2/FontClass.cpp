// flash.text.Font: a font of the movie, made by a class its symbol is bound to or listed by
// enumerateFonts (the movie's embedded fonts and those registered with registerFont).
#include <algorithm>

#include "swf/avm2/NativeSupport.h"
#include "swf/avm2/TextClasses.h"
#include "swf/display/MovieContext.h"
#include "swf/text/FontCharacter.h"
#include "swf/text/TextDecoding.h"

namespace swf::avm2 {

namespace {

// An instance of flash.text.Font; the font lives in the movie's dictionary, which outlives
// the machine.
class FontObject : public Object {
  public:
    using Object::Object;
    const FontCharacter* font = nullptr;
};

const FontCharacter& fontOf(Machine& m, const Value& self) {
    const FontCharacter* font = nativeSelf<FontObject>(m, self).font;
    if (!font) m.throwError("ArgumentError", 2012, "Font class can't be instantiated.");
    return *font;
}

// The font a class is bound to by the movie's SymbolClass, if any.
const FontCharacter* boundFont(Machine& m, const ClassObject& cls) {
    uint16_t symbol = bridgeOf(m).symbolBoundTo(cls);
    return symbol ? bridgeOf(m).context().dictionary().findAs<FontCharacter>(symbol) : nullptr;
}

Value newFont(Machine& m, ClassObject* cls, const FontCharacter* font) {
    auto* object = m.heap().make<FontObject>(cls, cls->prototype);
    object->setTraits(cls->instanceTraits.get());
    object->setDynamic(false);
    object->font = font;
    return Value::object(object);
}

const char* styleName(const FontCharacter& font) {
    if (font.bold() && font.italic()) return "boldItalic";
    if (font.bold()) return "bold";
    return font.italic() ? "italic" : "regular";
}

// Fonts registerFont added, per machine, in the order they came.
struct RegisteredFonts {
    std::vector<const FontCharacter*> fonts;
};

}  // namespace

void installFontClass(Machine& m) {
    ClassObject* cls = m.defineClass("flash.text", "Font", m.builtins().object);
    cls->sealed = true;
    cls->allocate = [](Machine& m, ClassObject* type) -> Object* {
        auto* object = m.heap().make<FontObject>(type, type->prototype);
        object->font = boundFont(m, *type);
        return object;
    };
    m.defineAccessor(cls, "fontName", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(fontOf(m, self).name());
    });
    m.defineAccessor(cls, "fontStyle", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(styleName(fontOf(m, self)));
    });
    m.defineAccessor(cls, "fontType", [](Machine& m, const Value& self, std::span<const Value>) {
        fontOf(m, self);
        // DefineFont4's fonts would be "embeddedCFF"; the engine reads DefineFont to DefineFont3.
        return Value::string("embedded");
    });
    defineNativeMethod(m, cls, "hasGlyphs", [](Machine& m, const Value& self, std::span<const Value> args) {
        const FontCharacter& font = fontOf(m, self);
        std::u32string text = DecodeMovieText(m.toString(argAt(args, 0)));
        return Value::boolean(std::all_of(text.begin(), text.end(), [&](char32_t c) { return font.glyphFor(c).has_value(); }));
    }, 1);
    auto registered = std::make_shared<RegisteredFonts>();
    Binding enumerate;
    enumerate.kind = Binding::Kind::Method;
    enumerate.method = m.newNative([cls, registered](Machine& m, const Value&, std::span<const Value>) {
        // The movie's embedded fonts (named, with the layout embedding gives them) and those
        // registered, by name.
        std::vector<const FontCharacter*> listed = registered->fonts;
        bridgeOf(m).context().dictionary().forEach([&](const Character& character) {
            const auto* font = dynamic_cast<const FontCharacter*>(&character);
            if (font && font->flagsLayout() && !font->name().empty() && std::find(listed.begin(), listed.end(), font) == listed.end())
                listed.push_back(font);
        });
        std::stable_sort(listed.begin(), listed.end(), [](const FontCharacter* a, const FontCharacter* b) { return a->name() < b->name(); });
        std::vector<Value> fonts;
        for (const FontCharacter* font : listed) fonts.push_back(newFont(m, cls, font));
        return Value::object(m.newArray(std::move(fonts)));
    });
    cls->classTraits->bind(m.namespaces().publicNs(), "enumerateFonts", enumerate);
    Binding registerFont;
    registerFont.kind = Binding::Kind::Method;
    registerFont.method = m.newNative([cls, registered](Machine& m, const Value&, std::span<const Value> args) {
        ClassObject* font = argAt(args, 0).asObject() ? argAt(args, 0).asObject()->asClass() : nullptr;
        if (!font || !font->isSubclassOf(cls))
            m.throwError("ArgumentError", 1508, "The value specified for argument font is invalid.");
        const FontCharacter* character = boundFont(m, *font);
        if (character && std::find(registered->fonts.begin(), registered->fonts.end(), character) == registered->fonts.end())
            registered->fonts.push_back(character);
        return Value();
    }, 1);
    cls->classTraits->bind(m.namespaces().publicNs(), "registerFont", registerFont);
}

}  // namespace swf::avm2
