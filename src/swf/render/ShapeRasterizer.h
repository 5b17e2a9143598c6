#pragma once
// Rasterises a shape's fills with AGG's compound rasterizer: every edge carries the style on
// its left and on its right, exactly as SWF edges do, so neighbouring fills share their
// anti-aliased edge pixels without seams.

#include <agg_color_gray.h>
#include <agg_color_rgba.h>
#include <agg_rasterizer_compound_aa.h>
#include <agg_renderer_scanline.h>
#include <agg_scanline_u.h>
#include <agg_span_allocator.h>

#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

#include "swf/render/EdgeFlattener.h"
#include "swf/shape/Shape.h"

namespace swf {

class ShapeRasterizer {
  public:
    // AGG keeps style numbers in 16 bits; shapes with more fills are drawn in passes.
    static constexpr uint32_t kMaxStylesPerPass = 32767;

    // Replaces the rasterizer's content with the edges of `paths` (some of the shape's)
    // bordering fills[first] to fills[first + count - 1], clipped to `clip`. False when the
    // work budget ran out.
    bool addFills(const Shape& shape, std::span<const ShapePath> paths, uint32_t first,
                  uint32_t count, EdgeFlattener& flattener, PixelBox clip);

    // Draws what addFills gathered; `styles` gives the paint of each style number.
    template <class Renderer, class Styles>
    void render(Renderer& renderer, Styles& styles) {
        if constexpr (std::is_same_v<typename Renderer::color_type, agg::gray8>) {
            agg::render_scanlines_compound_layered(rasterizer_, scanline_, renderer, graySpans_,
                                                   styles);
        } else {
            agg::render_scanlines_compound_layered(rasterizer_, scanline_, renderer, rgbaSpans_,
                                                   styles);
        }
    }

  private:
    agg::rasterizer_compound_aa<agg::rasterizer_sl_clip_dbl> rasterizer_;
    agg::scanline_u8 scanline_;
    agg::span_allocator<agg::rgba8> rgbaSpans_;
    agg::span_allocator<agg::gray8> graySpans_;
    std::vector<Point> points_;
};

}  // namespace swf
