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

    // Stops are taken in the order they come, as the original player does: the table is
    // filled from the first stop's ratio up (ratios below it take its colour). A stop above
    // the last ratio filled ramps to it from the stop before, measured from that stop's
    // ratio; a stop at or below it (an equal or out-of-order ratio) only holds the stop
    // before for one more ratio, so a run of equal stops shows as one-ratio bands of all but
    // its last. Ratios past the end take the last stop's colour. A linearRGB ramp mixes
    // stops kept in eight bits of linear light, each weighted by the other's alpha. No stops
    // give a transparent gradient.
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
