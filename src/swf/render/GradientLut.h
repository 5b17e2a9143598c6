#pragma once
// The 256 colours of a gradient, one per ratio, transformed and premultiplied.

#include <agg_color_rgba.h>

#include <array>
#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/shape/Shape.h"

namespace swf {

class GradientLut {
  public:
    static constexpr int kSize = 256;

    // Stops are taken in the order they come, as the original player does: a ratio gets the
    // colour between the first stop at or above it and the stop before that one, so a stop
    // whose ratio is below an earlier stop's only shapes the ramp up to its successor. Ratios
    // below the first stop take its colour, ratios above every stop the last stop's. A stop
    // with the same ratio as the stop before it moves one ratio above that one, so each of a
    // run of equal stops shows as a narrow band; the ramp after a moved stop still starts at
    // its own ratio. No stops give a transparent gradient.
    GradientLut(const std::vector<GradientStop>& stops, InterpolationMode mode,
                const ColorTransform& cxform);

    const agg::rgba8& operator[](int ratio) const { return colors_[static_cast<size_t>(ratio)]; }
    // True when every colour is opaque.
    bool opaque() const { return opaque_; }

  private:
    std::array<agg::rgba8, kSize> colors_;
    bool opaque_ = false;
};

}  // namespace swf
