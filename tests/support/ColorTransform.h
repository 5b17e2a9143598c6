#pragma once

#include <cstdint>

namespace swftest {

class BitWriter;

// The format's CXFORM / CXFORMWITHALPHA. Multipliers are 8.8 fixed point (256 is 1.0);
// a channel becomes clamp(c * multiply / 256 + add, 0, 255).
struct ColorTransform {
    int16_t redMultiply = 256;
    int16_t greenMultiply = 256;
    int16_t blueMultiply = 256;
    int16_t alphaMultiply = 256;
    int16_t redAdd = 0;
    int16_t greenAdd = 0;
    int16_t blueAdd = 0;
    int16_t alphaAdd = 0;

    bool operator==(const ColorTransform&) const = default;

    static ColorTransform identity() { return ColorTransform{}; }
    // Multiplies alpha by `factor` (0..1 and beyond), colours untouched.
    static ColorTransform alpha(double factor);
    static ColorTransform multiply(double red, double green, double blue, double alphaFactor = 1.0);
    static ColorTransform add(int16_t red, int16_t green, int16_t blue, int16_t alphaTerm = 0);

    // HasAddTerms and HasMultTerms are set only when the terms differ from identity; Nbits
    // (4 bits) is the fewest that hold every term written. Pads to a byte at the end.
    // CXFORM, the alpha terms left out:
    void write(BitWriter& out) const;
    // CXFORMWITHALPHA:
    void writeWithAlpha(BitWriter& out) const;

  private:
    void write(BitWriter& out, bool withAlpha) const;
};

}  // namespace swftest
