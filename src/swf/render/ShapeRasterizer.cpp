#include "swf/render/ShapeRasterizer.h"

#include <algorithm>

namespace swf {

bool ShapeRasterizer::addFills(const Shape& shape, std::span<const ShapePath> paths, uint32_t first,
                               uint32_t count, EdgeFlattener& flattener, PixelBox clip) {
    size_t fillCount = shape.fills.size();
    auto styleOf = [&](uint32_t index) {
        // 1-based fill index to this pass's style number; -1 for none, out of range or another
        // pass.
        if (index == 0 || index > fillCount || index - 1 < first || index - 1 - first >= count)
            return -1;
        return static_cast<int>(index - 1 - first);
    };
    if (!antiAliased_) {
        aliased_.reset(clip, !shape.nonZeroWinding);
        return addEdges(
            paths, flattener, styleOf,
            [this](int left, int right) { aliased_.styles(left, right); },
            [this](Point p) { aliased_.moveTo(p); }, [this](Point p) { aliased_.lineTo(p); });
    }
    // One fill on the same side of every bounding edge (the other side unfilled) needs no
    // style bookkeeping.
    int oneLeft = -1, oneRight = -1;
    oneFill_ = true;
    for (const ShapePath& path : paths) {
        int left = styleOf(path.fill0);
        int right = styleOf(path.fill1);
        if (left == right) continue;
        if (oneLeft == -1 && oneRight == -1) {
            oneLeft = left;
            oneRight = right;
        }
        if (left != oneLeft || right != oneRight || (left != -1 && right != -1)) {
            oneFill_ = false;
            break;
        }
    }
    // A fill is the region its edges bound, whatever their order and direction: crossing an
    // edge enters or leaves it, which is the even-odd rule per style. Shapes that ask for the
    // non-zero rule get it: the rasterizer counts an edge up for the style on one side and
    // down for the style on the other, which is the winding of each fill.
    if (oneFill_) {
        oneStyle_ = static_cast<unsigned>(std::max(oneLeft, oneRight));
        single_.reset(clip, !shape.nonZeroWinding, oneRight != -1);
        return addEdges(
            paths, flattener, styleOf, [](int, int) {}, [this](Point p) { single_.moveTo(p); },
            [this](Point p) { single_.lineTo(p); });
    }
    rasterizer_.reset();
    rasterizer_.clip_box(clip.x1, clip.y1, clip.x2, clip.y2);
    rasterizer_.filling_rule(shape.nonZeroWinding ? agg::fill_non_zero : agg::fill_even_odd);
    return addEdges(
        paths, flattener, styleOf, [this](int left, int right) { rasterizer_.styles(left, right); },
        [this](Point p) { rasterizer_.move_to_d(p.x, p.y); },
        [this](Point p) { rasterizer_.line_to_d(p.x, p.y); });
}

template <class StyleOf, class SetStyles, class MoveTo, class LineTo>
bool ShapeRasterizer::addEdges(std::span<const ShapePath> paths, EdgeFlattener& flattener,
                               StyleOf styleOf, SetStyles setStyles, MoveTo moveTo, LineTo lineTo) {
    for (const ShapePath& path : paths) {
        int left = styleOf(path.fill0);
        int right = styleOf(path.fill1);
        if (left == right) continue;  // no fill, or the same fill on both sides: no boundary
        setStyles(left, right);
        const Point* lastEnd = nullptr;
        for (const Edge& edge : path.edges) {
            if (!lastEnd || !(edge.from == *lastEnd)) moveTo(flattener.toPixels(edge.from));
            points_.clear();
            if (!flattener.append(edge, points_)) return false;
            for (const Point& p : points_) lineTo(p);
            lastEnd = &edge.to;
        }
    }
    return true;
}

void ShapeRasterizer::render(SurfaceBlender& surface, FillStyleTable& styles) {
    if (!antiAliased_) {
        if (!aliased_.rewind()) return;
        scanline_.reset(aliased_.minX(), aliased_.maxX());
        int style = 0;
        while (aliased_.sweep(scanline_, style))
            blendSpans(surface, styles.paint(static_cast<unsigned>(style)));
        return;
    }
    if (oneFill_) {
        if (!single_.rewind()) return;
        scanline_.reset(single_.minX(), single_.maxX());
        const FillPaint& paint = styles.paint(oneStyle_);
        while (single_.sweep(scanline_)) blendSpans(surface, paint);
        return;
    }
    if (!rasterizer_.rewind_scanlines()) return;
    int minX = rasterizer_.min_x();
    scanline_.reset(minX, rasterizer_.max_x());
    auto rowLength = static_cast<size_t>(rasterizer_.max_x() - minX + 2);
    if (mix_.size() < rowLength) {
        mix_.resize(rowLength);
        mixCovers_.resize(rowLength);
    }
    while (unsigned fillCount = rasterizer_.sweep_styles()) {
        if (fillCount > 1) {
            blendMixedRow(surface, styles, fillCount);
            continue;
        }
        if (!rasterizer_.sweep_scanline(scanline_, 0)) continue;
        blendSpans(surface, styles.paint(rasterizer_.style(0)));
    }
}

void ShapeRasterizer::blendSpans(SurfaceBlender& surface, const FillPaint& paint) {
    auto span = scanline_.begin();
    for (unsigned n = scanline_.num_spans(); n > 0; --n, ++span)
        surface.blend(span->x, scanline_.y(), static_cast<unsigned>(span->len), span->covers,
                      paint);
}

void ShapeRasterizer::blendMixedRow(SurfaceBlender& surface, FillStyleTable& styles,
                                    unsigned fillCount) {
    unsigned rowLength = rasterizer_.scanline_length();
    if (rowLength == 0) return;
    int minX = rasterizer_.min_x();
    auto start = static_cast<size_t>(rasterizer_.scanline_start() - minX);
    std::fill_n(mix_.begin() + static_cast<std::ptrdiff_t>(start), rowLength,
                agg::rgba8(0, 0, 0, 0));
    std::fill_n(mixCovers_.begin() + static_cast<std::ptrdiff_t>(start), rowLength, 0);
    bool swept = false;
    for (unsigned i = 0; i < fillCount; ++i) {
        const FillPaint& paint = styles.paint(rasterizer_.style(i));
        if (!rasterizer_.sweep_scanline(scanline_, static_cast<int>(i))) continue;
        swept = true;
        auto span = scanline_.begin();
        for (unsigned n = scanline_.num_spans(); n > 0; --n, ++span) {
            auto len = static_cast<unsigned>(span->len);
            if (!paint.isSolid()) {
                if (colors_.size() < len) colors_.resize(len);
                paint.generate(colors_.data(), span->x, scanline_.y(), 0, len);
            }
            agg::rgba8 solid = paint.color();
            auto offset = static_cast<size_t>(span->x - minX);
            for (unsigned k = 0; k < len; ++k) {
                // Each fill takes its cover, but never more than the pixel has left.
                uint8_t& taken = mixCovers_[offset + k];
                unsigned cover = std::min<unsigned>(span->covers[k], agg::cover_full - taken);
                if (cover == 0) continue;
                mix_[offset + k].add(paint.isSolid() ? solid : colors_[k], cover);
                taken = static_cast<uint8_t>(taken + cover);
            }
        }
    }
    if (swept)
        surface.blend(rasterizer_.scanline_start(), scanline_.y(), rowLength, mix_.data() + start);
}

}  // namespace swf
