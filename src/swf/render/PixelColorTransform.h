#pragma once
// A colour transform applied to premultiplied pixels, as the renderer's spans hold them.
// The transform itself is defined on straight (unpremultiplied) colour.

#include <agg_color_rgba.h>

#include "swf/geom/Geometry.h"

namespace swf {

class PixelColorTransform {
  public:
    explicit PixelColorTransform(const ColorTransform& cxform);

    // A straight colour, transformed and premultiplied.
    agg::rgba8 premultiplied(Rgba color) const;
    // Transforms premultiplied pixels in place.
    void apply(agg::rgba8* span, unsigned len) const;

    static agg::rgba8 premultiply(Rgba straight);

  private:
    ColorTransform cxform_;
    bool identity_;
    bool scalesOnly_;  // no additive terms and no gain above one: a plain product suffices
};

}  // namespace swf
