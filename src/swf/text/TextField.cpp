#include "swf/text/TextField.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "swf/text/DeviceFontCache.h"
#include "swf/text/FontCharacter.h"
#include "swf/text/GlyphPainter.h"
#include "swf/text/HtmlText.h"
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
    const Rect outline{pixelCentre(std::min(a.x, z.x)), pixelCentre(std::max(a.x, z.x)),
                       pixelCentre(std::min(a.y, z.y)), pixelCentre(std::max(a.y, z.y))};
    const Matrix twipsToPixels = Matrix::scale(1 / kTwipsPerPixel, 1 / kTwipsPerPixel);
    canvas.drawShape(boxShape(outline, std::nullopt, color), twipsToPixels, cxform, {});
}


Rgba rgbOf(uint32_t color) {
    return Rgba{static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8),
                static_cast<uint8_t>(color), 255};
}

// Newlines are kept as carriage returns, as the player stores them.
std::u32string normalizeBreaks(std::u32string text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out.push_back(text[i] == '\n' ? U'\r' : text[i]);
    }
    return out;
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
    setPlainText(html ? PlainTextFromHtml(decoded) : std::move(decoded));
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
    if (name == kDefaultFont && !field.fontClass && !field.fontId)
        return installed.find("", bold, italic);
    return installed.find(name, bold, italic);
}

TextLayoutStyle TextField::layoutStyle() const {
    const TextFormat& f = format_;
    TextLayoutStyle style;
    style.fontHeight = std::clamp(f.size.value_or(12) * 20, 0.0, 2000.0 * 20);
    style.leftMargin = std::max(0.0, f.leftMargin.value_or(0) * 20);
    const double rightMargin = std::max(0.0, f.rightMargin.value_or(0) * 20);
    style.width = std::max(0.0, settings_.bounds.width() - 2 * kGutter - style.leftMargin -
                                    rightMargin);
    style.indent = std::clamp(f.indent.value_or(0) * 20, -1e6, 1e6);
    style.leading = std::clamp(f.leading.value_or(0) * 20, -1e6, 1e6);
    style.align = f.align.value_or(TextAlign::Left);
    // A single-line field never wraps.
    style.wordWrap = settings_.wordWrap && settings_.multiline;
    return style;
}

const std::vector<TextLine>& TextField::lines(const Dictionary& dictionary) const {
    const GlyphSource* glyphs = font(dictionary);
    if (lines_ && glyphs == layoutFont_) return *lines_;
    layoutFont_ = glyphs;
    box_ = settings_.bounds;
    lineStep_ = 0;
    if (!glyphs) {
        lines_.emplace();
        return *lines_;
    }
    std::u32string shown = settings_.password ? std::u32string(text_.size(), U'*') : text_;
    TextLayoutStyle style = layoutStyle();
    lineStep_ = TextLayout::lineHeight(*glyphs, style);
    const bool autoSize = settings_.autoSize != AutoSize::None;
    const bool growsSideways = autoSize && !style.wordWrap;
    if (growsSideways) {
        // The text's own width is the width to align in.
        double widest = 0;
        for (const TextLine& line : TextLayout::layOut(shown, *glyphs, style))
            widest = std::max(widest, line.width);
        style.width = widest;
    }
    lines_ = TextLayout::layOut(shown, *glyphs, style);
    if (autoSize) {
        const double lineCount = static_cast<double>(lines_->size());
        const double textHeight = lineCount * lineStep_ - style.leading;
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
    return static_cast<double>(laidOut.size()) * lineStep_ - layoutStyle().leading;
}

int TextField::visibleLines(const Dictionary& dictionary) const {
    const Rect& b = box(dictionary);
    if (lineStep_ <= 0) return 1;
    const double room = b.height() - 2 * kGutter + layoutStyle().leading;
    return std::max(1, static_cast<int>(room / lineStep_));
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
