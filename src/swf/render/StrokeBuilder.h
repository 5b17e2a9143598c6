#pragma once
// Gathers the edges drawn with one line style into polylines in surface pixels, ready to be
// stroked: connected edges form one polyline, so they meet with joins rather than caps, and
// a polyline that returns to its start is closed.
//
// AGG's stroker puts the same cap on both ends of a polyline. When a style's start and end
// caps differ, the polylines are stroked without caps and each open end gets a tiny stub
// stroked with its own cap; stubs also give zero-length polylines their dot.

#include <agg_path_storage.h>

#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/render/EdgeFlattener.h"
#include "swf/shape/Shape.h"

namespace swf {

// How a line style is stroked onto the surface: `width` wide in a space that `stretch`, a
// linear map keeping areas, carries onto the surface pixels.
struct StrokePen {
    double width = 1;
    Matrix stretch;

    // How far the stroke reaches from its centre line, in pixels, at the most.
    double halfReach() const;
};

class StrokeBuilder {
  public:
    // A line scales with the transform unless the style asks otherwise, and keeps the shape
    // the transform gives it: stretched along one axis, it is wider across that axis than
    // across the other. Width 0 is a hairline, and no line is thinner than one pixel.
    static StrokePen pen(const LineStyle& style, const Matrix& toPixels);

    // Starts the outline of one line style.
    void begin(const LineStyle& style);
    // Adds a path's edges, continuing the current polyline where the path connects to it.
    // False when the work budget ran out.
    bool addPath(const ShapePath& path, EdgeFlattener& flattener);
    // Ends the last polyline.
    void finish();

    // The polylines, to be stroked with bodyCap().
    agg::path_storage& body() { return body_; }
    CapStyle bodyCap() const { return capsDiffer() ? CapStyle::None : startCap_; }
    // Stubs at polyline starts, to be stroked with the start cap; likewise at the ends.
    agg::path_storage& startStubs() { return startStubs_; }
    agg::path_storage& endStubs() { return endStubs_; }

  private:
    bool capsDiffer() const { return startCap_ != endCap_; }
    void beginPolyline(Point twips, Point pixels);
    void lineTo(Point pixels);
    void endPolyline();
    static void addStub(agg::path_storage& stubs, Point end, Point inward);

    agg::path_storage body_;
    agg::path_storage startStubs_;
    agg::path_storage endStubs_;
    std::vector<Point> points_;
    bool closeLoops_ = true;
    CapStyle startCap_ = CapStyle::Round;
    CapStyle endCap_ = CapStyle::Round;

    // The polyline in progress.
    bool open_ = false;
    Point startTwips_;
    Point endTwips_;
    Point first_;   // pixels
    Point second_;  // the first point after first_ that differs from it
    Point last_;
    Point beforeLast_;  // the last point before last_ that differs from it
    bool hasLength_ = false;
};

}  // namespace swf
