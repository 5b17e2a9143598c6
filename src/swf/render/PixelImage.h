#pragma once
// Pixels in memory as the canvas keeps them: premultiplied RGBA, one word a pixel holding the
// bytes R, G, B, A in that order, rows top-down. Offscreen layers are these, and filters
// work on them.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf {

// a * b / 255 of two channel values, rounded.
inline int mul255(int a, int b) {
    int t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    // Channel `k` (0 R, 1 G, 2 B, 3 A) of pixel `i`.
    uint8_t* channels(size_t i) { return reinterpret_cast<uint8_t*>(pixels.data() + i); }
    const uint8_t* channels(size_t i) const {
        return reinterpret_cast<const uint8_t*>(pixels.data() + i);
    }
    size_t area() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
};

}  // namespace swf
