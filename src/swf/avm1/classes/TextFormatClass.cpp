// TextFormat: a bag of text attributes, each unset (null) until given. The attributes are
// getter/setter pairs on the prototype that convert what they are given as the player does:
// whole-number attributes round half to even and turn what does not fit into INT32_MIN,
// margins are never negative, colours wrap to 32 bits.

#include "swf/avm1/classes/TextFormatObject.h"

#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/machine/StringFunctions.h"
#include "swf/format/LetterCase.h"
#include "swf/text/DeviceFontCache.h"
#include "swf/text/TextLayout.h"

namespace swf::avm1 {
namespace {

constexpr size_t kMaxFontName = 64;   // bytes the player keeps of a font name
constexpr uint32_t kMaxTabStops = 1024;

TextFormat* formatOf(Object* self) {
    auto* object = dynamic_cast<TextFormatObject*>(self);
    return object ? &object->format : nullptr;
}

// Version 8 rounds half to even, older movies truncate; what does not fit in 32 bits gives
// INT32_MIN, and so does NaN from version 8 on (0 before).
double wholeNumber(Machine& m, double n) {
    if (std::isnan(n) && m.swfVersion() < 8) return 0;
    double r = m.swfVersion() >= 8 ? std::nearbyint(n) : std::trunc(n);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return -2147483648.0;
    return r;
}

double marginNumber(Machine& m, double n) {
    if (std::isnan(n) || n < 0) return 0;
    return wholeNumber(m, n);
}

// Indents and leading: negative from version 8 on, like margins before.
double indentNumber(Machine& m, double n) {
    return m.swfVersion() >= 8 ? wholeNumber(m, n) : marginNumber(m, n);
}

double anyNumber(Machine&, double n) {
    return n;
}

std::optional<double> numberAttribute(Machine& m, const Value& v,
                                      double (*convert)(Machine&, double)) {
    if (v.isNullish()) return std::nullopt;
    return convert(m, m.toNumber(v));
}

std::optional<bool> boolAttribute(Machine& m, const Value& v) {
    if (v.isNullish()) return std::nullopt;
    return m.toBoolean(v);
}

std::optional<std::string> stringAttribute(Machine& m, const Value& v) {
    if (v.isNullish()) return std::nullopt;
    return m.toString(v);
}

Value valueOf(const std::optional<double>& n) {
    return n ? Value(*n) : Value(Null{});
}

Value valueOf(const std::optional<bool>& b) {
    return b ? Value(*b) : Value(Null{});
}

Value valueOf(const std::optional<std::string>& s) {
    return s ? Value(*s) : Value(Null{});
}

std::optional<std::vector<double>> tabStopsOf(Machine& m, const Value& v) {
    if (!v.isObject()) return std::nullopt;
    double n = m.toNumber(m.get(v, "length"));
    uint32_t count = n > 0 ? static_cast<uint32_t>(std::min<double>(n, kMaxTabStops)) : 0;
    std::vector<double> stops;
    for (uint32_t i = 0; i < count; ++i)
        stops.push_back(wholeNumber(m, m.toNumber(m.get(v, std::to_string(i)))));
    return stops;
}

using Read = Value (*)(Machine&, const TextFormat&);
using Write = void (*)(Machine&, TextFormat&, const Value&);

struct Attribute {
    const char* name;
    Read read;
    Write write;
};

constexpr Attribute kAttributes[] = {
    {"font", [](Machine&, const TextFormat& f) { return valueOf(f.font); },
     [](Machine& m, TextFormat& f, const Value& v) {
         f.font = stringAttribute(m, v);
         if (f.font && f.font->size() > kMaxFontName) f.font->resize(kMaxFontName);
     }},
    {"size", [](Machine&, const TextFormat& f) { return valueOf(f.size); },
     [](Machine& m, TextFormat& f, const Value& v) { f.size = numberAttribute(m, v, wholeNumber); }},
    {"color",
     [](Machine&, const TextFormat& f) {
         return f.color ? Value(static_cast<double>(*f.color)) : Value(Null{});
     },
     [](Machine& m, TextFormat& f, const Value& v) {
         if (v.isNullish())
             f.color.reset();
         else
             f.color = toUint32(m.toNumber(v));
     }},
    {"url", [](Machine&, const TextFormat& f) { return valueOf(f.url); },
     [](Machine& m, TextFormat& f, const Value& v) { f.url = stringAttribute(m, v); }},
    {"target", [](Machine&, const TextFormat& f) { return valueOf(f.target); },
     [](Machine& m, TextFormat& f, const Value& v) { f.target = stringAttribute(m, v); }},
    {"bold", [](Machine&, const TextFormat& f) { return valueOf(f.bold); },
     [](Machine& m, TextFormat& f, const Value& v) { f.bold = boolAttribute(m, v); }},
    {"italic", [](Machine&, const TextFormat& f) { return valueOf(f.italic); },
     [](Machine& m, TextFormat& f, const Value& v) { f.italic = boolAttribute(m, v); }},
    {"underline", [](Machine&, const TextFormat& f) { return valueOf(f.underline); },
     [](Machine& m, TextFormat& f, const Value& v) { f.underline = boolAttribute(m, v); }},
    {"align",
     [](Machine&, const TextFormat& f) {
         return f.align ? Value(alignName(*f.align)) : Value(Null{});
     },
     [](Machine& m, TextFormat& f, const Value& v) {
         // A name the player does not know, null included, leaves the alignment as it was.
         if (v.isNullish()) return;
         std::string name = m.toString(v);
         for (TextAlign a :
              {TextAlign::Left, TextAlign::Center, TextAlign::Right, TextAlign::Justify})
             if (equalsIgnoringCase(name, alignName(a))) f.align = a;
     }},
    {"leftMargin", [](Machine&, const TextFormat& f) { return valueOf(f.leftMargin); },
     [](Machine& m, TextFormat& f, const Value& v) {
         f.leftMargin = numberAttribute(m, v, marginNumber);
     }},
    {"rightMargin", [](Machine&, const TextFormat& f) { return valueOf(f.rightMargin); },
     [](Machine& m, TextFormat& f, const Value& v) {
         f.rightMargin = numberAttribute(m, v, marginNumber);
     }},
    {"indent", [](Machine&, const TextFormat& f) { return valueOf(f.indent); },
     [](Machine& m, TextFormat& f, const Value& v) {
         f.indent = numberAttribute(m, v, indentNumber);
     }},
    {"leading", [](Machine&, const TextFormat& f) { return valueOf(f.leading); },
     [](Machine& m, TextFormat& f, const Value& v) {
         f.leading = numberAttribute(m, v, indentNumber);
     }},
    {"blockIndent", [](Machine&, const TextFormat& f) { return valueOf(f.blockIndent); },
     [](Machine& m, TextFormat& f, const Value& v) {
         f.blockIndent = numberAttribute(m, v, indentNumber);
     }},
    {"tabStops",
     [](Machine& m, const TextFormat& f) {
         if (!f.tabStops) return Value(Null{});
         std::vector<Value> values(f.tabStops->begin(), f.tabStops->end());
         return Value(m.newArray(values));
     },
     [](Machine& m, TextFormat& f, const Value& v) {
         if (v.isNullish())
             f.tabStops.reset();
         else if (auto stops = tabStopsOf(m, v))
             f.tabStops = std::move(stops);
     }},
    {"bullet", [](Machine&, const TextFormat& f) { return valueOf(f.bullet); },
     [](Machine& m, TextFormat& f, const Value& v) { f.bullet = boolAttribute(m, v); }},
    {"kerning", [](Machine&, const TextFormat& f) { return valueOf(f.kerning); },
     [](Machine& m, TextFormat& f, const Value& v) { f.kerning = boolAttribute(m, v); }},
    {"letterSpacing", [](Machine&, const TextFormat& f) { return valueOf(f.letterSpacing); },
     [](Machine& m, TextFormat& f, const Value& v) {
         f.letterSpacing = numberAttribute(m, v, anyNumber);
     }},
    {"display", [](Machine&, const TextFormat& f) { return Value(f.display); },
     [](Machine& m, TextFormat& f, const Value& v) {
         std::string name = v.isNullish() ? std::string() : m.toString(v);
         f.display = name == "inline" || name == "none" ? name : "block";
     }},
};

const Attribute* attributeNamed(std::string_view name) {
    for (const Attribute& a : kAttributes)
        if (name == a.name) return &a;
    return nullptr;
}

// The constructor's arguments, in order.
constexpr const char* kConstructorOrder[] = {
    "font",   "size",  "color",      "bold",        "italic", "underline", "url",
    "target", "align", "leftMargin", "rightMargin", "indent", "leading"};

// Whether a wrapped layout broke a word after its first character: the player breaks a
// word only into pieces of two characters or more.
bool splitsSingleCharacter(std::u32string_view text, const std::vector<TextLine>& lines) {
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        const size_t end = lines[i].end;
        if (end == lines[i].begin + 1 && end < text.size() && text[end] != ' ' &&
            text[end] != '\r' && text[end] != '\n' && text[end - 1] != ' ')
            return true;
    }
    return false;
}

// getTextExtent(text, width): the text's size in the format's font, laid out on one line
// or wrapped at `width` pixels, and the size of a field that would hold it. A width too
// narrow to break the text into pieces of two characters leaves it on one line.
Value textExtent(Machine& m, Object* self, std::span<const Value> args) {
    TextFormat* format = formatOf(self);
    if (!format) return Value();
    std::string text = m.toString(arg(args, 0));
    Machine::checkLength(text.size());
    std::vector<uint32_t> characters = decodeCharacters(text, m.swfVersion());
    const std::u32string content(characters.begin(), characters.end());
    const GlyphSource* font = DeviceFontCache::shared().find(
        format->font.value_or(""), format->bold.value_or(false), format->italic.value_or(false));
    Object* result = m.newObject();
    if (!font) return Value(result);
    TextLayoutStyle style;
    style.fontHeight = std::clamp(format->size.value_or(12), 0.0, 2000.0) * 20;
    style.wholePixelAdvances = m.swfVersion() < 8;
    double width = m.toNumber(arg(args, 1));
    const bool wraps = !arg(args, 1).isUndefined() && width > 0;
    style.wordWrap = wraps;
    style.width = wraps ? std::min(width, 1e7) * 20 - 4 * 20 : 1e9;
    std::vector<TextLine> lines = TextLayout::layOut(content, *font, style);
    if (wraps && splitsSingleCharacter(content, lines)) {
        style.wordWrap = false;
        lines = TextLayout::layOut(content, *font, style);
    }
    double widest = 0;
    for (const TextLine& line : lines) widest = std::max(widest, line.width);
    // Ascent and descent in whole twips, as lines stack; reported in whole pixels.
    const LineMetrics metrics = TextLayout::metrics(*font, style);
    const double lineCount = static_cast<double>(std::max<size_t>(1, lines.size()));
    const double height = std::floor(lineCount * (metrics.ascent + metrics.descent) / 20);
    const double textWidth = std::round(widest / 20);
    m.set(result, "ascent", Value(std::floor(metrics.ascent / 20)));
    m.set(result, "descent", Value(std::floor(metrics.descent / 20)));
    m.set(result, "width", Value(textWidth));
    m.set(result, "height", Value(height));
    m.set(result, "textFieldHeight", Value(height + 4));
    m.set(result, "textFieldWidth", Value(wraps ? std::round(width) : textWidth + 4));
    return Value(result);
}

Object* prototypeOfClass(Machine& m) {
    Value ctor = m.get(Value(m.global()), "TextFormat");
    return m.get(ctor, "prototype").asObject();
}

// Each text format carries its own getTextExtent; the prototype has none.
TextFormatObject* newTextFormatObject(Machine& m, Object* prototype) {
    auto* object = m.heap().make<TextFormatObject>(prototype);
    object->setOwn("getTextExtent", Value(static_cast<Object*>(m.newFunction(textExtent))),
                   kDontEnum);
    return object;
}

}  // namespace

Value makeTextFormat(Machine& m, const TextFormat& format) {
    Object* proto = prototypeOfClass(m);
    TextFormatObject* object = newTextFormatObject(m, proto ? proto : m.prototypes().object);
    object->format = format;
    return Value(static_cast<Object*>(object));
}

const TextFormat* textFormatOf(const Value& value) {
    return formatOf(value.asObject());
}

namespace {

Value textFormatConstruct(Machine& m, Object* self, std::span<const Value> args) {
    TextFormat* format = formatOf(self);
    if (!format) return Value();
    size_t count = std::min(args.size(), std::size(kConstructorOrder));
    for (size_t i = 0; i < count; ++i) {
        std::string_view name = kConstructorOrder[i];
        // The constructor truncates the whole-number attributes and keeps negative
        // margins, unlike the setters.
        if (name == "size" || name == "leftMargin" || name == "rightMargin" ||
            name == "indent" || name == "leading") {
            std::optional<double> n;
            if (!args[i].isNullish()) n = toInt32(m.toNumber(args[i]));
            if (name == "size") format->size = n;
            if (name == "leftMargin") format->leftMargin = n;
            if (name == "rightMargin") format->rightMargin = n;
            if (name == "indent") format->indent = n;
            if (name == "leading") format->leading = n;
            continue;
        }
        attributeNamed(name)->write(m, *format, args[i]);
    }
    return Value();
}

Object* makeTextFormatObject(Machine& m, Object* prototype) {
    return newTextFormatObject(m, prototype);
}

template <size_t i>
Value readAttribute(Machine& m, Object* self, std::span<const Value>) {
    TextFormat* format = formatOf(self);
    return format ? kAttributes[i].read(m, *format) : Value();
}

template <size_t i>
Value writeAttribute(Machine& m, Object* self, std::span<const Value> args) {
    if (TextFormat* format = formatOf(self)) kAttributes[i].write(m, *format, arg(args, 0));
    return Value();
}

// An accessor for each attribute.
template <size_t... i>
constexpr std::array<NativeMember, sizeof...(i)> textFormatMembers(std::index_sequence<i...>) {
    return {native::accessor(kAttributes[i].name, readAttribute<i>, writeAttribute<i>, 0)...};
}

constexpr auto kTextFormatMethods =
    textFormatMembers(std::make_index_sequence<std::size(kAttributes)>());

}  // namespace

void installTextFormatClass(Machine& m) {
    installClass(m, m.global(), m.newObject(),
                 {"TextFormat", textFormatConstruct, makeTextFormatObject, {}, {},
                  kTextFormatMethods});
}

}  // namespace swf::avm1
