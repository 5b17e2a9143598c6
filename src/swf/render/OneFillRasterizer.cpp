#include "swf/render/OneFillRasterizer.h"

namespace swf {

namespace {

// AGG's 8-bit coverage scale and its doubled form for the even-odd rule.
constexpr int kCoverShift = 8;
constexpr int kCoverScale = 1 << kCoverShift;
constexpr int kCoverMask = kCoverScale - 1;
constexpr int kCoverScale2 = kCoverScale * 2;
constexpr int kCoverMask2 = kCoverScale2 - 1;

}  // namespace

void OneFillRasterizer::reset(PixelBox clip, bool evenOdd, bool fillOnRight) {
    cells_.reset();
    clipper_.clip_box(clip.x1, clip.y1, clip.x2, clip.y2);
    evenOdd_ = evenOdd;
    // The compound rasterizer adds a cell to the style on an edge's left and subtracts it from
    // the style on its right.
    sign_ = fillOnRight ? -1 : 1;
}

bool OneFillRasterizer::rewind() {
    cells_.sort_cells();
    if (cells_.total_cells() == 0) return false;
    row_ = cells_.min_y();
    return true;
}

unsigned OneFillRasterizer::alpha(int area) const {
    int cover = area >> (agg::poly_subpixel_shift * 2 + 1 - kCoverShift);
    if (cover < 0) cover = -cover;
    if (evenOdd_) {
        cover &= kCoverMask2;
        if (cover > kCoverScale) cover = kCoverScale2 - cover;
    }
    return static_cast<unsigned>(cover > kCoverMask ? kCoverMask : cover);
}

bool OneFillRasterizer::sweep(agg::scanline_u8& scanline) {
    for (; row_ <= cells_.max_y(); ++row_) {
        auto y = static_cast<unsigned>(row_);
        unsigned left = cells_.scanline_num_cells(y);
        const agg::cell_aa* const* cell = cells_.scanline_cells(y);
        scanline.reset_spans();
        int cover = 0;
        while (left > 0) {
            // The cells of one pixel count as one, as the compound rasterizer merges them.
            int x = (*cell)->x;
            int area = 0;
            int coverDelta = 0;
            for (; left > 0 && (*cell)->x == x; --left, ++cell) {
                area += (*cell)->area;
                coverDelta += (*cell)->cover;
            }
            area *= sign_;
            cover += coverDelta * sign_;
            if (area) {
                scanline.add_cell(x, alpha((cover << (agg::poly_subpixel_shift + 1)) - area));
                ++x;
            }
            if (left > 0 && (*cell)->x > x) {
                unsigned runAlpha = alpha(cover << (agg::poly_subpixel_shift + 1));
                if (runAlpha) scanline.add_span(x, static_cast<unsigned>((*cell)->x - x), runAlpha);
            }
        }
        if (scanline.num_spans() == 0) continue;
        scanline.finalize(row_++);
        return true;
    }
    return false;
}

}  // namespace swf
