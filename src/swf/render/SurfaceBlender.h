#pragma once
// Blends rows of premultiplied colour onto the canvas surface, through the active clip mask
// when there is one. Pixels come out exactly as AGG's premultiplied RGBA pixel format and
// alpha mask adaptor make them; the work saved is the pixels that cannot change (cover or
// mask zero, transparent colour), which are skipped, and the opaque pixels at full cover,
// which are written as whole words.

#include <agg_color_rgba.h>

#include <cstdint>
#include <vector>

#include "swf/render/FillPaint.h"
#include "swf/render/MaskStack.h"

namespace swf {

class SurfaceBlender {
  public:
    // `pixels` is the surface, `width` by `height` words of RGBA bytes, top-down.
    SurfaceBlender(uint32_t* pixels, int width, int height);

    // Limits every blend to `mask` (one coverage byte per surface pixel, `extents` giving
    // where each row has any), or to nothing when null. Both must outlive their use.
    void setMask(const uint8_t* mask, const MaskStack::RowExtent* extents) {
        mask_ = mask;
        maskExtents_ = extents;
    }

    // Blends `len` pixels of row `y` from `x` in the paint's colours, each at its cover.
    // Only the colours of pixels that can change are generated.
    void blend(int x, int y, unsigned len, const uint8_t* covers, const FillPaint& paint);
    // Blends colours at full cover (rows where several fills meet, mixed beforehand).
    void blend(int x, int y, unsigned len, const agg::rgba8* colors);

  private:
    // The part of a run that can change: `count` pixels from pixel `from` of the run, which
    // paints generate counting from the run's start as they always do.
    struct Run {
        uint32_t* pixels;       // pixel `from` of the run
        const uint8_t* covers;  // one per pixel from `pixels` on
        unsigned from;
        unsigned count;
    };

    // Clips the run to the surface and applies the mask; false when no pixel can change.
    // Null `covers` stands for full cover.
    bool prepare(int x, int y, unsigned len, const uint8_t* covers, Run& run);
    void blendSolid(const Run& run, agg::rgba8 color);
    void blendColors(const Run& run, const agg::rgba8* colors);
    // The same for colours that are all opaque: full-cover stretches are copied whole.
    void blendOpaqueColors(const Run& run, const agg::rgba8* colors);

    uint32_t* pixels_;
    int width_;
    int height_;
    const uint8_t* mask_ = nullptr;
    const MaskStack::RowExtent* maskExtents_ = nullptr;
    std::vector<uint8_t> covers_;     // covers after the mask, or full covers
    std::vector<agg::rgba8> colors_;  // generated colours of one run
};

}  // namespace swf
