#include "swf/text/TextField.h"

#include <algorithm>
#include <cmath>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "swf/text/DeviceFontCache.h"
#include "swf/text/FontCharacter.h"
#include "swf/text/GlyphPainter.h"
#include "swf/text/TextDecoding.h"

namespace swf {
namespace {

const Rgba kWhite{255, 255, 255, 255};
constexpr int32_t kHalfPixel = 10;  // twips

// The field's box, filled and outlined as asked (a one-pixel hairline for the outline).
Shape boxShape(const Rect& bounds, std::optional<Rgba> fill, std::optional<Rgba> outline) {
    Shape shape;
    shape.bounds = bounds;
    ShapePath path;
    if (fill) {
        FillStyle style;
        style.color = *fill;
        shape.fills.push_back(style);
        path.fill1 = 1;
    }
    if (outline) {
        LineStyle style;
        style.width = 0;
        style.color = *outline;
        shape.lines.push_back(style);
        path.line = 1;
    }
    const Point corners[] = {{double(bounds.xMin), double(bounds.yMin)},
                             {double(bounds.xMax), double(bounds.yMin)},
                             {double(bounds.xMax), double(bounds.yMax)},
                             {double(bounds.xMin), double(bounds.yMax)}};
    for (size_t i = 0; i < 4; ++i)
        path.edges.push_back({corners[i], {}, corners[(i + 1) % 4], false});
    shape.paths.push_back(std::move(path));
    return shape;
}

// The original player draws the border through the centres of the pixels from the bounds'
// left/top edge to their right/bottom edge, so it covers one pixel more than the background
// on the right and at the bottom; under a plain scale and offset it is snapped to whole
// pixels.
void drawBorder(Canvas& canvas, const Rect& bounds, const Matrix& toPixels,
                const ColorTransform& cxform, Rgba color) {
    if (toPixels.b != 0 || toPixels.c != 0) {
        const Rect outline{bounds.xMin + kHalfPixel, bounds.xMax + kHalfPixel,
                           bounds.yMin + kHalfPixel, bounds.yMax + kHalfPixel};
        canvas.drawShape(boxShape(outline, std::nullopt, color), toPixels, cxform, {});
        return;
    }
    const Point a = toPixels.apply({double(bounds.xMin), double(bounds.yMin)});
    const Point z = toPixels.apply({double(bounds.xMax), double(bounds.yMax)});
    // Halves round down: a field at x = 20.5 px has its border in column 20.
    auto pixelCentre = [](double pixel) {
        return static_cast<int32_t>(std::ceil(pixel - 0.5) * kTwipsPerPixel) + kHalfPixel;
    };
    // Whole pixels, filled: the top row and the left column in full, the right column and
    // the bottom row each one pixel short, so the bottom-right corner stays empty.
    const int32_t x0 = pixelCentre(std::min(a.x, z.x)) - kHalfPixel;
    const int32_t x1 = pixelCentre(std::max(a.x, z.x)) - kHalfPixel;
    const int32_t y0 = pixelCentre(std::min(a.y, z.y)) - kHalfPixel;
    const int32_t y1 = pixelCentre(std::max(a.y, z.y)) - kHalfPixel;
    const int32_t one = 2 * kHalfPixel;
    const Matrix twipsToPixels = Matrix::scale(1 / kTwipsPerPixel, 1 / kTwipsPerPixel);
    const Rect sides[] = {{x0, x1 + one, y0, y0 + one},
                          {x0, x1, y1, y1 + one},
                          {x0, x0 + one, y0 + one, y1},
                          {x1, x1 + one, y0 + one, y1}};
    for (const Rect& side : sides)
        if (side.xMin < side.xMax && side.yMin < side.yMax && (y1 > y0 || side.yMin == y0))
            canvas.drawShape(boxShape(side, color, std::nullopt), twipsToPixels, cxform, {});
}


Rgba rgbOf(uint32_t color) {
    return Rgba{static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8),
                static_cast<uint8_t>(color), 255};
}

// Newlines are kept as carriage returns, as the player stores them; "\r\n" is two.
std::u32string normalizeBreaks(std::u32string text) {
    std::replace(text.begin(), text.end(), U'\n', U'\r');
    return text;
}

const char* alignName(TextAlign align) {
    switch (align) {
        case TextAlign::Right: return "RIGHT";
        case TextAlign::Center: return "CENTER";
        case TextAlign::Justify: return "JUSTIFY";
        default: return "LEFT";
    }
}

void appendAscii(std::u32string& out, std::string_view text) {
    for (unsigned char c : text) out.push_back(c);
}

std::string numberText(double value) {
    if (value == std::floor(value) && std::abs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}


constexpr size_t kMaxOpenTags = 256;  // deeper nesting keeps the format it has
constexpr size_t kMaxEntityLength = 10;

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
    tag.name = lowerAscii(body.substr(start, i - start));
    while (i < body.size()) {
        while (i < body.size() && isHtmlSpace(body[i])) ++i;
        start = i;
        while (i < body.size() && body[i] != '=' && !isHtmlSpace(body[i])) ++i;
        std::string name = lowerAscii(body.substr(start, i - start));
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
                value = std::u32string(body.data() + start, i - start);
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

std::optional<char32_t> decodeEntity(std::u32string_view name) {
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        std::u32string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 8) return std::nullopt;
        char32_t value = 0;
        for (char32_t d : digits) {
            int digit = d >= '0' && d <= '9'          ? static_cast<int>(d - '0')
                        : hex && d >= 'a' && d <= 'f' ? static_cast<int>(d - 'a' + 10)
                        : hex && d >= 'A' && d <= 'F' ? static_cast<int>(d - 'A' + 10)
                                                      : -1;
            if (digit < 0) return std::nullopt;
            value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
        }
        if (value == 0 || value > 0x10FFFF) return std::nullopt;
        return value;
    }
    const std::string lower = lowerAscii(name);
    if (lower == "lt") return U'<';
    if (lower == "gt") return U'>';
    if (lower == "amp") return U'&';
    if (lower == "quot") return U'"';
    if (lower == "apos") return U'\'';
    if (lower == "nbsp") return U'\u00A0';
    return std::nullopt;
}

// "#RRGGBB": the hex digits after '#' make the colour (the last six of a longer run); without
// '#' it is black.
uint32_t htmlColor(std::u32string_view value) {
    if (value.empty() || value[0] != '#') return 0;
    uint32_t color = 0;
    for (size_t i = 1; i < value.size(); ++i) {
        const char32_t d = value[i];
        int digit = d >= '0' && d <= '9'   ? static_cast<int>(d - '0')
                    : d >= 'a' && d <= 'f' ? static_cast<int>(d - 'a' + 10)
                    : d >= 'A' && d <= 'F' ? static_cast<int>(d - 'A' + 10)
                                           : -1;
        if (digit < 0) break;
        color = (color * 16 + static_cast<uint32_t>(digit)) & 0xFFFFFF;
    }
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
    for (char32_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// What a tag does to the format of the text inside it.
void applyTag(const HtmlTag& tag, TextFormat& format) {
    if (tag.name == "b") format.bold = true;
    if (tag.name == "i") format.italic = true;
    if (tag.name == "u") format.underline = true;
    for (const auto& [name, value] : tag.attributes) {
        if (tag.name == "font") {
            if (name == "color") format.color = htmlColor(value);
            if (name == "face") format.font = utf8Of(value);
            if (name == "size") {
                if (auto n = htmlNumber(value)) {
                    const bool relative = !value.empty() && (value[0] == '+' || value[0] == '-');
                    format.size = relative ? format.size.value_or(12) + *n : *n;
                }
            }
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
            auto n = htmlNumber(value);
            if (!n) continue;
            if (name == "leftmargin") format.leftMargin = *n;
            if (name == "rightmargin") format.rightMargin = *n;
            if (name == "indent") format.indent = *n;
            if (name == "leading") format.leading = *n;
            if (name == "blockindent") format.blockIndent = *n;
        }
    }
}

// condenseWhite: runs of white space become one space.
std::u32string condensed(const std::u32string& text) {
    std::u32string out;
    for (char32_t c : text) {
        const bool space = c == ' ' || c == '\t' || c == '\n';
        if (space && (out.empty() || out.back() == ' ')) continue;
        out.push_back(space ? U' ' : c);
    }
    return out;
}

}  // namespace

TextField::TextField(std::shared_ptr<const EditTextCharacter> definition,
                     const Dictionary* dictionary)
    : definition_(std::move(definition)) {
    const EditTextCharacter& field = *definition_;
    settings_.bounds = field.bounds;
    settings_.border = field.border;
    settings_.background = field.border;
    settings_.wordWrap = field.wordWrap;
    settings_.multiline = field.multiline;
    settings_.password = field.password;
    settings_.html = field.html;
    settings_.selectable = !field.noSelect;
    settings_.editable = !field.readOnly;
    settings_.embedFonts = field.useOutlines;
    settings_.autoSize = field.autoSize ? AutoSize::Left : AutoSize::None;
    settings_.maxChars = field.maxLength.value_or(0);
    settings_.variable = field.variableName;

    const EditTextLayout layout = field.layout.value_or(EditTextLayout{});
    TextFormat& f = format_;
    f.font = kDefaultFont;
    if (field.fontClass) f.font = *field.fontClass;
    f.bold = false;
    f.italic = false;
    if (field.fontId && dictionary) {
        if (const auto* font = dictionary->findAs<FontCharacter>(*field.fontId)) {
            f.font = font->name();
            f.bold = font->bold();
            f.italic = font->italic();
        }
    }
    definitionFont_ = *f.font;
    f.size = (field.fontHeight > 0 ? field.fontHeight : kDefaultFontHeight) / 20.0;
    uint32_t color = 0;
    if (field.textColor)
        color = uint32_t(field.textColor->r) << 16 | uint32_t(field.textColor->g) << 8 |
                field.textColor->b;
    f.color = color;
    f.underline = false;
    f.url = "";
    f.target = "";
    f.align = layout.align;
    f.leftMargin = layout.leftMargin / 20.0;
    f.rightMargin = layout.rightMargin / 20.0;
    f.indent = layout.indent / 20.0;
    f.leading = layout.leading / 20.0;
    f.blockIndent = 0.0;
    f.tabStops = std::vector<double>{};
    f.bullet = false;
    f.kerning = false;
    f.letterSpacing = 0.0;
    newFormat_ = format_;
    setText(field.initialText.value_or(""), field.html);
}

void TextField::setText(std::string_view text, bool html) {
    std::u32string decoded = DecodeMovieText(text);
    if (html)
        setHtml(decoded);
    else
        setPlainText(std::move(decoded));
}

void TextField::setHtml(std::u32string_view html) {
    TextFormat current = newFormat_;
    std::vector<TextFormat> open;
    std::optional<TextFormat> first;
    std::u32string text;
    const bool multiline = settings_.multiline;
    auto add = [&](char32_t c) {
        if (!first) first = current;
        text.push_back(c);
    };
    for (size_t i = 0; i < html.size();) {
        const char32_t c = html[i];
        if (c == '<') {
            const size_t close = html.find('>', i + 1);
            if (close == std::u32string_view::npos) break;  // an unfinished tag shows nothing
            const HtmlTag tag = parseTag(html.substr(i + 1, close - i - 1));
            if (tag.malformed) break;
            i = close + 1;
            if (tag.closing) {
                if (tag.name == "p" && multiline) add('\r');
                if (!open.empty() && tag.name != "br") {
                    current = open.back();
                    open.pop_back();
                }
                continue;
            }
            if (tag.name == "br") {
                if (multiline) add('\r');
                continue;
            }
            if (open.size() < kMaxOpenTags && !tag.selfClosing) open.push_back(current);
            applyTag(tag, current);
            continue;
        }
        if (c == '&') {
            const size_t semicolon = html.find(';', i + 1);
            if (semicolon != std::u32string_view::npos && semicolon - i - 1 <= kMaxEntityLength) {
                if (auto value = decodeEntity(html.substr(i + 1, semicolon - i - 1))) {
                    add(*value);
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        add(c);
        ++i;
    }
    if (settings_.condenseWhite) text = condensed(text);
    format_ = newFormat_;
    if (first) format_.merge(*first);
    setPlainText(std::move(text));
}

void TextField::setPlainText(std::u32string text) {
    text_ = normalizeBreaks(std::move(text));
    if (settings_.maxChars > 0 && text_.size() > settings_.maxChars) text_.resize(settings_.maxChars);
    lines_.reset();
}

void TextField::applyFormat(const TextFormat& format) {
    format_.merge(format);
    lines_.reset();
}

std::u32string TextField::htmlText() const {
    const TextFormat& f = format_;
    std::string open = "<P ALIGN=\"";
    open += alignName(f.align.value_or(TextAlign::Left));
    open += "\"><FONT FACE=\"" + f.font.value_or(kDefaultFont) + "\" SIZE=\"" +
            numberText(f.size.value_or(12)) + "\" COLOR=\"#";
    char hex[8];
    std::snprintf(hex, sizeof hex, "%06X", f.color.value_or(0) & 0xFFFFFF);
    open += hex;
    open += "\" LETTERSPACING=\"" + numberText(f.letterSpacing.value_or(0)) + "\" KERNING=\"" +
            (f.kerning.value_or(false) ? "1" : "0") + "\">";
    std::string before, after;
    if (f.bold.value_or(false)) {
        before += "<B>";
        after = "</B>" + after;
    }
    if (f.italic.value_or(false)) {
        before += "<I>";
        after = "</I>" + after;
    }
    if (f.underline.value_or(false)) {
        before += "<U>";
        after = "</U>" + after;
    }
    std::u32string out;
    size_t start = 0;
    while (true) {
        size_t end = text_.find(U'\r', start);
        std::u32string_view line =
            std::u32string_view(text_).substr(start, end == std::u32string::npos ? end : end - start);
        appendAscii(out, open);
        appendAscii(out, before);
        for (char32_t c : line) {
            if (c == '<') appendAscii(out, "&lt;");
            else if (c == '>') appendAscii(out, "&gt;");
            else if (c == '&') appendAscii(out, "&amp;");
            else if (c == '"') appendAscii(out, "&quot;");
            else out.push_back(c);
        }
        appendAscii(out, after);
        appendAscii(out, "</FONT></P>");
        if (end == std::u32string::npos || end + 1 >= text_.size()) break;
        start = end + 1;
    }
    return out;
}

const GlyphSource* TextField::font(const Dictionary& dictionary) const {
    const EditTextCharacter& field = *definition_;
    DeviceFontCache& installed = DeviceFontCache::shared();
    const std::string name = format_.font.value_or(kDefaultFont);
    const bool bold = format_.bold.value_or(false), italic = format_.italic.value_or(false);
    if (field.fontId && name == definitionFont_) {
        const auto* embedded = dictionary.findAs<FontCharacter>(*field.fontId);
        if (embedded && settings_.embedFonts && embedded->hasOutlines()) return embedded;
        if (embedded) return installed.find(embedded->name(), bold, italic);
    }
    if (settings_.embedFonts)
        if (const GlyphSource* embedded = embeddedFont(dictionary, name, bold, italic))
            return embedded;
    if (name == kDefaultFont && !field.fontClass && !field.fontId)
        return installed.find("", bold, italic);
    return installed.find(name, bold, italic);
}

const GlyphSource* TextField::embeddedFont(const Dictionary& dictionary, const std::string& name,
                                           bool bold, bool italic) const {
    std::string key = name + (bold ? "/b" : "/") + (italic ? "i" : "");
    if (namedFontKey_ == key && namedFontDictionary_ == &dictionary) return namedFont_;
    // The lowest id wins among fonts of the name, one of the asked style before any other.
    const FontCharacter* best = nullptr;
    auto rank = [&](const FontCharacter& font) {
        return std::make_pair(font.bold() != bold || font.italic() != italic, font.id());
    };
    dictionary.forEach([&](const Character& character) {
        if (character.kind() != FontCharacter::kKind) return;
        const auto& font = static_cast<const FontCharacter&>(character);
        if (font.name() != name || !font.hasOutlines()) return;
        if (!best || rank(font) < rank(*best)) best = &font;
    });
    namedFontKey_ = std::move(key);
    namedFontDictionary_ = &dictionary;
    namedFont_ = best;
    return best;
}

TextLayoutStyle TextField::layoutStyle() const {
    const TextFormat& f = format_;
    TextLayoutStyle style;
    auto twips = [](std::optional<double> pixels) {
        return std::clamp(std::round(pixels.value_or(0) * 20), -1e6, 1e6);
    };
    style.fontHeight = std::clamp(f.size.value_or(12) * 20, 0.0, 2000.0 * 20);
    style.leftMargin = std::max(0.0, twips(f.leftMargin));
    const double rightMargin = std::max(0.0, twips(f.rightMargin));
    style.width = std::max(0.0, settings_.bounds.width() - 2 * kGutter - style.leftMargin -
                                    rightMargin);
    style.indent = twips(f.indent);
    style.blockIndent = std::max(0.0, twips(f.blockIndent));
    style.leading = twips(f.leading);
    style.letterSpacing = twips(f.letterSpacing);
    if (f.tabStops)
        for (double stop : *f.tabStops) style.tabStops.push_back(twips(stop));
    std::sort(style.tabStops.begin(), style.tabStops.end());
    style.align = f.align.value_or(TextAlign::Left);
    // Word wrap does not need multiline: that only lets typed and HTML breaks in.
    style.wordWrap = settings_.wordWrap;
    return style;
}

const std::vector<TextLine>& TextField::lines(const Dictionary& dictionary) const {
    const GlyphSource* glyphs = font(dictionary);
    if (lines_ && glyphs == layoutFont_) return *lines_;
    layoutFont_ = glyphs;
    box_ = settings_.bounds;
    metrics_ = {};
    if (!glyphs) {
        lines_.emplace();
        return *lines_;
    }
    std::u32string shown = settings_.password ? std::u32string(text_.size(), U'*') : text_;
    TextLayoutStyle style = layoutStyle();
    metrics_ = TextLayout::metrics(*glyphs, style);
    const bool autoSize = settings_.autoSize != AutoSize::None;
    const bool growsSideways = autoSize && !style.wordWrap;
    if (growsSideways) {
        // The text's own width is the width to align in.
        double widest = 0;
        for (const TextLine& line : TextLayout::layOut(shown, *glyphs, style))
            widest = std::max(widest, line.indent + line.width);
        style.width = widest;
    }
    lines_ = TextLayout::layOut(shown, *glyphs, style);
    if (autoSize) {
        // Without text the field shrinks to its gutter.
        const double textHeight = metrics_.textHeight(text_.empty() ? 0 : lines_->size());
        box_.yMax = box_.yMin + static_cast<int32_t>(std::lround(textHeight + 2 * kGutter));
        if (growsSideways) {
            const double margins = std::max(0.0, format_.leftMargin.value_or(0) * 20) +
                                   std::max(0.0, format_.rightMargin.value_or(0) * 20);
            const int32_t width =
                static_cast<int32_t>(std::lround(style.width + 2 * kGutter + margins));
            const Rect& b = settings_.bounds;
            if (settings_.autoSize == AutoSize::Right) {
                box_.xMin = b.xMax - width;
            } else if (settings_.autoSize == AutoSize::Center) {
                box_.xMin = b.xMin + (b.width() - width) / 2;
                box_.xMax = box_.xMin + width;
            } else {
                box_.xMax = box_.xMin + width;
            }
        }
    }
    return *lines_;
}

const Rect& TextField::box(const Dictionary& dictionary) const {
    lines(dictionary);
    return box_;
}

double TextField::textWidth(const Dictionary& dictionary) const {
    double widest = 0;
    for (const TextLine& line : lines(dictionary)) widest = std::max(widest, line.width);
    return widest;
}

double TextField::textHeight(const Dictionary& dictionary) const {
    const auto& laidOut = lines(dictionary);
    if (text_.empty()) return 0;
    return metrics_.textHeight(laidOut.size());
}

int TextField::visibleLines(const Dictionary& dictionary) const {
    const Rect& b = box(dictionary);
    if (metrics_.step() <= 0) return 1;
    const double room = b.height() - 2 * kGutter + metrics_.leading;
    return std::max(1, static_cast<int>(room / metrics_.step()));
}

int TextField::maxScroll(const Dictionary& dictionary) const {
    const int count = static_cast<int>(lines(dictionary).size());
    return std::max(1, count - visibleLines(dictionary) + 1);
}

void TextField::draw(Canvas& canvas, const Matrix& toPixels, const ColorTransform& cxform,
                     const Dictionary& dictionary, bool intoMask) const {
    const std::vector<TextLine>& laidOut = lines(dictionary);
    const Rect& bounds = box_;
    if (!intoMask && (settings_.background || settings_.border)) {
        if (settings_.background)
            canvas.drawShape(boxShape(bounds, rgbOf(settings_.backgroundColor), std::nullopt),
                             toPixels, cxform, {});
        if (settings_.border)
            drawBorder(canvas, bounds, toPixels, cxform, rgbOf(settings_.borderColor));
    }

    const GlyphSource* glyphs = layoutFont_;
    if (!glyphs || bounds.empty()) return;
    const double scale = layoutStyle().fontHeight / glyphs->emSize();
    const Rgba color = rgbOf(format_.color.value_or(0));

    if (!intoMask) {
        canvas.beginMask();
        canvas.drawShape(boxShape(bounds, kWhite, std::nullopt), toPixels, {}, {});
        canvas.endMask();
    }
    const double left = bounds.xMin + kGutter - hscroll_ * 20.0;
    const size_t first = std::min<size_t>(laidOut.size(), static_cast<size_t>(scroll_ - 1));
    const double top = bounds.yMin + kGutter -
                       (first < laidOut.size() && first > 0
                            ? laidOut[first].baseline - laidOut[0].baseline
                            : 0);
    for (size_t i = first; i < laidOut.size(); ++i) {
        const TextLine& line = laidOut[i];
        for (const PlacedGlyph& placed : line.glyphs) {
            const Shape* shape = glyphs->glyphShape(placed.glyph);
            if (!shape) continue;
            const Matrix glyphToField = Matrix::translate(left + placed.x, top + line.baseline) *
                                        Matrix::scale(scale, scale);
            DrawGlyph(canvas, *shape, toPixels * glyphToField, color, cxform);
        }
    }
    if (!intoMask) canvas.popMask();
}

}  // namespace swf
