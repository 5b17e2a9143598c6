#include "swf/shape/ShapeHitTest.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace swf {

namespace {

// Curves are followed as this many straight pieces when a point is tested against a shape.
constexpr int kCurvePieces = 16;

// Calls `segment(from, to)` for each straight piece of a path.
template <class Segment>
void forEachPiece(const ShapePath& path, Segment&& segment) {
    for (const Edge& e : path.edges) {
        if (!e.curved) {
            segment(e.from, e.to);
            continue;
        }
        Point last = e.from;
        for (int i = 1; i <= kCurvePieces; ++i) {
            double t = double(i) / kCurvePieces, u = 1 - t;
            Point p{u * u * e.from.x + 2 * u * t * e.control.x + t * t * e.to.x,
                    u * u * e.from.y + 2 * u * t * e.control.y + t * t * e.to.y};
            segment(last, p);
            last = p;
        }
    }
}

double distanceToSegment(Point p, Point a, Point b) {
    double dx = b.x - a.x, dy = b.y - a.y;
    double length = dx * dx + dy * dy;
    double t =
        length > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length, 0.0, 1.0) : 0;
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

}  // namespace

bool shapeContains(const Shape& shape, Point p, double pixel, const std::function<void(size_t)>& charge,
                   bool checkBounds) {
    if (checkBounds && (p.x < shape.bounds.xMin || p.x > shape.bounds.xMax ||
                        p.y < shape.bounds.yMin || p.y > shape.bounds.yMax))
        return false;
    std::vector<int> winding(shape.fills.size() + 1, 0);
    std::vector<int> crossings(shape.fills.size() + 1, 0);
    for (const ShapePath& path : shape.paths) {
        charge(1 + path.edges.size());
        if (path.line && path.line <= shape.lines.size()) {
            double half = std::max<double>(shape.lines[path.line - 1].width, pixel) / 2;
            bool onStroke = false;
            forEachPiece(path, [&](Point a, Point b) {
                if (!onStroke && distanceToSegment(p, a, b) <= half) onStroke = true;
            });
            if (onStroke) return true;
        }
        if (!path.fill0 && !path.fill1) continue;
        forEachPiece(path, [&](Point a, Point b) {
            bool up = a.y <= p.y && b.y > p.y;
            bool down = b.y <= p.y && a.y > p.y;
            if (!up && !down) return;
            double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
            if (x < p.x) return;  // a point on an edge is left of it
            int direction = up ? 1 : -1;
            if (path.fill1 < winding.size()) {
                winding[path.fill1] += direction;
                ++crossings[path.fill1];
            }
            if (path.fill0 < winding.size()) {
                winding[path.fill0] -= direction;
                ++crossings[path.fill0];
            }
        });
    }
    for (size_t f = 1; f < winding.size(); ++f)
        if (shape.nonZeroWinding ? winding[f] != 0 : (crossings[f] & 1) != 0) return true;
    return false;
}

}  // namespace swf
