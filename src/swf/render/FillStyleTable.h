#pragma once
// The paints of a shape's fill styles for the compound rasterizer, which names them by style
// number. Paints are made on first use, so styles that never reach a visible pixel
// cost nothing.

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/render/FillPaint.h"

namespace swf {

class FillStyleTable {
  public:
    // Style number n stands for fills[first + n]; paints are made as FillPaint makes them.
    FillStyleTable(const std::vector<FillStyle>& fills, uint32_t first, uint32_t count,
                   const Matrix& toPixels, const ColorTransform& cxform,
                   const BitmapLookup& bitmaps, GradientLutCache& gradients, bool smoothBitmaps);

    // The paint of style number `style`, made on first use.
    const FillPaint& paint(unsigned style);

  private:
    const std::vector<FillStyle>& fills_;
    uint32_t first_;
    Matrix toPixels_;
    ColorTransform cxform_;
    const BitmapLookup& bitmaps_;
    GradientLutCache& gradients_;
    bool smoothBitmaps_;
    std::vector<std::unique_ptr<FillPaint>> paints_;
};

}  // namespace swf
