#include "swf/render/StrokeBuilder.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// Wider strokes only come from hostile movies; bounding them keeps AGG's arc subdivision sane.
constexpr double kMaxStrokeWidth = 1e6;
// Length of a cap stub in pixels: long enough for AGG to give it a direction, short enough
// to stay inside the line it ends.
constexpr double kStubLength = 0.01;

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

void StrokeBuilder::begin(const LineStyle& style) {
    body_.remove_all();
    startStubs_.remove_all();
    endStubs_.remove_all();
    closeLoops_ = !style.noClose;
    startCap_ = style.startCap;
    endCap_ = style.endCap;
    open_ = false;
}

void StrokeBuilder::beginPolyline(Point twips, Point pixels) {
    endPolyline();
    body_.move_to(pixels.x, pixels.y);
    open_ = true;
    startTwips_ = twips;
    first_ = second_ = last_ = beforeLast_ = pixels;
    hasLength_ = false;
}

void StrokeBuilder::lineTo(Point pixels) {
    body_.line_to(pixels.x, pixels.y);
    if (pixels == last_) return;
    if (!hasLength_) second_ = pixels;
    hasLength_ = true;
    beforeLast_ = last_;
    last_ = pixels;
}

void StrokeBuilder::addStub(agg::path_storage& stubs, Point end, Point inward) {
    double dx = inward.x - end.x;
    double dy = inward.y - end.y;
    double length = std::hypot(dx, dy);
    if (length > 0) {
        dx = dx / length * kStubLength;
        dy = dy / length * kStubLength;
    } else {
        dx = kStubLength;  // a dot: any direction will do
    }
    stubs.move_to(end.x, end.y);
    stubs.line_to(end.x + dx, end.y + dy);
}

void StrokeBuilder::endPolyline() {
    if (!open_) return;
    open_ = false;
    if (hasLength_ && closeLoops_ && endTwips_ == startTwips_) {
        body_.close_polygon();
        return;
    }
    // The body draws open ends itself unless the caps differ; a polyline without length
    // leaves its dot to the stubs.
    if (hasLength_ && !capsDiffer()) return;
    if (startCap_ != CapStyle::None) addStub(startStubs_, first_, second_);
    if (endCap_ != CapStyle::None) addStub(endStubs_, last_, beforeLast_);
}

bool StrokeBuilder::addPath(const ShapePath& path, EdgeFlattener& flattener) {
    for (const Edge& edge : path.edges) {
        if (!open_ || !(edge.from == endTwips_))
            beginPolyline(edge.from, flattener.toPixels(edge.from));
        points_.clear();
        if (!flattener.append(edge, points_)) return false;
        for (const Point& p : points_) lineTo(p);
        endTwips_ = edge.to;
    }
    return true;
}

void StrokeBuilder::finish() {
    endPolyline();
}

}  // namespace swf
