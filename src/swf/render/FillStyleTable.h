#pragma once
// The paints of a shape's fill styles for AGG's compound renderer, which asks for them by
// style number. Paints are made on first use, so styles that never reach a visible pixel
// cost nothing.

#include <agg_color_rgba.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/render/FillPaint.h"

namespace swf {

class FillStyleTable {
  public:
    // Style number n stands for fills[first + n].
    FillStyleTable(const std::vector<FillStyle>& fills, uint32_t first, uint32_t count,
                   const Matrix& toPixels, const ColorTransform& cxform,
                   const BitmapLookup& bitmaps);

    // The style handler interface of agg::render_scanlines_compound_layered.
    bool is_solid(unsigned style) { return paint(style).isSolid(); }
    agg::rgba8 color(unsigned style) { return paint(style).color(); }
    void generate_span(agg::rgba8* span, int x, int y, unsigned len, unsigned style) {
        paint(style).generate(span, x, y, len);
    }

  private:
    const FillPaint& paint(unsigned style);

    const std::vector<FillStyle>& fills_;
    uint32_t first_;
    Matrix toPixels_;
    ColorTransform cxform_;
    const BitmapLookup& bitmaps_;
    std::vector<std::unique_ptr<FillPaint>> paints_;
};

}  // namespace swf
