#include "swf/render/ShapeRasterizer.h"

namespace swf {

bool ShapeRasterizer::addFills(const Shape& shape, std::span<const ShapePath> paths, uint32_t first,
                               uint32_t count, EdgeFlattener& flattener, PixelBox clip) {
    rasterizer_.reset();
    rasterizer_.clip_box(clip.x1, clip.y1, clip.x2, clip.y2);
    // A fill is the region its edges bound, whatever their order and direction: crossing an
    // edge enters or leaves it, which is the even-odd rule per style. Shapes that ask for the
    // non-zero rule get it: the rasterizer counts an edge up for the style on one side and
    // down for the style on the other, which is the winding of each fill.
    rasterizer_.filling_rule(shape.nonZeroWinding ? agg::fill_non_zero : agg::fill_even_odd);
    size_t fillCount = shape.fills.size();
    auto styleOf = [&](uint32_t index) {
        // 1-based fill index to this pass's style number; -1 for none, out of range or another
        // pass.
        if (index == 0 || index > fillCount || index - 1 < first || index - 1 - first >= count)
            return -1;
        return static_cast<int>(index - 1 - first);
    };
    for (const ShapePath& path : paths) {
        int left = styleOf(path.fill0);
        int right = styleOf(path.fill1);
        if (left == right) continue;  // no fill, or the same fill on both sides: no boundary
        rasterizer_.styles(left, right);
        const Point* lastEnd = nullptr;
        for (const Edge& edge : path.edges) {
            if (!lastEnd || !(edge.from == *lastEnd)) {
                Point start = flattener.toPixels(edge.from);
                rasterizer_.move_to_d(start.x, start.y);
            }
            points_.clear();
            if (!flattener.append(edge, points_)) return false;
            for (const Point& p : points_) rasterizer_.line_to_d(p.x, p.y);
            lastEnd = &edge.to;
        }
    }
    return true;
}

}  // namespace swf
