#pragma once
// What one fill style puts on the surface: a solid colour or a span of colours from a
// gradient or a bitmap, with the colour transform applied.

#include <agg_color_rgba.h>

#include <variant>

#include "swf/render/BitmapSpan.h"
#include "swf/render/Canvas.h"
#include "swf/render/GradientSpan.h"

namespace swf {

class FillPaint {
  public:
    // A bitmap fill whose bitmap is unknown or unusable paints nothing (transparent).
    // Gradients take their colour tables from `gradients`. Bitmaps that ask for smoothing get
    // it only with `smoothBitmaps`.
    FillPaint(const FillStyle& style, const Matrix& toPixels, const ColorTransform& cxform,
              const BitmapLookup& bitmaps, GradientLutCache& gradients, bool smoothBitmaps);

    bool isSolid() const { return std::holds_alternative<agg::rgba8>(source_); }
    // True when every colour it generates is known to be opaque.
    bool isOpaque() const;
    // Premultiplied; meaningful for solid paints only.
    agg::rgba8 color() const {
        return isSolid() ? std::get<agg::rgba8>(source_) : agg::rgba8(0, 0, 0, 0);
    }

    // Colours of pixels `from` to `end` - 1 of the run of row `y` starting at `x`, into
    // span[0] on. A run is always generated from its start, so a pixel's colour does not depend
    // on which part of the run is asked for.
    void generate(agg::rgba8* span, int x, int y, unsigned from, unsigned end) const;

  private:
    std::variant<agg::rgba8, GradientSpan, BitmapSpan> source_;
};

}  // namespace swf
