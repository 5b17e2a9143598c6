#include "swf/render/GradientLut.h"

#include <algorithm>
#include <cmath>

#include "swf/render/PixelColorTransform.h"

namespace swf {

namespace {

// The player keeps a linearRGB ramp in eight bits of linear light, truncated on the way in,
// so dark channels lose their low steps (sRGB 20 comes back as 13).
uint8_t srgbToLinear(uint8_t v) {
    static const std::array<uint8_t, 256> table = [] {
        std::array<uint8_t, 256> t{};
        for (size_t i = 0; i < t.size(); ++i) {
            double c = static_cast<double>(i) / 255;
            double l = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
            t[i] = static_cast<uint8_t>(std::floor(l * 255 + 1e-9));
        }
        return t;
    }();
    return table[v];
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

Rgba mixed(Rgba a, Rgba b, double f) {
    return {mix(a.r, b.r, f), mix(a.g, b.g, f), mix(a.b, b.b, f), mix(a.a, b.a, f)};
}

// A linearRGB stop is premultiplied before it goes to linear light; a table entry comes back
// through its straight colour, so translucent stops darken.
Rgba toLinearLight(Rgba straight) {
    agg::rgba8 p = PixelColorTransform::premultiply(straight);
    return {srgbToLinear(p.r), srgbToLinear(p.g), srgbToLinear(p.b), p.a};
}

agg::rgba8 fromLinearLight(Rgba light) {
    if (light.a == 0) return {0, 0, 0, 0};
    auto channel = [&](uint8_t v) { return linearToSrgb(static_cast<double>(v) / light.a); };
    return PixelColorTransform::premultiply(
        {channel(light.r), channel(light.g), channel(light.b), light.a});
}

}  // namespace

GradientLut::GradientLut(const std::vector<GradientStop>& stops, InterpolationMode mode,
                         const ColorTransform& cxform) {
    colors_.fill(agg::rgba8(0, 0, 0, 0));
    if (stops.empty()) return;
    const bool linear = mode == InterpolationMode::Linear;
    std::vector<Rgba> held;
    held.reserve(stops.size());
    for (const GradientStop& stop : stops) {
        Rgba c = cxform.apply(stop.color);
        held.push_back(linear ? toLinearLight(c) : c);
    }
    std::array<Rgba, kSize> table{};
    // Filled from the first stop's ratio on, one stop after another: a stop above the last
    // ratio filled ramps up to it from the stop before, measured from that stop's own ratio;
    // one at or below it (equal or out of order) holds the stop before for one more ratio.
    int filled = stops.front().ratio;
    for (int r = 0; r <= filled; ++r) table[static_cast<size_t>(r)] = held.front();
    for (size_t i = 1; i < stops.size(); ++i) {
        const int from = stops[i - 1].ratio, to = stops[i].ratio;
        if (to > filled) {
            for (int r = filled + 1; r <= to; ++r)
                table[static_cast<size_t>(r)] =
                    mixed(held[i - 1], held[i], static_cast<double>(r - from) / (to - from));
            filled = to;
        } else if (filled < kSize - 1) {
            table[static_cast<size_t>(++filled)] = held[i - 1];
        }
    }
    for (int r = filled + 1; r < kSize; ++r) table[static_cast<size_t>(r)] = held.back();

    for (size_t r = 0; r < table.size(); ++r)
        colors_[r] = linear ? fromLinearLight(table[r]) : PixelColorTransform::premultiply(table[r]);
    opaque_ = std::all_of(colors_.begin(), colors_.end(),
                          [](const agg::rgba8& c) { return c.a == agg::rgba8::base_mask; });
}

}  // namespace swf
