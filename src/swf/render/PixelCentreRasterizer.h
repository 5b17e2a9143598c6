#pragma once
// Fills without anti-aliasing, as the original player does at low quality: a pixel is painted,
// fully, when its centre lies inside the fill, and not at all otherwise. A centre exactly on
// an edge belongs to the fill to the right of it, or below it for a horizontal edge, so
// fills that share an edge never both take a pixel.
//
// Edges carry the style on their left and on their right, like the compound rasterizer's;
// where a shape's fills overlap, the higher style number shows, as it does there.

#include <agg_scanline_u.h>

#include <cstddef>
#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/render/EdgeFlattener.h"

namespace swf {

class PixelCentreRasterizer {
  public:
    // Drops any edges and starts over; only centres within `clip` are sampled.
    void reset(PixelBox clip, bool evenOdd);
    // The styles on the left and right of the edges that follow; -1 for none.
    void styles(int left, int right);
    void moveTo(Point p);
    void lineTo(Point p);
    // Joins the contour's last point to its first, for outlines that are closed polygons.
    void closeContour() { lineTo(start_); }

    // Prepares the sweep; false when there is nothing to draw.
    bool rewind();
    // The columns the sweep's scanlines can reach.
    int minX() const { return firstColumn_; }
    int maxX() const { return endColumn_ - 1; }
    // Puts the next row's pixels of one style into `scanline`, at full cover, rows from the
    // top and styles in ascending order within a row; false after the last.
    bool sweep(agg::scanline_u8& scanline, int& style);

  private:
    struct Edge {
        double x0, y0, x1, y1;  // y0 < y1
        int firstRow, endRow;
        int left, right;
        int direction;  // +1 when the edge runs down, -1 when up
    };
    struct Crossing {
        double x;
        const Edge* edge;
    };
    struct Run {
        int style;
        int x;
        int length;
    };

    bool inside(int winding) const { return evenOdd_ ? (winding & 1) != 0 : winding != 0; }
    // Gathers the runs of the row `row_`.
    void sampleRow();
    void enter(int style, int delta);

    std::vector<Edge> edges_;
    std::vector<const Edge*> active_;
    std::vector<Crossing> crossings_;
    std::vector<Run> runs_;
    std::vector<int> winding_;       // per style, reset after every row
    std::vector<int> insideStyles_;  // styles whose winding puts the current point inside
    Point start_, last_;
    int left_ = -1, right_ = -1;
    bool evenOdd_ = true;
    int firstColumn_ = 0, endColumn_ = 0;
    int firstRow_ = 0, endRow_ = 0;
    int row_ = 0;
    size_t nextEdge_ = 0;  // edges_ is sorted by first row during the sweep
    size_t nextRun_ = 0;
};

}  // namespace swf
