#pragma once
// Turns shape edges (twips, straight or quadratic) into straight segments in surface pixels.
// Curves are subdivided finely enough for the transform in use, so a shape drawn large
// stays smooth and one drawn small costs few segments.

#include <optional>
#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/render/WorkBudget.h"
#include "swf/shape/Shape.h"

namespace swf {

// An axis-aligned area in pixels.
struct PixelBox {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

class EdgeFlattener {
  public:
    // `visible` is where segments can show; curves wholly beside it become one segment.
    EdgeFlattener(const Matrix& toPixels, PixelBox visible, WorkBudget& budget);

    // The box holding every point of the shape in pixels (a curve lies within its control
    // points; empty, with x1 > x2, for a shape without edges), or nothing when some
    // coordinate maps to an unusable pixel position (not finite or beyond a sane range): then
    // the shape is not drawn.
    static std::optional<PixelBox> pixelBounds(const Shape& shape, const Matrix& toPixels);

    Point toPixels(Point twips) const { return matrix_.apply(twips); }

    // Appends the points after `edge.from` (in pixels) to `out`. False when the work budget
    // is spent.
    bool append(const Edge& edge, std::vector<Point>& out);

  private:
    bool spendSegment(Point from, Point to);
    bool hullBesideVisible(Point p0, Point p1, Point p2) const;

    Matrix matrix_;
    PixelBox visible_;
    WorkBudget& budget_;
};

}  // namespace swf
