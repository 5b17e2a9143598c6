#pragma once
// Rasterises a shape pass whose edges all border one fill, on the same side of each edge. The
// compound rasterizer would give every cell a style pair and sort each row's cells into
// styles; with a single fill that work only reproduces the plain cell sums, so this keeps AGG's
// cell store and clipper and sweeps the rows itself, with the compound rasterizer's
// arithmetic: the same covers, the same spans (cells whose cover rounds to nothing included),
// and the same sign of each cell's area, so the even-odd rule rounds the same way.

#include <agg_rasterizer_cells_aa.h>
#include <agg_rasterizer_scanline_aa_nogamma.h>  // agg::cell_aa
#include <agg_rasterizer_sl_clip.h>
#include <agg_scanline_u.h>

#include "swf/geom/Geometry.h"
#include "swf/render/EdgeFlattener.h"

namespace swf {

class OneFillRasterizer {
  public:
    // Drops any edges and starts over, clipped to `clip`. `fillOnRight` says on which side of
    // the edges the fill lies.
    void reset(PixelBox clip, bool evenOdd, bool fillOnRight);
    void moveTo(Point p) { clipper_.move_to(p.x, p.y); }
    void lineTo(Point p) { clipper_.line_to(cells_, p.x, p.y); }

    // Prepares the sweep; false when there is nothing to draw.
    bool rewind();
    int minX() const { return cells_.min_x(); }
    int maxX() const { return cells_.max_x(); }
    // Puts the next row with any cover into `scanline`; false after the last.
    bool sweep(agg::scanline_u8& scanline);

  private:
    unsigned alpha(int area) const;

    agg::rasterizer_cells_aa<agg::cell_aa> cells_;
    agg::rasterizer_sl_clip_dbl clipper_;
    bool evenOdd_ = false;
    int sign_ = 1;
    int row_ = 0;
};

}  // namespace swf
