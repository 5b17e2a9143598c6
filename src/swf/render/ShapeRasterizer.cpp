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
    // A fill is the region its edges bound, whatever their order and direction: crossing an
    // edge enters or leaves it, which is the even-odd rule per style. Shapes that ask for the
    // non-zero rule get it: an edge counts up for the style on one side and down for the style
    // on the other, which is the winding of each fill.
    sampler_.reset(clip, !shape.nonZeroWinding, samplesPerSide_);
    for (const ShapePath& path : paths) {
        int left = styleOf(path.fill0);
        int right = styleOf(path.fill1);
        if (left == right) continue;  // no fill, or the same fill on both sides: no boundary
        sampler_.styles(left, right);
        const Point* lastEnd = nullptr;
        for (const Edge& edge : path.edges) {
            if (!lastEnd || !(edge.from == *lastEnd))
                sampler_.moveTo(flattener.toPixels(edge.from));
            points_.clear();
            if (!flattener.append(edge, points_)) return false;
            for (const Point& p : points_) sampler_.lineTo(p);
            lastEnd = &edge.to;
        }
    }
    return true;
}

void ShapeRasterizer::render(SurfaceBlender& surface, FillStyleTable& styles) {
    if (!sampler_.rewind()) return;
    int minX = sampler_.minX();
    scanline_.reset(minX, sampler_.maxX());
    auto rowLength = static_cast<size_t>(sampler_.maxX() - minX + 1);
    if (mix_.size() < rowLength) {
        mix_.resize(rowLength);
        mixCovers_.resize(rowLength);
    }
    while (sampler_.nextRow()) {
        if (sampler_.rowStyleCount() > 1) {
            blendMixedRow(surface, styles);
            continue;
        }
        sampler_.covers(0, scanline_);
        blendSpans(surface, styles.paint(static_cast<unsigned>(sampler_.rowStyle(0))));
    }
}

void ShapeRasterizer::blendSpans(SurfaceBlender& surface, const FillPaint& paint) {
    auto span = scanline_.begin();
    for (unsigned n = scanline_.num_spans(); n > 0; --n, ++span)
        surface.blend(span->x, scanline_.y(), static_cast<unsigned>(span->len), span->covers,
                      paint);
}

void ShapeRasterizer::blendMixedRow(SurfaceBlender& surface, FillStyleTable& styles) {
    // The mix covers the pixels where any of the row's fills took samples.
    int minX = sampler_.minX();
    auto [firstPixel, endPixel] = sampler_.rowPixels();
    auto first = static_cast<size_t>(firstPixel - minX), end = static_cast<size_t>(endPixel - minX);
    std::fill(mix_.begin() + static_cast<std::ptrdiff_t>(first),
              mix_.begin() + static_cast<std::ptrdiff_t>(end), agg::rgba8(0, 0, 0, 0));
    std::fill(mixCovers_.begin() + static_cast<std::ptrdiff_t>(first),
              mixCovers_.begin() + static_cast<std::ptrdiff_t>(end), 0);
    for (size_t i = 0; i < sampler_.rowStyleCount(); ++i) {
        const FillPaint& paint = styles.paint(static_cast<unsigned>(sampler_.rowStyle(i)));
        sampler_.covers(i, scanline_);
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
    surface.blend(minX + static_cast<int>(first), scanline_.y(), static_cast<unsigned>(end - first),
                  mix_.data() + first);
}

}  // namespace swf
