#include "support/ColorTransform.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "support/BitWriter.h"

namespace swftest {

namespace {

int16_t fixed8(double value) {
    return static_cast<int16_t>(std::lround(value * 256.0));
}

}  // namespace

ColorTransform ColorTransform::alpha(double factor) {
    return multiply(1.0, 1.0, 1.0, factor);
}

ColorTransform ColorTransform::multiply(double red, double green, double blue, double alphaFactor) {
    ColorTransform result;
    result.redMultiply = fixed8(red);
    result.greenMultiply = fixed8(green);
    result.blueMultiply = fixed8(blue);
    result.alphaMultiply = fixed8(alphaFactor);
    return result;
}

ColorTransform ColorTransform::add(int16_t red, int16_t green, int16_t blue, int16_t alphaTerm) {
    ColorTransform result;
    result.redAdd = red;
    result.greenAdd = green;
    result.blueAdd = blue;
    result.alphaAdd = alphaTerm;
    return result;
}

void ColorTransform::write(BitWriter& out) const {
    write(out, false);
}

void ColorTransform::writeWithAlpha(BitWriter& out) const {
    write(out, true);
}

void ColorTransform::write(BitWriter& out, bool withAlpha) const {
    const size_t terms = withAlpha ? 4 : 3;
    const std::array<int16_t, 4> multiplyTerms{redMultiply, greenMultiply, blueMultiply,
                                               alphaMultiply};
    const std::array<int16_t, 4> addTerms{redAdd, greenAdd, blueAdd, alphaAdd};

    bool hasMultiply = false;
    bool hasAdd = false;
    int bits = 0;
    for (size_t i = 0; i < terms; ++i) {
        hasMultiply = hasMultiply || multiplyTerms[i] != 256;
        hasAdd = hasAdd || addTerms[i] != 0;
    }
    for (size_t i = 0; i < terms; ++i) {
        if (hasMultiply) bits = std::max(bits, BitWriter::signedBits(multiplyTerms[i]));
        if (hasAdd) bits = std::max(bits, BitWriter::signedBits(addTerms[i]));
    }

    out.align();
    out.flag(hasAdd).flag(hasMultiply).ub(static_cast<uint32_t>(bits), 4);
    for (size_t i = 0; hasMultiply && i < terms; ++i) out.sb(multiplyTerms[i], bits);
    for (size_t i = 0; hasAdd && i < terms; ++i) out.sb(addTerms[i], bits);
    out.align();
}

}  // namespace swftest
