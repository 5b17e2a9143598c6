#include "swf/text/HtmlParser.h"
#include "swf/format/Utf8.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

namespace swf {
namespace {

constexpr size_t kMaxEntityLength = 10;
constexpr double kMaxOldFontSize = 127;
constexpr double kMaxFontSize = 1e9;
// Numeric entities may carry any number of digits; the player keeps the low 16 bits.
constexpr size_t kMaxNumberEntityLength = 1024;

std::string lowerAscii(std::u32string_view text) {
    std::string out;
    for (char32_t c : text)
        out.push_back(c < 0x80 ? static_cast<char>(std::tolower(static_cast<int>(c))) : '?');
    return out;
}

struct HtmlTag {
    std::string name;  // lower case
    bool closing = false;
    bool selfClosing = false;
    bool malformed = false;  // an attribute value without quotes ends the text
    std::vector<std::pair<std::string, std::u32string>> attributes;  // names lower case

    const std::u32string* attribute(std::string_view wanted) const {
        for (const auto& [name, value] : attributes)
            if (name == wanted) return &value;
        return nullptr;
    }
};

bool isHtmlSpace(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

HtmlTag parseTag(std::u32string_view body) {
    HtmlTag tag;
    size_t i = 0;
    if (i < body.size() && body[i] == '/') {
        tag.closing = true;
        ++i;
    }
    if (!body.empty() && body.back() == '/') {
        tag.selfClosing = true;
        body.remove_suffix(1);
    }
    size_t start = i;
    while (i < body.size() && !isHtmlSpace(body[i])) ++i;
    tag.name = lowerAscii(body.substr(start, std::min(i - start, HtmlParser::kMaxAttributeLength)));
    while (i < body.size()) {
        while (i < body.size() && isHtmlSpace(body[i])) ++i;
        start = i;
        while (i < body.size() && body[i] != '=' && !isHtmlSpace(body[i])) ++i;
        std::string name =
            lowerAscii(body.substr(start, std::min(i - start, HtmlParser::kMaxAttributeLength)));
        while (i < body.size() && isHtmlSpace(body[i])) ++i;
        std::u32string value;
        if (i < body.size() && body[i] == '=') {
            ++i;
            while (i < body.size() && isHtmlSpace(body[i])) ++i;
            if (i < body.size() && (body[i] == '"' || body[i] == '\'')) {
                const char32_t quote = body[i++];
                start = i;
                while (i < body.size() && body[i] != quote) ++i;
                // Built whole: assigning the view trips GCC 12's -Wrestrict false positive.
                value = std::u32string(body.data() + start,
                                       std::min(i - start, HtmlParser::kMaxAttributeLength));
                if (i < body.size()) ++i;
            } else {
                tag.malformed = true;
                return tag;
            }
        }
        if (name.empty()) {
            if (i < body.size()) ++i;
            continue;
        }
        tag.attributes.emplace_back(std::move(name), std::move(value));
    }
    return tag;
}

// "&#...;" as the player reads it: 'x' right after '#' for hex, blanks, a sign, then digits
// up to the first that is not one (the rest is ignored); the value wraps to 16 bits.
std::optional<char32_t> decodeNumber(std::u32string_view text) {
    const bool hex = !text.empty() && text[0] == 'x';
    size_t i = hex ? 1 : 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    uint64_t value = 0;
    size_t digits = 0;
    for (; i < text.size(); ++i, ++digits) {
        const char32_t d = text[i];
        int digit = d >= '0' && d <= '9'          ? static_cast<int>(d - '0')
                    : hex && d >= 'a' && d <= 'f' ? static_cast<int>(d - 'a' + 10)
                    : hex && d >= 'A' && d <= 'F' ? static_cast<int>(d - 'A' + 10)
                                                  : -1;
        if (digit < 0) break;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    }
    if (digits == 0) return std::nullopt;
    if (negative) value = 0 - value;
    const char32_t c = static_cast<char32_t>(value & 0xFFFF);
    if (c == 0) return std::nullopt;
    return c;
}

std::optional<char32_t> decodeEntity(std::u32string_view name) {
    if (!name.empty() && name[0] == '#') return decodeNumber(name.substr(1));
    const std::string lower = lowerAscii(name);
    if (lower == "lt") return U'<';
    if (lower == "gt") return U'>';
    if (lower == "amp") return U'&';
    if (lower == "quot") return U'"';
    if (lower == "apos") return U'\'';
    if (lower == "nbsp") return U'\u00A0';
    return std::nullopt;
}

// "#RRGGBB": the hex digits after '#' and any blanks make the colour (the last six of a
// longer run); a value without '#' first or without digits sets none.
std::optional<uint32_t> htmlColor(std::u32string_view value) {
    if (value.empty() || value[0] != '#') return std::nullopt;
    size_t i = 1;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    uint32_t color = 0;
    bool any = false;
    for (; i < value.size(); ++i) {
        const char32_t d = value[i];
        int digit = d >= '0' && d <= '9'   ? static_cast<int>(d - '0')
                    : d >= 'a' && d <= 'f' ? static_cast<int>(d - 'a' + 10)
                    : d >= 'A' && d <= 'F' ? static_cast<int>(d - 'A' + 10)
                                           : -1;
        if (digit < 0) break;
        color = (color * 16 + static_cast<uint32_t>(digit)) & 0xFFFFFF;
        any = true;
    }
    if (!any) return std::nullopt;
    return color;
}

std::optional<double> htmlNumber(std::u32string_view value) {
    std::string text = lowerAscii(value);
    char* end = nullptr;
    const double n = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(n)) return std::nullopt;
    return std::clamp(std::trunc(n), -1e6, 1e6);
}

std::string utf8Of(std::u32string_view text) {
    std::string out;
    for (char32_t c : text) appendUtf8(out, c);
    return out;
}

std::vector<double> htmlTabStops(std::u32string_view value) {
    std::vector<double> stops;
    size_t start = 0;
    while (start <= value.size() && stops.size() < 1024) {
        const size_t comma = std::min(value.find(',', start), value.size());
        if (auto n = htmlNumber(value.substr(start, comma - start))) stops.push_back(*n);
        start = comma + 1;
    }
    return stops;
}

// What a tag's own attributes do to the format of the text inside it.
void applyTag(const HtmlTag& tag, TextFormat& format, int swfVersion) {
    if (tag.name == "b") format.bold = true;
    if (tag.name == "i") format.italic = true;
    if (tag.name == "u") format.underline = true;
    if (tag.name == "li") format.bullet = true;
    for (const auto& [name, value] : tag.attributes) {
        if (tag.name == "font") {
            if (name == "color")
                if (auto color = htmlColor(value)) format.color = *color;
            if (name == "face") format.font = utf8Of(value);
            if (name == "size") {
                if (auto n = htmlNumber(value)) {
                    const bool relative = !value.empty() && (value[0] == '+' || value[0] == '-');
                    // At least a point; movies before version 13 stop at 127.
                    const double most = swfVersion >= 13 ? kMaxFontSize : kMaxOldFontSize;
                    format.size = std::clamp(relative ? format.size.value_or(12) + *n : *n, 1.0, most);
                }
            }
            if (swfVersion < 8) continue;
            if (name == "letterspacing")
                if (auto n = htmlNumber(value)) format.letterSpacing = *n;
            if (name == "kerning") format.kerning = value == U"1";
        }
        if (tag.name == "p" && name == "align") {
            const std::string align = lowerAscii(value);
            if (align == "left") format.align = TextAlign::Left;
            if (align == "right") format.align = TextAlign::Right;
            if (align == "center") format.align = TextAlign::Center;
            if (align == "justify") format.align = TextAlign::Justify;
        }
        if (tag.name == "a") {
            if (name == "href") format.url = utf8Of(value);
            if (name == "target") format.target = utf8Of(value);
        }
        if (tag.name == "textformat") {
            if (name == "tabstops") {
                format.tabStops = htmlTabStops(value);
                continue;
            }
            auto n = htmlNumber(value);
            if (!n) continue;
            if (name == "leftmargin") format.leftMargin = std::max(0.0, *n);
            if (name == "rightmargin") format.rightMargin = std::max(0.0, *n);
            if (name == "indent") format.indent = *n;
            if (name == "leading") format.leading = *n;
            if (name == "blockindent") format.blockIndent = std::max(0.0, *n);
        }
    }
}

bool isBlockTag(std::string_view name) {
    return name == "p" || name == "li";
}

class Reader {
  public:
    Reader(const TextFormat& base, const HtmlParser::Options& options)
        : base_(base), options_(options) {}

    FormattedText read(std::u32string_view html) {
        for (size_t i = 0; i < html.size();) {
            const char32_t c = html[i];
            if (options_.swfVersion < 8 && (i == 0 || html[i - 1] == '>') && c != '<' &&
                !(options_.definitionText && insideInlineTag())) {
                // Older players drop text between tags that is only white space.
                size_t end = i;
                while (end < html.size() && isHtmlSpace(html[end])) ++end;
                if (end == html.size() || html[end] == '<') {
                    i = end;
                    continue;
                }
            }
            if (c == '<') {
                const size_t close = html.find('>', i + 1);
                if (close == std::u32string_view::npos) break;  // an unfinished tag shows nothing
                const HtmlTag tag = parseTag(html.substr(i + 1, close - i - 1));
                if (tag.malformed) break;
                i = close + 1;
                if (tag.closing)
                    closeTag(tag.name);
                else
                    openTag(tag);
                continue;
            }
            if (c == '&') {
                const size_t semicolon = html.find(';', i + 1);
                const size_t most = i + 1 < html.size() && html[i + 1] == '#' ? kMaxNumberEntityLength : kMaxEntityLength;
                if (semicolon != std::u32string_view::npos && semicolon - i - 1 <= most) {
                    if (auto value = decodeEntity(html.substr(i + 1, semicolon - i - 1))) {
                        add(*value);
                        i = semicolon + 1;
                        continue;
                    }
                }
            }
            if (c == '\r' || c == '\n') {
                // "\r\n" is one break.
                if (c == '\r' && i + 1 < html.size() && html[i + 1] == '\n') ++i;
                if (options_.condenseWhite)
                    addSpace();
                else
                    add('\r');
                ++i;
                continue;
            }
            if (options_.condenseWhite && isHtmlSpace(c))
                addSpace();
            else
                add(c);
            ++i;
        }
        return std::move(out_);
    }

  private:
    struct Open {
        std::string name;
        TextFormat format;  // of the text inside
        bool block = false;
    };

    const TextFormat& current() const { return open_.empty() ? base_ : open_.back().format; }

    bool insideInlineTag() const {
        if (open_.empty()) return false;
        const std::string& name = open_.back().name;
        return name == "font" || name == "b" || name == "i" || name == "u" || name == "a" ||
               name == "span";
    }

    void add(char32_t c) { addIn(c, current()); }

    void addIn(char32_t c, const TextFormat& format) {
        out_.text.push_back(c);
        out_.runs.append(1, format);
    }

    // condenseWhite: one space for a run of white space, none at the start.
    void addSpace() {
        if (out_.text.empty() || out_.text.back() == ' ' || out_.text.back() == '\r') return;
        add(' ');
    }

    void breakLine() {
        if (options_.multiline) add('\r');
    }

    bool paragraphEmpty() const { return out_.text.empty() || out_.text.back() == '\r'; }

    void openTag(const HtmlTag& tag) {
        if (tag.name == "br") {
            breakLine();
            return;
        }
        // A paragraph inside a paragraph is none: the first </p> ends the outer one.
        if (tag.name == "p" && std::any_of(open_.begin(), open_.end(),
                                           [](const Open& o) { return o.name == "p"; }))
            return;
        TextFormat format = current();
        bool block = isBlockTag(tag.name);
        if (options_.styleSheet) {
            TextFormat combined;
            const std::u32string* classes = tag.attribute("class");
            if (const TextFormat* style =
                    options_.styleSheet->forTag(tag.name, classes ? *classes : U"", combined)) {
                const std::string display = format.display;
                format.merge(*style);
                format.display = display;
                if (!isBlockTag(tag.name) && tag.name != "span")
                    block = style->display == "block";
            }
        }
        applyTag(tag, format, options_.swfVersion);
        // A list item starts a paragraph of its own.
        if (tag.name == "li" && !paragraphEmpty()) breakLine();
        if (tag.selfClosing || open_.size() >= HtmlParser::kMaxOpenTags) return;
        open_.push_back({tag.name, std::move(format), block});
    }

    // Only the innermost open tag closes, except the one open paragraph: its </p> ends it
    // wherever it is, in the format of the text there (a list item's bullet). Other closing
    // tags are ignored.
    void closeTag(const std::string& name) {
        auto closing = open_.end();
        if (!open_.empty() && open_.back().name == name)
            closing = open_.end() - 1;
        else if (name == "p")
            closing = std::find_if(open_.begin(), open_.end(),
                                   [](const Open& o) { return o.name == "p"; });
        if (closing == open_.end()) return;
        if (closing->name == "font") lastFont_ = closing->format;
        if (closing->block && options_.multiline) {
            TextFormat format = current();
            if (closing->name == "p") {
                // The break's characters are formatted as the paragraph's last character
                // (the text's own when there is none), in the font of the last <font>
                // closed so far if there was one.
                const TextFormat& last =
                    paragraphEmpty() ? base_ : *out_.runs.at(out_.text.size() - 1);
                const TextFormat& font = lastFont_ ? *lastFont_ : last;
                format.font = font.font;
                format.size = font.size;
                format.color = font.color;
                format.letterSpacing = font.letterSpacing;
                format.kerning = font.kerning;
                format.bold = last.bold;
                format.italic = last.italic;
                format.underline = last.underline;
                format.url = last.url;
                format.target = last.target;
            }
            addIn('\r', format);
        }
        open_.erase(closing);
    }

    const TextFormat& base_;
    const HtmlParser::Options& options_;
    std::vector<Open> open_;
    std::optional<TextFormat> lastFont_;
    FormattedText out_;
};

}  // namespace

FormattedText HtmlParser::parse(std::u32string_view html, const TextFormat& base,
                                const Options& options) {
    return Reader(base, options).read(html);
}

}  // namespace swf
