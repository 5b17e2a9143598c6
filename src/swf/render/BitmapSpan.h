#pragma once
// Colours of a bitmap fill along a row of surface pixels: tiled or with its edge pixels
// extended, sampled at the nearest texel or bilinearly.

#include <agg_color_rgba.h>

#include "swf/bitmap/Bitmap.h"
#include "swf/geom/Geometry.h"
#include "swf/render/PixelColorTransform.h"

namespace swf {

class BitmapSpan {
  public:
    // `bitmapToPixels` maps bitmap pixels to surface pixels. The bitmap must outlive the span.
    BitmapSpan(const Bitmap& bitmap, const Matrix& bitmapToPixels, bool repeat, bool smooth,
               const ColorTransform& cxform);

    // False when the bitmap has no pixels or the matrix collapses it: nothing can be drawn.
    bool drawable() const { return drawable_; }

    // Colours of pixels `from` to `end` - 1 of the run of row `y` starting at `x`, into
    // span[0] on.
    void generate(agg::rgba8* span, int x, int y, unsigned from, unsigned end) const;

  private:
    // Maps a texel coordinate into the bitmap: wrapped when tiling, clamped otherwise.
    int64_t column(int64_t x) const;
    int64_t row(int64_t y) const;
    agg::rgba8 texel(int64_t x, int64_t y) const;
    // Samples at a bitmap position in 16.16 fixed point.
    agg::rgba8 nearest(int64_t u, int64_t v) const;
    agg::rgba8 bilinear(int64_t u, int64_t v) const;

    const Bitmap& bitmap_;
    Matrix pixelsToBitmap_;
    bool repeat_;
    bool smooth_;
    PixelColorTransform cxform_;
    bool drawable_ = false;
};

}  // namespace swf
