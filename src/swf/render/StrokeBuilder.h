#pragma once
// Gathers the edges drawn with one line style into polylines in surface pixels, ready to be
// stroked: connected edges form one polyline, so they meet with joins rather than caps, and
// a polyline that returns to its start is closed.

#include <agg_path_storage.h>

#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/render/EdgeFlattener.h"
#include "swf/shape/Shape.h"

namespace swf {

class StrokeBuilder {
public:
    // The stroke width in pixels: scaled with the transform unless the style asks otherwise,
    // a hairline for width 0, and never thinner than one pixel.
    static double pixelWidth(const LineStyle& style, const Matrix& toPixels);

    // Starts the outline of one line style; `closeLoops` is false for styles that keep caps
    // on polylines ending where they started.
    void begin(bool closeLoops);
    // Adds a path's edges, continuing the current polyline where the path connects to it.
    // False when the work budget ran out.
    bool addPath(const ShapePath& path, EdgeFlattener& flattener);
    // Ends the last polyline and gives the outline.
    agg::path_storage& finish();

private:
    void endPolyline();

    agg::path_storage outline_;
    std::vector<Point> points_;
    bool closeLoops_ = true;
    bool open_ = false;  // a polyline is in progress
    Point start_;        // of the polyline in progress, twips
    Point end_;
};

}  // namespace swf
