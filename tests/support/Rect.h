#pragma once

#include <cstdint>

namespace swftest {

class BitWriter;

// The format's RECT, in twips. Field order matches the file: x range, then y range.
struct Rect {
    int32_t xMin = 0;
    int32_t xMax = 0;
    int32_t yMin = 0;
    int32_t yMax = 0;

    bool operator==(const Rect&) const = default;

    // From a corner and a size, all in twips.
    static Rect fromSize(int32_t x, int32_t y, int32_t width, int32_t height);
    // From a corner and a size in pixels.
    static Rect fromPixels(double x, double y, double width, double height);

    // Grows the rectangle to take in the point (used for computed bounds).
    void include(int32_t x, int32_t y);
    // Grows every side by `margin` twips.
    Rect expanded(int32_t margin) const;

    // Nbits (5 bits, the fewest that hold all four values), four SB fields, then byte padding.
    void write(BitWriter& out) const;
};

}  // namespace swftest
