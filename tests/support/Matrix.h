#pragma once

#include <cstdint>

namespace swftest {

class BitWriter;

// The format's MATRIX. Scale and rotate/skew terms are 16.16 fixed point (0x10000 is 1.0),
// translations are twips. A point maps as
//   x' = x * scaleX + y * rotateSkew1 + translateX
//   y' = x * rotateSkew0 + y * scaleY + translateY
struct Matrix {
    int32_t scaleX = 0x10000;
    int32_t scaleY = 0x10000;
    int32_t rotateSkew0 = 0;
    int32_t rotateSkew1 = 0;
    int32_t translateX = 0;
    int32_t translateY = 0;

    bool operator==(const Matrix&) const = default;

    static Matrix identity() { return Matrix{}; }
    static Matrix translation(int32_t tx, int32_t ty);
    static Matrix scaling(double sx, double sy, int32_t tx = 0, int32_t ty = 0);
    // Clockwise on screen for positive degrees (y grows downwards), then translated.
    static Matrix rotation(double degrees, int32_t tx = 0, int32_t ty = 0);
    // Scales, then rotates, then translates.
    static Matrix scaleRotate(double sx, double sy, double degrees, int32_t tx, int32_t ty);
    // Any affine map: x' = a*x + c*y + tx, y' = b*x + d*y + ty.
    static Matrix affine(double a, double b, double c, double d, int32_t tx, int32_t ty);
    // Maps the gradient square (-16384..16384 twips on both axes) onto the box at (x, y)
    // with the given size in twips, rotated about the box centre.
    static Matrix gradientBox(int32_t x, int32_t y, int32_t width, int32_t height,
                              double degrees = 0);
    // A bitmap fill showing one bitmap pixel per screen pixel, its top-left corner at (x, y).
    static Matrix bitmapAt(int32_t x, int32_t y);

    // This matrix followed by `outer` (outer applied last).
    Matrix then(const Matrix& outer) const;

    // 16.16 fixed point, rounded to nearest.
    static int32_t fixed(double value);

    // HasScale and HasRotate are set only when the terms differ from identity; each group
    // uses the fewest bits that hold both its values. Pads to a byte at the end.
    void write(BitWriter& out) const;
};

}  // namespace swftest
