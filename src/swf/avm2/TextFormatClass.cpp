// flash.text.TextFormat and the constant classes of flash.text. A TextFormat holds the
// engine's text format, every attribute of which may be unset (null to scripts).
#include <cmath>

#include "swf/avm2/NativeSupport.h"
#include "swf/avm2/TextClasses.h"

namespace swf::avm2 {

namespace {

constexpr uint32_t kMaxTabStops = 1024;

Value optionalNumber(const std::optional<double>& n) {
    return n ? Value::number(*n) : Value::null();
}

Value optionalBool(const std::optional<bool>& b) {
    return b ? Value::boolean(*b) : Value::null();
}

Value optionalString(const std::optional<std::string>& s) {
    return s ? Value::string(*s) : Value::null();
}

// Whole-number attributes are stored as ints.
std::optional<double> wholeNumber(Machine& m, const Value& v) {
    if (v.isNull() || v.isUndefined()) return std::nullopt;
    return static_cast<double>(m.toInt(v));
}

std::optional<bool> boolAttribute(const Value& v) {
    if (v.isNull() || v.isUndefined()) return std::nullopt;
    return Machine::toBoolean(v);
}

std::optional<std::string> stringAttribute(Machine& m, const Value& v) {
    if (v.isNull() || v.isUndefined()) return std::nullopt;
    return m.toString(v);
}

using Read = Value (*)(Machine&, const TextFormat&);
using Write = void (*)(Machine&, TextFormat&, const Value&);

struct Attribute {
    const char* name;
    Read read;
    Write write;
};

// In the constructor's order first.
const Attribute kAttributes[] = {
    {"font", [](Machine&, const TextFormat& f) { return optionalString(f.font); },
     [](Machine& m, TextFormat& f, const Value& v) { f.font = stringAttribute(m, v); }},
    {"size", [](Machine&, const TextFormat& f) { return optionalNumber(f.size); },
     [](Machine& m, TextFormat& f, const Value& v) { f.size = wholeNumber(m, v); }},
    {"color", [](Machine&, const TextFormat& f) { return f.color ? Value::number(*f.color) : Value::null(); },
     [](Machine& m, TextFormat& f, const Value& v) {
         if (v.isNull() || v.isUndefined())
             f.color.reset();
         else
             f.color = m.toUint(v);
     }},
    {"bold", [](Machine&, const TextFormat& f) { return optionalBool(f.bold); },
     [](Machine&, TextFormat& f, const Value& v) { f.bold = boolAttribute(v); }},
    {"italic", [](Machine&, const TextFormat& f) { return optionalBool(f.italic); },
     [](Machine&, TextFormat& f, const Value& v) { f.italic = boolAttribute(v); }},
    {"underline", [](Machine&, const TextFormat& f) { return optionalBool(f.underline); },
     [](Machine&, TextFormat& f, const Value& v) { f.underline = boolAttribute(v); }},
    {"url", [](Machine&, const TextFormat& f) { return optionalString(f.url); },
     [](Machine& m, TextFormat& f, const Value& v) { f.url = stringAttribute(m, v); }},
    {"target", [](Machine&, const TextFormat& f) { return optionalString(f.target); },
     [](Machine& m, TextFormat& f, const Value& v) { f.target = stringAttribute(m, v); }},
    {"align", [](Machine&, const TextFormat& f) { return f.align ? Value::string(alignName(*f.align)) : Value::null(); },
     [](Machine& m, TextFormat& f, const Value& v) {
         if (v.isNull() || v.isUndefined()) {
             f.align.reset();
             return;
         }
         std::string name = m.toString(v);
         for (TextAlign a : {TextAlign::Left, TextAlign::Center, TextAlign::Right, TextAlign::Justify})
             if (name == alignName(a)) {
                 f.align = a;
                 return;
             }
         m.throwError("ArgumentError", 2008, "Parameter align must be one of the accepted values.");
     }},
    {"leftMargin", [](Machine&, const TextFormat& f) { return optionalNumber(f.leftMargin); },
     [](Machine& m, TextFormat& f, const Value& v) { f.leftMargin = wholeNumber(m, v); }},
    {"rightMargin", [](Machine&, const TextFormat& f) { return optionalNumber(f.rightMargin); },
     [](Machine& m, TextFormat& f, const Value& v) { f.rightMargin = wholeNumber(m, v); }},
    {"indent", [](Machine&, const TextFormat& f) { return optionalNumber(f.indent); },
     [](Machine& m, TextFormat& f, const Value& v) { f.indent = wholeNumber(m, v); }},
    {"leading", [](Machine&, const TextFormat& f) { return optionalNumber(f.leading); },
     [](Machine& m, TextFormat& f, const Value& v) { f.leading = wholeNumber(m, v); }},
    {"blockIndent", [](Machine&, const TextFormat& f) { return optionalNumber(f.blockIndent); },
     [](Machine& m, TextFormat& f, const Value& v) { f.blockIndent = wholeNumber(m, v); }},
    {"tabStops",
     [](Machine& m, const TextFormat& f) {
         if (!f.tabStops) return Value::null();
         std::vector<Value> stops;
         for (double stop : *f.tabStops) stops.push_back(Value::number(stop));
         return Value::object(m.newArray(std::move(stops)));
     },
     [](Machine& m, TextFormat& f, const Value& v) {
         if (!v.isObject()) {
             f.tabStops.reset();
             return;
         }
         Name length = Name::qualified(m.namespaces().publicNs(), "length");
         uint32_t count = std::min(m.toUint(m.getProperty(v, length)), kMaxTabStops);
         std::vector<double> stops;
         for (uint32_t i = 0; i < count; ++i)
             stops.push_back(m.toInt(m.getProperty(v, Name::qualified(m.namespaces().publicNs(), std::to_string(i)))));
         f.tabStops = std::move(stops);
     }},
    {"bullet", [](Machine&, const TextFormat& f) { return optionalBool(f.bullet); },
     [](Machine&, TextFormat& f, const Value& v) { f.bullet = boolAttribute(v); }},
    {"kerning", [](Machine&, const TextFormat& f) { return optionalBool(f.kerning); },
     [](Machine&, TextFormat& f, const Value& v) { f.kerning = boolAttribute(v); }},
    {"letterSpacing", [](Machine&, const TextFormat& f) { return optionalNumber(f.letterSpacing); },
     [](Machine& m, TextFormat& f, const Value& v) {
         f.letterSpacing = v.isNull() || v.isUndefined() ? std::nullopt : std::optional<double>(m.toNumber(v));
     }},
    {"display", [](Machine&, const TextFormat& f) { return Value::string(f.display); },
     [](Machine& m, TextFormat& f, const Value& v) {
         std::string name = v.isNull() || v.isUndefined() ? std::string() : m.toString(v);
         f.display = name == "inline" || name == "none" ? name : "block";
     }},
};

constexpr size_t kConstructorArguments = 13;

void installTextFormat(Machine& m) {
    ClassObject* cls = m.defineClass("flash.text", "TextFormat", m.builtins().object);
    cls->allocate = [](Machine& m, ClassObject* type) -> Object* {
        return m.heap().make<TextFormatObject>(type, type->prototype);
    };
    cls->nativeInitializer = [](Machine& m, const Value& self, std::span<const Value> args) {
        TextFormat& format = nativeSelf<TextFormatObject>(m, self).format;
        for (size_t i = 0; i < kConstructorArguments && i < args.size(); ++i) kAttributes[i].write(m, format, args[i]);
        return Value();
    };
    for (const Attribute& a : kAttributes) {
        Read read = a.read;
        Write write = a.write;
        m.defineAccessor(cls, a.name, [read](Machine& m, const Value& self, std::span<const Value>) {
            return read(m, nativeSelf<TextFormatObject>(m, self).format);
        }, [write](Machine& m, const Value& self, std::span<const Value> args) {
            write(m, nativeSelf<TextFormatObject>(m, self).format, argAt(args, 0));
            return Value();
        });
    }
}

}  // namespace

Value newTextFormat(Machine& m, const TextFormat& format) {
    Value v = m.construct(Value::object(m.findClass("flash.text::TextFormat")), {});
    nativeSelf<TextFormatObject>(m, v).format = format;
    return v;
}

const TextFormat* textFormatOf(const Value& v) {
    auto* object = dynamic_cast<TextFormatObject*>(v.asObject());
    return object ? &object->format : nullptr;
}

void installTextFormatClasses(Machine& m) {
    installTextFormat(m);
    for (const char* name : {"TextFieldAutoSize", "TextFieldType", "TextFormatAlign", "AntiAliasType", "GridFitType",
                             "TextFormatDisplay", "FontStyle", "FontType"})
        m.defineClass("flash.text", name, m.builtins().object)->sealed = true;
    defineConstants(m, m.findClass("flash.text::TextFieldAutoSize"),
                    {{"NONE", "none"}, {"LEFT", "left"}, {"CENTER", "center"}, {"RIGHT", "right"}});
    defineConstants(m, m.findClass("flash.text::TextFieldType"), {{"DYNAMIC", "dynamic"}, {"INPUT", "input"}});
    defineConstants(m, m.findClass("flash.text::TextFormatAlign"),
                    {{"LEFT", "left"}, {"CENTER", "center"}, {"RIGHT", "right"}, {"JUSTIFY", "justify"},
                     {"START", "start"}, {"END", "end"}});
    defineConstants(m, m.findClass("flash.text::AntiAliasType"), {{"NORMAL", "normal"}, {"ADVANCED", "advanced"}});
    defineConstants(m, m.findClass("flash.text::GridFitType"), {{"NONE", "none"}, {"PIXEL", "pixel"}, {"SUBPIXEL", "subpixel"}});
    defineConstants(m, m.findClass("flash.text::TextFormatDisplay"), {{"BLOCK", "block"}, {"INLINE", "inline"}});
    defineConstants(m, m.findClass("flash.text::FontStyle"),
                    {{"REGULAR", "regular"}, {"BOLD", "bold"}, {"ITALIC", "italic"}, {"BOLD_ITALIC", "boldItalic"}});
    defineConstants(m, m.findClass("flash.text::FontType"),
                    {{"EMBEDDED", "embedded"}, {"EMBEDDED_CFF", "embeddedCFF"}, {"DEVICE", "device"}});
}

}  // namespace swf::avm2
