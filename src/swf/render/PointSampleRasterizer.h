#pragma once
// Fills by point samples, as the original player does: at low quality one sample at each
// pixel's centre, so a pixel is painted fully or not at all; at medium a 2x2 and at high a 4x4
// grid of samples at the centres of the pixel's sub-pixels, a pixel's cover being the share
// of its samples inside the fill. A sample exactly on an edge belongs to the fill to the right
// of it, or below it for a horizontal edge, so fills that share an edge never both take it.
//
// Edges carry the style on their left and on their right, like AGG's compound rasterizer's;
// where a shape's fills overlap, the higher style number takes the sample. Each sample goes
// to one style only, so the covers of a pixel's styles never add up to more than the pixel.

#include <agg_scanline_u.h>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/render/EdgeFlattener.h"

namespace swf {

class PointSampleRasterizer {
  public:
    // Drops any edges and starts over with `samplesPerSide` squared samples a pixel (1, 2 or
    // 4); only pixels within `clip` are sampled.
    void reset(PixelBox clip, bool evenOdd, int samplesPerSide);
    // The styles on the left and right of the edges that follow; -1 for none.
    void styles(int left, int right);
    void moveTo(Point p);
    void lineTo(Point p);
    // Joins the contour's last point to its first, for outlines that are closed polygons.
    void closeContour() { addEdge(start_); }

    // Prepares the sweep; false when there is nothing to draw.
    bool rewind();
    // The pixel columns the sweep's rows can reach.
    int minX() const { return pixelOf(firstColumn_); }
    int maxX() const { return pixelOf(endColumn_ - 1); }
    // Samples the next pixel row, from the top, that holds samples of any style; false after
    // the last.
    bool nextRow();
    // How many styles took samples of the row; they are numbered from 0 in ascending order.
    size_t rowStyleCount() const { return rowStyles_.size(); }
    int rowStyle(size_t i) const { return rowStyles_[i].style; }
    // Puts the covers of the row's i-th style into `scanline`.
    void covers(size_t i, agg::scanline_u8& scanline);
    // Puts the covers of all the row's styles together into `scanline`.
    void coversOfAll(agg::scanline_u8& scanline);
    // The pixels from the row's first with samples of any style to just past its last.
    std::pair<int, int> rowPixels() const;

  private:
    struct Edge {
        double x0, y0;  // the upper end
        double slope;   // x per y
        int firstRow, endRow;
        int left, right;
        int direction;  // +1 when the edge runs down, -1 when up
    };
    struct Crossing {
        double x;
        const Edge* edge;
    };
    // From sample column `column` on, the count of sample rows inside changes by `change`.
    struct CountChange {
        int column;
        int change;
    };
    // One style's samples in the current pixel row: runs of sample columns, [from, to).
    struct StyleSamples {
        int style;
        std::vector<std::pair<int, int>> runs;
    };

    // Adds the edge from the last point to `p`, both in samples.
    void addEdge(Point p);
    bool inside(int winding) const { return evenOdd_ ? (winding & 1) != 0 : winding != 0; }
    int pixelOf(int column) const;
    // Adds the samples of sample row `row` to the pixel row's styles.
    void sampleRow(int row);
    // Crosses into or out of `style` (0 or more) by `delta` windings.
    void enter(int style, int delta);
    // The highest style the current point is inside, or -1.
    int highestInside();
    void addRun(int style, int from, int to);
    // Hands the row's buffers back for later rows.
    void recycleRow();
    // Puts the ends of the runs of `count` styles from rowStyles_[first] into changes_, in
    // column order.
    void gatherChanges(size_t first, size_t count);
    // Counts the samples each pixel takes as changes_ say and puts the covers into `scanline`.
    void fillScanline(agg::scanline_u8& scanline);

    std::vector<Edge> edges_;
    std::vector<Crossing> crossings_;  // of the edges crossing the sample row, left to right
    std::vector<int> winding_;         // per style, reset after every sample row
    // A heap of the styles the current point entered, the highest on top; the styles it has
    // left since are dropped when they come to the top.
    std::vector<int> insideStyles_;
    std::vector<StyleSamples> rowStyles_;
    std::vector<int> rowSlot_;  // per style, its index in rowStyles_ while a row is sampled, or -1
    std::vector<StyleSamples> spareStyles_;  // buffers kept for later rows
    std::vector<CountChange> changes_;
    int rowFrom_ = 0, rowTo_ = 0;  // the sample columns the row's runs span
    Point start_, last_;
    int left_ = -1, right_ = -1;
    bool evenOdd_ = true;
    int perSide_ = 1;
    // In sample columns and rows: a pixel holds perSide_ of each.
    int firstColumn_ = 0, endColumn_ = 0;
    int firstRow_ = 0, endRow_ = 0;
    int row_ = 0;  // the next sample row to take
    int pixelRow_ = 0;
    size_t nextEdge_ = 0;  // edges_ is sorted by first row during the sweep
};

}  // namespace swf
