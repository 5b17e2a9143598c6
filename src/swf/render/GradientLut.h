#pragma once
// The 256 colours of a gradient, one per ratio, transformed and premultiplied, built once
// per gradient per draw.

#include <agg_color_rgba.h>

#include <array>
#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/shape/Shape.h"

namespace swf {

class GradientLut {
public:
    static constexpr int kSize = 256;

    // Stops may come in any order; at equal ratios the later stop wins, as in the original
    // player. No stops give a transparent gradient.
    GradientLut(const std::vector<GradientStop>& stops, InterpolationMode mode, const ColorTransform& cxform);

    const agg::rgba8& operator[](int ratio) const { return colors_[static_cast<size_t>(ratio)]; }

private:
    std::array<agg::rgba8, kSize> colors_;
};

}  // namespace swf
