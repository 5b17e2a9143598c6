#pragma once
// Rasterises a shape's fills by point samples: every edge carries the style on its left and on
// its right, exactly as SWF edges do, and each sample goes to one fill, so neighbouring fills
// share their anti-aliased edge pixels without seams.

#include <agg_color_gray.h>
#include <agg_color_rgba.h>
#include <agg_renderer_scanline.h>
#include <agg_scanline_u.h>

#include <cstdint>
#include <span>
#include <vector>

#include "swf/render/CoverageStyles.h"
#include "swf/render/EdgeFlattener.h"
#include "swf/render/FillStyleTable.h"
#include "swf/render/PointSampleRasterizer.h"
#include "swf/render/SurfaceBlender.h"
#include "swf/shape/Shape.h"

namespace swf {

class ShapeRasterizer {
  public:
    // Shapes with more fills are drawn in passes of this many, each pass over the ones before.
    static constexpr uint32_t kMaxStylesPerPass = 32767;

    // Replaces the rasterizer's content with the edges of `paths` (some of the shape's)
    // bordering fills[first] to fills[first + count - 1], clipped to `clip`. False when the
    // work budget ran out.
    bool addFills(const Shape& shape, std::span<const ShapePath> paths, uint32_t first,
                  uint32_t count, EdgeFlattener& flattener, PixelBox clip);
    // The samples each pixel takes along each side: 1 paints a pixel fully or not at all.
    void setSamplesPerSide(int samplesPerSide) { samplesPerSide_ = samplesPerSide; }

    // Draws what addFills gathered onto the surface; `styles` gives the paint of each style
    // number. Where fills meet in a pixel, their shares of it are mixed first, the mix blended
    // at once.
    void render(SurfaceBlender& surface, FillStyleTable& styles);
    // Adds what addFills gathered to a clip mask being recorded.
    template <class MaskRenderer>
    void render(MaskRenderer& renderer, CoverageStyles& styles) {
        if (!sampler_.rewind()) return;
        scanline_.reset(sampler_.minX(), sampler_.maxX());
        while (sampler_.nextRow()) {
            sampler_.coversOfAll(scanline_);
            agg::render_scanline_aa_solid(scanline_, renderer, styles.color(0));
        }
    }

  private:
    // Blends the scanline's spans in one paint.
    void blendSpans(SurfaceBlender& surface, const FillPaint& paint);
    // Mixes the fills of a row where more than one meets, then blends the mix.
    void blendMixedRow(SurfaceBlender& surface, FillStyleTable& styles);

    PointSampleRasterizer sampler_;
    int samplesPerSide_ = 4;
    agg::scanline_u8 scanline_;
    std::vector<agg::rgba8> mix_;     // a row's mixed colours, from the sampler's min_x
    std::vector<uint8_t> mixCovers_;  // the cover each pixel of the mix has taken so far
    std::vector<agg::rgba8> colors_;  // one span of a paint
    std::vector<Point> points_;
};

}  // namespace swf
