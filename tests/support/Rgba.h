#pragma once

#include <cstdint>

namespace swftest {

class BitWriter;

// A colour with straight (not premultiplied) alpha; 255 is opaque.
struct Rgba {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 255;

    bool operator==(const Rgba&) const = default;

    // RGB record (alpha dropped) or RGBA record.
    void write(BitWriter& out, bool withAlpha) const;
};

// 20 twips to a pixel; rounds to the nearest twip.
constexpr int32_t px(double pixels) {
    return static_cast<int32_t>(pixels * 20.0 + (pixels >= 0 ? 0.5 : -0.5));
}

}  // namespace swftest
