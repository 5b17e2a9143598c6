// TextField.StyleSheet: named CSS styles, kept as the player keeps them in two plain objects
// on the style sheet, _css (a copy of each style as given) and _styles (each style made a
// TextFormat by transform, which scripts may replace). parseCSS reads the player's loose CSS:
// a selector list, then a block of name: value pairs; nothing is kept from a text that fails.
// load reads a file beside the movie through parse.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/LoadRequests.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/classes/TextFormatObject.h"

namespace swf::avm1 {
namespace {

constexpr uint16_t kFixed = kDontEnum | kDontDelete | kReadOnly;
// Styles and properties one parse may make; a text asking for more fails.
constexpr size_t kMaxParsedEntries = 100000;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

// "font-size" is fontSize: a dash makes the next character upper case and goes.
std::string cssName(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '-' && i + 1 < name.size()) {
            char next = name[++i];
            out.push_back(next >= 'a' && next <= 'z' ? static_cast<char>(next - 'a' + 'A') : next);
            continue;
        }
        out.push_back(name[i]);
    }
    return out;
}

struct ParsedStyle {
    std::vector<std::string> selectors;
    std::vector<std::pair<std::string, std::string>> properties;
};

// The player's CSS reader; nothing when the text is malformed anywhere.
std::optional<std::vector<ParsedStyle>> parseCss(std::string_view css) {
    std::vector<ParsedStyle> styles;
    size_t entries = 0;
    size_t i = 0;
    auto skipSpace = [&] {
        while (i < css.size() && isSpace(css[i])) ++i;
    };
    while (true) {
        skipSpace();
        if (i >= css.size()) break;
        size_t open = css.find('{', i);
        if (open == std::string_view::npos) return std::nullopt;
        ParsedStyle style;
        std::string_view list = css.substr(i, open - i);
        while (true) {
            size_t comma = list.find(',');
            std::string_view selector = trimmed(list.substr(0, comma));
            if (selector.empty()) return std::nullopt;
            for (char c : selector)
                if (isSpace(c)) return std::nullopt;
            style.selectors.emplace_back(selector);
            if (comma == std::string_view::npos) break;
            list.remove_prefix(comma + 1);
        }
        i = open + 1;
        // Properties: a name up to its colon (anything but inner spaces), a value up to ';'
        // or '}'. The text may end where a name could start.
        while (true) {
            skipSpace();
            if (i >= css.size()) break;
            if (css[i] == '}') {
                ++i;
                break;
            }
            size_t colon = css.find(':', i);
            if (colon == std::string_view::npos) return std::nullopt;
            std::string_view name = css.substr(i, colon - i);
            std::string_view inner = trimmed(name);
            for (char c : inner)
                if (isSpace(c)) return std::nullopt;
            i = colon + 1;
            skipSpace();
            size_t end = css.find_first_of(";}", i);
            if (end == std::string_view::npos) return std::nullopt;
            std::string_view value = css.substr(i, end - i);
            if (!name.empty()) style.properties.emplace_back(cssName(name), std::string(value));
            if (++entries > kMaxParsedEntries) return std::nullopt;
            i = end + 1;
            if (css[end] == '}') break;
        }
        entries += style.selectors.size();
        if (entries > kMaxParsedEntries) return std::nullopt;
        styles.push_back(std::move(style));
    }
    return styles;
}

// The own enumerable properties of a style as a new plain object; null for a non-object.
Value copyStyle(Machine& m, const Value& style) {
    Object* from = style.asObject();
    if (!from) return Value(Null{});
    Object* copy = m.newObject();
    for (const std::string& name : m.enumerate(from)) m.set(copy, name, m.get(style, name));
    return Value(copy);
}

// The style sheet's table `name`, made when missing.
Object* table(Machine& m, Object* self, std::string_view name) {
    Value existing = m.get(self, name);
    if (existing.isObject()) return existing.asObject();
    Object* made = m.newObject();
    m.set(self, name, Value(made));
    return made;
}

void setStyle(Machine& m, Object* self, const std::string& name, const Value& style) {
    Object* css = table(m, self, "_css");
    Value copy = copyStyle(m, style);
    m.set(css, name, copy);
    const Value args[] = {copy};
    Value format = m.callMethod(Value(self), "transform", args);
    m.set(table(m, self, "_styles"), name, format);
}

bool isHexColor(std::string_view text) {
    if (text.size() != 7 || text[0] != '#') return false;
    for (char c : text.substr(1))
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// parseInt of what the value reads as.
double integerOf(Machine& m, const Value& v) {
    return parseIntText(m.toString(v), 0);
}

Value transform(Machine& m, Object*, std::span<const Value> args) {
    Value style = arg(args, 0);
    if (style.isNullish()) return Value(Null{});
    TextFormat format;
    format.kerning = false;
    if (style.isObject()) {
        auto given = [&](std::string_view name, Value& out) {
            out = m.get(style, name);
            return m.toBoolean(out);
        };
        Value v;
        if (given("color", v)) {
            std::string text = m.toString(v);
            if (isHexColor(text))
                format.color = static_cast<uint32_t>(std::stoul(text.substr(1), nullptr, 16));
        }
        if (given("display", v)) {
            std::string text = m.toString(v);
            format.display = text == "inline" || text == "none" ? text : "block";
        }
        if (given("fontFamily", v)) {
            // Each name of the list loses the spaces before it.
            std::string list = m.toString(v), font;
            size_t start = 0;
            while (true) {
                size_t comma = std::min(list.find(',', start), list.size());
                size_t from = start;
                while (from < comma && isSpace(list[from])) ++from;
                if (from < comma) {
                    if (!font.empty()) font += ',';
                    font.append(list, from, comma - from);
                }
                if (comma >= list.size()) break;
                start = comma + 1;
            }
            format.font = font;
        }
        if (given("fontSize", v)) {
            double size = integerOf(m, v);
            if (size > 0) format.size = size;
        }
        if (given("fontStyle", v)) {
            std::string text = m.toString(v);
            if (text == "italic") format.italic = true;
            if (text == "normal") format.italic = false;
        }
        if (given("fontWeight", v)) {
            std::string text = m.toString(v);
            if (text == "bold") format.bold = true;
            if (text == "normal") format.bold = false;
        }
        if (given("kerning", v)) {
            double n = integerOf(m, v);
            format.kerning = (v.isString() && v.asString() == "true") || (n != 0 && !std::isnan(n));
        }
        if (given("leading", v)) format.leading = toInt32(integerOf(m, v));
        if (given("letterSpacing", v)) format.letterSpacing = integerOf(m, v);
        if (given("marginLeft", v)) format.leftMargin = std::max(0, toInt32(integerOf(m, v)));
        if (given("marginRight", v)) format.rightMargin = std::max(0, toInt32(integerOf(m, v)));
        if (given("textAlign", v)) {
            std::string text = m.toString(v);
            for (auto [name, align] : {std::pair{"left", TextAlign::Left},
                                       std::pair{"center", TextAlign::Center},
                                       std::pair{"right", TextAlign::Right},
                                       std::pair{"justify", TextAlign::Justify}})
                if (text.size() == std::string_view(name).size() &&
                    std::equal(text.begin(), text.end(), name, [](char a, char b) {
                        return std::tolower(static_cast<unsigned char>(a)) == b;
                    }))
                    format.align = align;
        }
        if (given("textDecoration", v)) {
            std::string text = m.toString(v);
            if (text == "underline") format.underline = true;
            if (text == "none") format.underline = false;
        }
        if (given("textIndent", v)) format.indent = toInt32(integerOf(m, v));
    }
    return makeTextFormat(m, format);
}

Value parseCssMethod(Machine& m, Object* self, std::span<const Value> args) {
    if (!self) return Value(false);
    std::string text = m.toString(arg(args, 0));
    auto styles = parseCss(text);
    if (!styles) return Value(false);
    for (const ParsedStyle& style : *styles) {
        for (const std::string& selector : style.selectors) {
            Object* properties = m.newObject();
            for (const auto& [name, value] : style.properties)
                m.set(properties, name, Value(value));
            m.chargeAction();
            setStyle(m, self, selector, Value(properties));
        }
    }
    return Value(true);
}

Value styleSetStyle(Machine& m, Object* self, std::span<const Value> args) {
    if (self) setStyle(m, self, m.toString(arg(args, 0)), arg(args, 1));
    return Value();
}

Value styleGetStyle(Machine& m, Object* self, std::span<const Value> args) {
    Value css = m.get(self, "_css");
    if (!css.isObject()) return Value(Null{});
    return copyStyle(m, m.get(css, m.toString(arg(args, 0))));
}

Value styleGetStyleNames(Machine& m, Object* self, std::span<const Value>) {
    Value css = m.get(self, "_css");
    std::vector<Value> names;
    if (Object* table = css.asObject())
        for (const std::string& name : m.enumerate(table)) names.emplace_back(name);
    return Value(m.newArray(names));
}

Value styleClear(Machine& m, Object* self, std::span<const Value>) {
    if (!self) return Value();
    m.set(self, "_css", Value(m.newObject()));
    m.set(self, "_styles", Value(m.newObject()));
    return Value();
}

void setLoadField(Machine&, Object* target, std::string_view name, const Value& value) {
    target->defineOwn(name, Property{value, nullptr, nullptr, kDontEnum});
}

// A file beside the movie; its text reaches onData as the frame ends.
Value styleLoad(Machine& m, Object* self, std::span<const Value> args) {
    return Value(loadTextFor(m, self, arg(args, 0), setLoadField));
}

// The loaded text goes through parse (which a script may replace); onLoad hears whether it
// read, or false when the file could not be read.
Value styleOnData(Machine& m, Object* self, std::span<const Value> args) {
    if (!self) return Value();
    const Value text = arg(args, 0);
    Value success(false);
    if (!text.isUndefined()) {
        success = Value(m.toBoolean(m.callMethod(Value(self), "parse", std::span(&text, 1))));
        setLoadField(m, self, "loaded", Value(true));
    }
    m.callMethod(Value(self), "onLoad", std::span<const Value>(&success, 1));
    return Value();
}

using native::method;

constexpr NativeMember kStyleSheetMethods[] = {
    method("setStyle", styleSetStyle, kFixed),
    method("getStyle", styleGetStyle, kFixed),
    method("getStyleNames", styleGetStyleNames, kFixed),
    method("clear", styleClear, kFixed),
    method("transform", transform, kFixed),
    method("parseCSS", parseCssMethod, kFixed),
    method("parse", parseCssMethod),
    method("load", styleLoad, kFixed),
    method("onData", styleOnData),
};

}  // namespace

void installStyleSheetClass(Machine& m) {
    Value textField = m.get(Value(m.global()), "TextField");
    Object* owner = textField.asObject();
    if (!owner) return;
    Function* ctor = installClass(m, nullptr, m.newObject(),
                                  {"StyleSheet", native::nothing, nullptr, {}, {}, kStyleSheetMethods});
    owner->defineOwn("StyleSheet", Property{Value(ctor), nullptr, nullptr, kDontEnum | kVersion7});
}

}  // namespace swf::avm1
