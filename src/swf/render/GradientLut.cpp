#include "swf/render/GradientLut.h"

#include <algorithm>
#include <cmath>

#include "swf/render/PixelColorTransform.h"

namespace swf {

namespace {

// Linear intensities of the 256 sRGB channel values.
float srgbToLinear(uint8_t v) {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (size_t i = 0; i < t.size(); ++i) {
            float c = static_cast<float>(i) / 255.0f;
            t[i] = c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
        }
        return t;
    }();
    return table[v];
}

constexpr int kLinearSteps = 4096;

// sRGB channel values of linear intensities, sampled finely enough for 8-bit output.
const std::array<uint8_t, kLinearSteps>& linearToSrgbTable() {
    static const std::array<uint8_t, kLinearSteps> table = [] {
        std::array<uint8_t, kLinearSteps> t{};
        for (int i = 0; i < kLinearSteps; ++i) {
            float c = static_cast<float>(i) / (kLinearSteps - 1);
            float s = c <= 0.0031308f ? c * 12.92f : 1.055f * std::pow(c, 1 / 2.4f) - 0.055f;
            t[static_cast<size_t>(i)] =
                static_cast<uint8_t>(std::lround(std::clamp(s, 0.0f, 1.0f) * 255));
        }
        return t;
    }();
    return table;
}

uint8_t linearToSrgb(float linear) {
    long i = std::lround(std::clamp(linear, 0.0f, 1.0f) * (kLinearSteps - 1));
    return linearToSrgbTable()[static_cast<size_t>(i)];
}

// Truncated, as the original player's ramps are (the small bias absorbs float error at exact
// values).
uint8_t mix(uint8_t a, uint8_t b, float f) {
    return static_cast<uint8_t>(std::floor(a + (b - a) * f + 1e-4f));
}

Rgba mixNormal(Rgba a, Rgba b, float f) {
    return {mix(a.r, b.r, f), mix(a.g, b.g, f), mix(a.b, b.b, f), mix(a.a, b.a, f)};
}

Rgba mixLinear(Rgba a, Rgba b, float f) {
    auto channel = [f](uint8_t x, uint8_t y) {
        float lx = srgbToLinear(x);
        return linearToSrgb(lx + (srgbToLinear(y) - lx) * f);
    };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b), mix(a.a, b.a, f)};
}

}  // namespace

GradientLut::GradientLut(const std::vector<GradientStop>& stops, InterpolationMode mode,
                         const ColorTransform& cxform) {
    colors_.fill(agg::rgba8(0, 0, 0, 0));
    if (stops.empty()) return;
    struct Stop {
        int ratio;      // where the stop's colour is reached
        int rampStart;  // where the ramp after it starts: its ratio as written
        Rgba color;
    };
    std::vector<Stop> transformed;
    transformed.reserve(stops.size());
    for (size_t i = 0; i < stops.size(); ++i) {
        int ratio = stops[i].ratio;
        if (i > 0 && stops[i].ratio == stops[i - 1].ratio)
            ratio = std::min(transformed.back().ratio + 1, kSize - 1);
        transformed.push_back({ratio, stops[i].ratio, cxform.apply(stops[i].color)});
    }

    for (int ratio = 0; ratio < kSize; ++ratio) {
        auto next = std::find_if(transformed.begin(), transformed.end(),
                                 [ratio](const Stop& stop) { return stop.ratio >= ratio; });
        Rgba color;
        if (next == transformed.begin()) {
            color = next->color;
        } else if (next == transformed.end()) {
            color = transformed.back().color;
        } else {
            // The stop before `next` lies below `ratio`, or `next` would be it.
            const Stop& from = *(next - 1);
            const Stop& to = *next;
            float f = static_cast<float>(ratio - from.rampStart) /
                      static_cast<float>(to.ratio - from.rampStart);
            color = mode == InterpolationMode::Linear ? mixLinear(from.color, to.color, f)
                                                      : mixNormal(from.color, to.color, f);
        }
        colors_[static_cast<size_t>(ratio)] = PixelColorTransform::premultiply(color);
    }
    opaque_ = std::all_of(colors_.begin(), colors_.end(),
                          [](const agg::rgba8& c) { return c.a == agg::rgba8::base_mask; });
}

}  // namespace swf
