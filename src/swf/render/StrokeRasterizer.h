#pragma once
// Rasterises stroked outlines (AGG's stroker: caps, joins, miter limit) with the non-zero
// rule, so a stroke that overlaps itself is painted once. The outline is point sampled, as
// fills are.

#include <agg_path_storage.h>
#include <agg_scanline_u.h>

#include "swf/render/EdgeFlattener.h"
#include "swf/render/FillPaint.h"
#include "swf/render/PointSampleRasterizer.h"
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

    // The samples each pixel takes along each side: 1 paints a pixel fully or not at all.
    void setSamplesPerSide(int samplesPerSide) { samplesPerSide_ = samplesPerSide; }

    // Draws what addStroke gathered onto the surface in the paint's colours.
    void render(SurfaceBlender& surface, const FillPaint& paint);

  private:
    bool add(agg::path_storage& path, CapStyle cap, const LineStyle& style, const StrokePen& pen,
             PixelBox clip, WorkBudget& budget);

    PointSampleRasterizer sampler_;
    agg::scanline_u8 scanline_;
    int samplesPerSide_ = 4;
};

}  // namespace swf
