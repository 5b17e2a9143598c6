#include "swf/render/FillStyleTable.h"

namespace swf {

FillStyleTable::FillStyleTable(const std::vector<FillStyle>& fills, uint32_t first, uint32_t count,
                               const Matrix& toPixels, const ColorTransform& cxform,
                               const BitmapLookup& bitmaps, GradientLutCache& gradients,
                               bool smoothBitmaps)
    : fills_(fills),
      first_(first),
      toPixels_(toPixels),
      cxform_(cxform),
      bitmaps_(bitmaps),
      gradients_(gradients),
      smoothBitmaps_(smoothBitmaps),
      paints_(count) {}

const FillPaint& FillStyleTable::paint(unsigned style) {
    std::unique_ptr<FillPaint>& slot = paints_[style];
    if (!slot)
        slot = std::make_unique<FillPaint>(fills_[first_ + style], toPixels_, cxform_, bitmaps_,
                                           gradients_, smoothBitmaps_);
    return *slot;
}

}  // namespace swf
