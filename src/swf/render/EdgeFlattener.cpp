#include "swf/render/EdgeFlattener.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// Largest pixel coordinate accepted; beyond it a movie is hostile, not artistic.
constexpr double kMaxPixelCoordinate = 1e12;
// Greatest distance between a curve and the segments that stand for it, in pixels, and in the
// shape's own units (twips, or a font's units for a glyph), as the original player measures
// it: a glyph drawn small keeps round curves, one drawn large stays smooth.
constexpr double kCurveTolerance = 0.1;
constexpr double kCurveToleranceInShapeUnits = 2;
constexpr int kMaxCurveSegments = 256;

// How far a quadratic curve strays from its chord: |p0 - 2 p1 + p2| / 4.
double bulge(Point p0, Point p1, Point p2) {
    return std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y) / 4;
}

// The segments that keep a curve within `tolerance` of them: n segments cut its bulge by n
// squared.
double segmentsFor(double bulge, double tolerance) {
    return std::ceil(std::sqrt(bulge / tolerance));
}

bool usable(Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::fabs(p.x) <= kMaxPixelCoordinate &&
           std::fabs(p.y) <= kMaxPixelCoordinate;
}

}  // namespace

EdgeFlattener::EdgeFlattener(const Matrix& toPixels, PixelBox visible, WorkBudget& budget)
    : matrix_(toPixels), visible_(visible), budget_(budget) {}

std::optional<PixelBox> EdgeFlattener::pixelBounds(const Shape& shape, const Matrix& toPixels) {
    PixelBox box{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    auto include = [&box, &toPixels](Point twips) {
        Point p = toPixels.apply(twips);
        if (!usable(p)) return false;
        box = {std::min(box.x1, p.x), std::min(box.y1, p.y), std::max(box.x2, p.x),
               std::max(box.y2, p.y)};
        return true;
    };
    for (const ShapePath& path : shape.paths) {
        for (const Edge& edge : path.edges) {
            if (!include(edge.from) || !include(edge.to)) return std::nullopt;
            if (edge.curved && !include(edge.control)) return std::nullopt;
        }
    }
    return box;
}

bool EdgeFlattener::spendSegment(Point from, Point to) {
    // A segment, once clipped to the visible box, crosses at most its width plus its height
    // in cells. Above or below the box it makes none; beside it, the clipper folds it onto
    // the box's border, where only its height counts.
    const PixelBox& box = visible_;
    if ((from.y < box.y1 && to.y < box.y1) || (from.y > box.y2 && to.y > box.y2))
        return budget_.spend(1);
    double cellsDown = std::min(std::fabs(to.y - from.y), box.y2 - box.y1);
    bool beside = (from.x < box.x1 && to.x < box.x1) || (from.x > box.x2 && to.x > box.x2);
    double cellsAcross = beside ? 0 : std::min(std::fabs(to.x - from.x), box.x2 - box.x1);
    return budget_.spend(static_cast<uint64_t>(cellsDown + cellsAcross) + 2);
}

bool EdgeFlattener::hullBesideVisible(Point p0, Point p1, Point p2) const {
    auto allBelow = [](double a, double b, double c, double limit) {
        return a < limit && b < limit && c < limit;
    };
    auto allAbove = [](double a, double b, double c, double limit) {
        return a > limit && b > limit && c > limit;
    };
    return allBelow(p0.x, p1.x, p2.x, visible_.x1) || allAbove(p0.x, p1.x, p2.x, visible_.x2) ||
           allBelow(p0.y, p1.y, p2.y, visible_.y1) || allAbove(p0.y, p1.y, p2.y, visible_.y2);
}

bool EdgeFlattener::append(const Edge& edge, std::vector<Point>& out) {
    Point p0 = matrix_.apply(edge.from);
    Point p2 = matrix_.apply(edge.to);
    if (!edge.curved) {
        out.push_back(p2);
        return spendSegment(p0, p2);
    }
    Point p1 = matrix_.apply(edge.control);
    // Outside the visible box a curve only matters through its end points (the clipper
    // collapses it onto the box's border), so its chord does as well.
    if (hullBesideVisible(p0, p1, p2)) {
        out.push_back(p2);
        return spendSegment(p0, p2);
    }
    double needed =
        std::max(segmentsFor(bulge(p0, p1, p2), kCurveTolerance),
                 segmentsFor(bulge(edge.from, edge.control, edge.to), kCurveToleranceInShapeUnits));
    int segments = static_cast<int>(std::clamp(needed, 1.0, double{kMaxCurveSegments}));
    Point previous = p0;
    for (int i = 1; i <= segments; ++i) {
        double t = static_cast<double>(i) / segments;
        double u = 1 - t;
        Point p = i == segments ? p2
                                : Point{u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x,
                                        u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y};
        out.push_back(p);
        if (!spendSegment(previous, p)) return false;
        previous = p;
    }
    return true;
}

}  // namespace swf
