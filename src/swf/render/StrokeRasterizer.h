#pragma once
// Rasterises stroked outlines (AGG's stroker: caps, joins, miter limit) with the non-zero
// rule, so a stroke that overlaps itself is painted once. Without anti-aliasing the outline is
// sampled at pixel centres, as fills are.

#include <agg_path_storage.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_scanline_u.h>

#include "swf/render/EdgeFlattener.h"
#include "swf/render/FillPaint.h"
#include "swf/render/PixelCentreRasterizer.h"
#include "swf/render/StrokeBuilder.h"
#include "swf/render/SurfaceBlender.h"
#include "swf/render/WorkBudget.h"
#include "swf/shape/Shape.h"

namespace swf {

class StrokeRasterizer {
  public:
    // Replaces the rasterizer's content with the builder's polylines and cap stubs stroked
    // with `pen` in the style's caps and joins, clipped to `clip`. False when the work budget
    // ran out.
    bool addStroke(StrokeBuilder& outline, const LineStyle& style, const StrokePen& pen,
                   PixelBox clip, WorkBudget& budget);

    // Off: render paints every pixel fully or not at all.
    void setAntiAliased(bool antiAliased) { antiAliased_ = antiAliased; }

    // Draws what addStroke gathered onto the surface in the paint's colours.
    void render(SurfaceBlender& surface, const FillPaint& paint);

  private:
    bool add(agg::path_storage& path, CapStyle cap, const LineStyle& style, const StrokePen& pen,
             PixelBox clip, WorkBudget& budget);

    agg::rasterizer_scanline_aa<agg::rasterizer_sl_clip_dbl> rasterizer_;
    PixelCentreRasterizer aliased_;
    agg::scanline_u8 scanline_;
    bool antiAliased_ = true;
};

}  // namespace swf
