#include "swf/render/StrokeBuilder.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// Wider strokes only come from hostile movies; bounding them keeps AGG's arc subdivision sane.
constexpr double kMaxStrokeWidth = 1e6;

}  // namespace

double StrokeBuilder::pixelWidth(const LineStyle& style, const Matrix& toPixels) {
    if (style.width == 0) return 1;
    double scaleX = std::hypot(toPixels.a, toPixels.b);
    double scaleY = std::hypot(toPixels.c, toPixels.d);
    double scale;
    if (style.noHScale && style.noVScale) {
        scale = 1 / kTwipsPerPixel;
    } else if (style.noHScale) {
        scale = scaleY;
    } else if (style.noVScale) {
        scale = scaleX;
    } else {
        scale = (scaleX + scaleY) / 2;
    }
    double width = style.width * scale;
    if (!std::isfinite(width)) return kMaxStrokeWidth;
    return std::clamp(width, 1.0, kMaxStrokeWidth);
}

void StrokeBuilder::begin(bool closeLoops) {
    outline_.remove_all();
    closeLoops_ = closeLoops;
    open_ = false;
}

void StrokeBuilder::endPolyline() {
    if (open_ && closeLoops_ && end_ == start_) outline_.close_polygon();
    open_ = false;
}

bool StrokeBuilder::addPath(const ShapePath& path, EdgeFlattener& flattener) {
    for (const Edge& edge : path.edges) {
        if (!open_ || !(edge.from == end_)) {
            endPolyline();
            Point start = flattener.toPixels(edge.from);
            outline_.move_to(start.x, start.y);
            start_ = edge.from;
            open_ = true;
        }
        points_.clear();
        if (!flattener.append(edge, points_)) return false;
        for (const Point& p : points_) outline_.line_to(p.x, p.y);
        end_ = edge.to;
    }
    return true;
}

agg::path_storage& StrokeBuilder::finish() {
    endPolyline();
    return outline_;
}

}  // namespace swf
