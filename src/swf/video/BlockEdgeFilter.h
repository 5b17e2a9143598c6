#pragma once
// The deblocking filter of H.263's Annex J, which Sorenson H.263 streams ask for in their
// picture headers: after decoding, the steps at the edges of the 8x8 blocks of each plane are
// smoothed, the more the coarser the picture was quantized. Real edges, steeper than the
// quantizer could have made, are left alone.

#include <cstddef>
#include <cstdint>

namespace swf {

class BlockEdgeFilter {
  public:
    // Filters the block edges of one plane in place: across the horizontal edges first, then
    // across the vertical ones. `quantizer` is the picture's (1 to 31).
    static void apply(uint8_t* plane, int width, int height, ptrdiff_t stride, int quantizer);

  private:
    // Four samples across one edge, two on each side, `step` apart.
    static void filterEdge(uint8_t* nearSide, ptrdiff_t step, int strength);
};

}  // namespace swf
