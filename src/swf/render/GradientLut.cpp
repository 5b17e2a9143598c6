#include "swf/render/GradientLut.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "swf/render/PixelColorTransform.h"
#include "swf/render/PixelImage.h"

namespace swf {

namespace {

// sRGB (0..1) to linear light (0..1) and back.
double toLinear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

uint8_t linearToSrgb(double linear) {
    double c = std::clamp(linear, 0.0, 1.0);
    double s = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
    return static_cast<uint8_t>(std::lround(std::clamp(s, 0.0, 1.0) * 255));
}

// Truncated, as the original player's ramps are (the small bias absorbs float error at exact
// values).
uint8_t mix(uint8_t a, uint8_t b, double f) {
    return static_cast<uint8_t>(std::floor(a + (b - a) * f + 1e-4));
}

// A stop as a ramp mixes it: its straight colour, in sRGB or, for linearRGB, in linear light
// (0..255).
struct Held {
    std::array<double, 3> c{};
    uint8_t a = 0;
};

// The player takes a linearRGB stop to linear light premultiplied, then back to straight,
// keeping eight bits: dark channels lose their low steps (sRGB 20 comes back as 13) and
// translucent stops darken.
Held heldLinear(Rgba straight) {
    Held h;
    h.a = straight.a;
    if (straight.a == 0) return h;
    const double alpha = straight.a / 255.0;
    const std::array<uint8_t, 3> channels = {straight.r, straight.g, straight.b};
    for (size_t k = 0; k < 3; ++k) {
        double premultiplied = mul255(channels[k], straight.a) / 255.0;
        h.c[k] = std::floor(toLinear(premultiplied) * 255 / alpha + 1e-9);
    }
    return h;
}

Held heldStraight(Rgba straight) {
    return {{double(straight.r), double(straight.g), double(straight.b)}, straight.a};
}

agg::rgba8 entryOf(const Held& h, bool linear) {
    if (!linear) {
        auto byte = [](double v) { return static_cast<uint8_t>(v); };
        return PixelColorTransform::premultiply({byte(h.c[0]), byte(h.c[1]), byte(h.c[2]), h.a});
    }
    if (h.a == 0) return {0, 0, 0, 0};
    return PixelColorTransform::premultiply(
        {linearToSrgb(h.c[0] / 255), linearToSrgb(h.c[1] / 255), linearToSrgb(h.c[2] / 255), h.a});
}

// The ramp `f` of the way from `from` to `to`. In sRGB each channel is mixed in eight bits; in
// linear light each stop counts in proportion to the other's alpha, so the colour moves
// towards the more transparent stop sooner.
Held mixed(const Held& from, const Held& to, double f, bool linear) {
    Held h;
    h.a = mix(from.a, to.a, f);
    double w = f;
    // At the end of a ramp that meets a clear stop both weights are nothing: the share decides.
    const double near = (1 - f) * to.a, far = f * from.a;
    if (linear && near + far > 0) w = far / (near + far);
    for (size_t k = 0; k < 3; ++k) {
        h.c[k] = linear ? from.c[k] + (to.c[k] - from.c[k]) * w
                        : mix(static_cast<uint8_t>(from.c[k]), static_cast<uint8_t>(to.c[k]), f);
    }
    return h;
}

}  // namespace

GradientLut::GradientLut(const std::vector<GradientStop>& stops, InterpolationMode mode,
                         const ColorTransform& cxform) {
    colors_.fill(agg::rgba8(0, 0, 0, 0));
    if (stops.empty()) return;
    const bool linear = mode == InterpolationMode::Linear;
    std::vector<Held> held;
    held.reserve(stops.size());
    for (const GradientStop& stop : stops) {
        Rgba c = cxform.apply(stop.color);
        held.push_back(linear ? heldLinear(c) : heldStraight(c));
    }
    // Filled from the first stop's ratio on, one stop after another: a stop above the last
    // ratio filled ramps up to it from the stop before, measured from that stop's own ratio;
    // one at or below it (equal or out of order) holds the stop before for one more ratio.
    int filled = stops.front().ratio;
    for (int r = 0; r <= filled; ++r)
        colors_[static_cast<size_t>(r)] = entryOf(held.front(), linear);
    for (size_t i = 1; i < stops.size(); ++i) {
        const int from = stops[i - 1].ratio, to = stops[i].ratio;
        if (to > filled) {
            for (int r = filled + 1; r <= to; ++r) {
                // In sRGB the player weighs the stops in whole 256ths of the ramp, truncated,
                // so a ramp's colours lag the exact share by up to one step.
                const double f = linear ? static_cast<double>(r - from) / (to - from)
                                        : ((r - from) * 256 / (to - from)) / 256.0;
                colors_[static_cast<size_t>(r)] =
                    entryOf(mixed(held[i - 1], held[i], f, linear), linear);
            }
            filled = to;
        } else if (filled < kSize - 1) {
            colors_[static_cast<size_t>(++filled)] = entryOf(held[i - 1], linear);
        }
    }
    for (int r = filled + 1; r < kSize; ++r)
        colors_[static_cast<size_t>(r)] = entryOf(held.back(), linear);

    opaque_ = std::all_of(colors_.begin(), colors_.end(),
                          [](const agg::rgba8& c) { return c.a == agg::rgba8::base_mask; });
}

}  // namespace swf
