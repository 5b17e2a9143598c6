#pragma once
// Rasterises stroked outlines (AGG's stroker: caps, joins, miter limit) with the non-zero
// rule, so a stroke that overlaps itself is painted once.

#include <agg_color_rgba.h>
#include <agg_path_storage.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_scanline.h>
#include <agg_scanline_u.h>
#include <agg_span_allocator.h>

#include "swf/render/EdgeFlattener.h"
#include "swf/render/FillPaint.h"
#include "swf/render/StrokeBuilder.h"
#include "swf/render/WorkBudget.h"
#include "swf/shape/Shape.h"

namespace swf {

class StrokeRasterizer {
  public:
    // Replaces the rasterizer's content with the builder's polylines and cap stubs stroked
    // `width` pixels wide in the style's caps and joins, clipped to `clip`. False when the
    // work budget ran out.
    bool addStroke(StrokeBuilder& outline, const LineStyle& style, double width, PixelBox clip,
                   WorkBudget& budget);

    template <class Renderer>
    void render(Renderer& renderer, FillPaint& paint) {
        if (paint.isSolid()) {
            agg::render_scanlines_aa_solid(rasterizer_, scanline_, renderer, paint.color());
        } else {
            agg::render_scanlines_aa(rasterizer_, scanline_, renderer, spans_, paint);
        }
    }

  private:
    bool add(agg::path_storage& path, CapStyle cap, const LineStyle& style, double width,
             PixelBox clip, WorkBudget& budget);

    agg::rasterizer_scanline_aa<agg::rasterizer_sl_clip_dbl> rasterizer_;
    agg::scanline_u8 scanline_;
    agg::span_allocator<agg::rgba8> spans_;
};

}  // namespace swf
