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
#include <vector>

#include "swf/render/CoverageStyles.h"
#include "swf/render/EdgeFlattener.h"
#include "swf/render/FillStyleTable.h"
#include "swf/render/OneFillRasterizer.h"
#include "swf/render/PixelCentreRasterizer.h"
#include "swf/render/SurfaceBlender.h"
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
    // Off: render paints every pixel whose centre the fill holds fully, any other not at all.
    void setAntiAliased(bool antiAliased) { antiAliased_ = antiAliased; }

    // Draws what addFills gathered onto the surface; `styles` gives the paint of each style
    // number. Where fills meet on a row, their shares of each pixel are mixed first, the
    // mix blended at once, as AGG's layered compound renderer does.
    void render(SurfaceBlender& surface, FillStyleTable& styles);
    // Adds what addFills gathered to a clip mask being recorded.
    template <class MaskRenderer>
    void render(MaskRenderer& renderer, CoverageStyles& styles) {
        if (!antiAliased_) {
            if (!aliased_.rewind()) return;
            scanline_.reset(aliased_.minX(), aliased_.maxX());
            int style = 0;
            while (aliased_.sweep(scanline_, style))
                agg::render_scanline_aa_solid(scanline_, renderer,
                                              styles.color(static_cast<unsigned>(style)));
            return;
        }
        if (oneFill_) {
            if (!single_.rewind()) return;
            scanline_.reset(single_.minX(), single_.maxX());
            while (single_.sweep(scanline_))
                agg::render_scanline_aa_solid(scanline_, renderer, styles.color(oneStyle_));
            return;
        }
        agg::render_scanlines_compound_layered(rasterizer_, scanline_, renderer, graySpans_,
                                               styles);
    }

  private:
    // Feeds the edges of `paths` that bound one of this pass's fills through moveTo/lineTo,
    // telling setStyles the style numbers on each path's sides first.
    template <class StyleOf, class SetStyles, class MoveTo, class LineTo>
    bool addEdges(std::span<const ShapePath> paths, EdgeFlattener& flattener, StyleOf styleOf,
                  SetStyles setStyles, MoveTo moveTo, LineTo lineTo);
    // Blends the scanline's spans in one paint.
    void blendSpans(SurfaceBlender& surface, const FillPaint& paint);
    // Mixes the fills of a row where more than one meets, then blends the mix.
    void blendMixedRow(SurfaceBlender& surface, FillStyleTable& styles, unsigned fillCount);

    agg::rasterizer_compound_aa<agg::rasterizer_sl_clip_dbl> rasterizer_;
    // Used instead of rasterizer_ when every edge of the pass has the same fill on the same
    // side, which is how most shapes are drawn.
    OneFillRasterizer single_;
    PixelCentreRasterizer aliased_;  // instead of both when not anti-aliasing
    bool oneFill_ = false;
    bool antiAliased_ = true;
    unsigned oneStyle_ = 0;
    agg::scanline_u8 scanline_;
    agg::span_allocator<agg::gray8> graySpans_;
    std::vector<agg::rgba8> mix_;     // a row's mixed colours, from the rasterizer's min_x
    std::vector<uint8_t> mixCovers_;  // the cover each pixel of the mix has taken so far
    std::vector<agg::rgba8> colors_;  // one span of a paint
    std::vector<Point> points_;
};

}  // namespace swf
