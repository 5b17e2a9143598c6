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

// The largest factor by which a linear map whose determinant is 1 or -1 stretches a length.
double largestStretch(const Matrix& m) {
    double sum = m.a * m.a + m.b * m.b + m.c * m.c + m.d * m.d;
    return std::sqrt((sum + std::sqrt(std::max(sum * sum - 4, 0.0))) / 2);
}

}  // namespace

double StrokePen::halfReach() const {
    return width / 2 * largestStretch(stretch);
}

StrokePen StrokeBuilder::pen(const LineStyle& style, const Matrix& toPixels) {
    if (style.width == 0) return {};
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
        // Stroked in a space of the transform's own area, then carried through the rest of it.
        double root = std::sqrt(std::fabs(toPixels.determinant()));
        Matrix stretch{toPixels.a / root, toPixels.b / root, toPixels.c / root,
                       toPixels.d / root, 0, 0};
        double width = style.width * root;
        double largest = largestStretch(stretch);
        // A line that would come out thinner than a pixel across its squeezed axis is drawn
        // evenly, at least a pixel wide.
        if (std::isfinite(width) && std::isfinite(largest) && width <= kMaxStrokeWidth &&
            width / largest >= 1) {
            // A transform that only turns and scales evenly leaves the width alone.
            if (largest - 1 < 1e-9) return {width, {}};
            return {width, stretch};
        }
        scale = (scaleX + scaleY) / 2;
    }
    double width = style.width * scale;
    if (!std::isfinite(width)) return {kMaxStrokeWidth, {}};
    return {std::clamp(width, 1.0, kMaxStrokeWidth), {}};
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
