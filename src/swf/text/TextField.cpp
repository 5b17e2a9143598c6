#include "swf/text/TextField.h"

#include <algorithm>
#include <cmath>

#include "swf/text/DeviceFontCache.h"
#include "swf/text/FontCharacter.h"
#include "swf/text/GlyphPainter.h"
#include "swf/text/HtmlText.h"
#include "swf/text/TextDecoding.h"

namespace swf {
namespace {

const Rgba kBlack{0, 0, 0, 255};
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
                const ColorTransform& cxform) {
    if (toPixels.b != 0 || toPixels.c != 0) {
        const Rect outline{bounds.xMin + kHalfPixel, bounds.xMax + kHalfPixel,
                           bounds.yMin + kHalfPixel, bounds.yMax + kHalfPixel};
        canvas.drawShape(boxShape(outline, std::nullopt, kBlack), toPixels, cxform, {});
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
    canvas.drawShape(boxShape(outline, std::nullopt, kBlack), twipsToPixels, cxform, {});
}

}  // namespace

TextField::TextField(std::shared_ptr<const EditTextCharacter> definition)
    : definition_(std::move(definition)) {
    setText(definition_->initialText.value_or(""), definition_->html);
}

void TextField::setText(std::string_view text, bool html) {
    std::u32string decoded = DecodeMovieText(text);
    text_ = html ? PlainTextFromHtml(decoded) : std::move(decoded);
    lines_.reset();
}

const GlyphSource* TextField::font(const Dictionary& dictionary) const {
    const EditTextCharacter& field = *definition_;
    DeviceFontCache& installed = DeviceFontCache::shared();
    if (field.fontId) {
        const auto* embedded = dictionary.findAs<FontCharacter>(*field.fontId);
        if (embedded && field.useOutlines && embedded->hasOutlines()) return embedded;
        if (embedded) return installed.find(embedded->name(), embedded->bold(), embedded->italic());
    }
    if (field.fontClass) return installed.find(*field.fontClass, false, false);
    return installed.find("", false, false);
}

TextLayoutStyle TextField::layoutStyle() const {
    const EditTextCharacter& field = *definition_;
    const EditTextLayout layout = field.layout.value_or(EditTextLayout{});
    TextLayoutStyle style;
    style.fontHeight = field.fontHeight > 0 ? field.fontHeight : kDefaultFontHeight;
    style.leftMargin = layout.leftMargin;
    style.width =
        std::max(0.0, field.bounds.width() - 2 * kGutter - layout.leftMargin - layout.rightMargin);
    style.indent = layout.indent;
    style.leading = layout.leading;
    style.align = layout.align;
    // A single-line field never wraps.
    style.wordWrap = field.wordWrap && field.multiline;
    return style;
}

const std::vector<TextLine>& TextField::lines(const Dictionary& dictionary) const {
    const GlyphSource* glyphs = font(dictionary);
    if (lines_ && glyphs == layoutFont_) return *lines_;
    layoutFont_ = glyphs;
    const EditTextCharacter& field = *definition_;
    box_ = field.bounds;
    if (!glyphs) {
        lines_.emplace();
        return *lines_;
    }
    std::u32string shown = field.password ? std::u32string(text_.size(), U'*') : text_;
    TextLayoutStyle style = layoutStyle();
    const bool growsSideways = field.autoSize && !style.wordWrap;
    if (growsSideways) {
        // The text's own width is the width to align in.
        double widest = 0;
        for (const TextLine& line : TextLayout::layOut(shown, *glyphs, style))
            widest = std::max(widest, line.width);
        style.width = widest;
    }
    lines_ = TextLayout::layOut(shown, *glyphs, style);
    if (field.autoSize) {
        const double lineCount = static_cast<double>(lines_->size());
        const double textHeight =
            lineCount * TextLayout::lineHeight(*glyphs, style) - style.leading;
        box_.yMax = box_.yMin + static_cast<int32_t>(std::lround(textHeight + 2 * kGutter));
        if (growsSideways) {
            const EditTextLayout layout = field.layout.value_or(EditTextLayout{});
            box_.xMax = box_.xMin +
                        static_cast<int32_t>(std::lround(style.width + 2 * kGutter +
                                                         layout.leftMargin + layout.rightMargin));
        }
    }
    return *lines_;
}

const Rect& TextField::box(const Dictionary& dictionary) const {
    lines(dictionary);
    return box_;
}

void TextField::draw(Canvas& canvas, const Matrix& toPixels, const ColorTransform& cxform,
                     const Dictionary& dictionary, bool intoMask) const {
    const EditTextCharacter& field = *definition_;
    const std::vector<TextLine>& laidOut = lines(dictionary);
    const Rect& bounds = box_;
    if (field.border && !intoMask) {
        canvas.drawShape(boxShape(bounds, kWhite, std::nullopt), toPixels, cxform, {});
        drawBorder(canvas, bounds, toPixels, cxform);
    }

    const GlyphSource* glyphs = layoutFont_;
    if (!glyphs || bounds.empty()) return;
    const double scale = layoutStyle().fontHeight / glyphs->emSize();
    const Rgba color = field.textColor.value_or(kBlack);

    if (!intoMask) {
        canvas.beginMask();
        canvas.drawShape(boxShape(bounds, kWhite, std::nullopt), toPixels, {}, {});
        canvas.endMask();
    }
    const double left = bounds.xMin + kGutter;
    const double top = bounds.yMin + kGutter;
    for (const TextLine& line : laidOut) {
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
