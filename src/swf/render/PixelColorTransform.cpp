#include "swf/render/PixelColorTransform.h"

#include <algorithm>

namespace swf {

namespace {

uint8_t mulDiv255(unsigned a, unsigned b) {
    return static_cast<uint8_t>((a * b + 127) / 255);
}

// c * mul / 256 + add, the product rounded to the nearest as the player rounds it.
uint8_t channel(int32_t c, int32_t mul, int32_t add) {
    return static_cast<uint8_t>(std::clamp(((c * mul + 128) >> 8) + add, 0, 255));
}

}  // namespace

PixelColorTransform::PixelColorTransform(const ColorTransform& cxform)
    : cxform_(cxform),
      identity_(cxform.isIdentity()),
      scalesOnly_(cxform.rAdd == 0 && cxform.gAdd == 0 && cxform.bAdd == 0 && cxform.aAdd == 0 &&
                  cxform.rMul >= 0 && cxform.gMul >= 0 && cxform.bMul >= 0 && cxform.aMul >= 0 &&
                  cxform.rMul <= 256 && cxform.gMul <= 256 && cxform.bMul <= 256 &&
                  cxform.aMul <= 256) {}

agg::rgba8 PixelColorTransform::premultiply(Rgba c) {
    return agg::rgba8(mulDiv255(c.r, c.a), mulDiv255(c.g, c.a), mulDiv255(c.b, c.a), c.a);
}

agg::rgba8 PixelColorTransform::premultiplied(Rgba color) const {
    const ColorTransform& t = cxform_;
    return premultiply({channel(color.r, t.rMul, t.rAdd), channel(color.g, t.gMul, t.gAdd),
                        channel(color.b, t.bMul, t.bAdd), channel(color.a, t.aMul, t.aAdd)});
}

void PixelColorTransform::apply(agg::rgba8* span, unsigned len) const {
    if (identity_) return;
    if (scalesOnly_) {
        // Premultiplied channels scale by the colour gain times the alpha gain.
        unsigned r = static_cast<unsigned>(cxform_.rMul * cxform_.aMul);
        unsigned g = static_cast<unsigned>(cxform_.gMul * cxform_.aMul);
        unsigned b = static_cast<unsigned>(cxform_.bMul * cxform_.aMul);
        unsigned a = static_cast<unsigned>(cxform_.aMul);
        for (unsigned i = 0; i < len; ++i) {
            agg::rgba8& p = span[i];
            p.r = static_cast<uint8_t>((p.r * r + 32768) >> 16);
            p.g = static_cast<uint8_t>((p.g * g + 32768) >> 16);
            p.b = static_cast<uint8_t>((p.b * b + 32768) >> 16);
            p.a = static_cast<uint8_t>((p.a * a + 128) >> 8);
        }
        return;
    }
    for (unsigned i = 0; i < len; ++i) {
        agg::rgba8& p = span[i];
        Rgba straight{0, 0, 0, p.a};
        if (p.a != 0) {
            straight.r = static_cast<uint8_t>(std::min(255u, (p.r * 255u + p.a / 2) / p.a));
            straight.g = static_cast<uint8_t>(std::min(255u, (p.g * 255u + p.a / 2) / p.a));
            straight.b = static_cast<uint8_t>(std::min(255u, (p.b * 255u + p.a / 2) / p.a));
        }
        p = premultiplied(straight);
    }
}

}  // namespace swf
