#include "swf/render/LayerBlend.h"

#include <algorithm>
#include <cstdlib>

namespace swf {

namespace {

// The part of a separable mode's result where both pixels are present, in premultiplied
// terms: the mode's function of the straight colours times both alphas.
int both(BlendMode mode, int s, int d, int sa, int da) {
    switch (mode) {
        case BlendMode::Multiply:
            return mul255(s, d);
        case BlendMode::Screen:
            return mul255(s, da) + mul255(d, sa) - mul255(s, d);
        case BlendMode::Lighten:
            return std::max(mul255(s, da), mul255(d, sa));
        case BlendMode::Darken:
            return std::min(mul255(s, da), mul255(d, sa));
        case BlendMode::Difference:
            return std::abs(mul255(s, da) - mul255(d, sa));
        case BlendMode::Overlay:
            if (2 * d <= da) return 2 * mul255(s, d);
            return mul255(sa, da) - 2 * mul255(da - d, sa - s);
        case BlendMode::HardLight:
            if (2 * s <= sa) return 2 * mul255(s, d);
            return mul255(sa, da) - 2 * mul255(da - d, sa - s);
        default:  // normal: the source hides the target
            return mul255(s, da);
    }
}

uint8_t clampByte(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

}  // namespace

BlendMode blendModeOf(uint8_t value) {
    if (value < static_cast<uint8_t>(BlendMode::Normal) ||
        value > static_cast<uint8_t>(BlendMode::HardLight))
        return BlendMode::Normal;
    return static_cast<BlendMode>(value);
}

void blendPixel(BlendMode mode, const uint8_t* source, uint8_t* target) {
    const int sa = source[3], da = target[3];
    switch (mode) {
        case BlendMode::Add:
            for (int k = 0; k < 4; ++k) target[k] = clampByte(source[k] + target[k]);
            return;
        case BlendMode::Subtract:
            for (int k = 0; k < 3; ++k) target[k] = clampByte(target[k] - source[k]);
            target[3] = clampByte(sa + da - mul255(sa, da));
            return;
        case BlendMode::Invert:
            for (int k = 0; k < 3; ++k)
                target[k] = clampByte(mul255(da - target[k], sa) + mul255(target[k], 255 - sa));
            return;
        case BlendMode::Alpha:
            for (int k = 0; k < 4; ++k) target[k] = clampByte(mul255(target[k], sa));
            return;
        case BlendMode::Erase:
            for (int k = 0; k < 4; ++k) target[k] = clampByte(mul255(target[k], 255 - sa));
            return;
        default:
            break;
    }
    for (int k = 0; k < 3; ++k) {
        const int s = source[k], d = target[k];
        target[k] = clampByte(both(mode, s, d, sa, da) + mul255(s, 255 - da) + mul255(d, 255 - sa));
    }
    target[3] = clampByte(sa + da - mul255(sa, da));
}

void blendLayer(BlendMode mode, const PixelImage& layer, int x, int y, PixelImage& target,
                const uint8_t* mask) {
    const int left = std::max(x, 0), right = std::min(x + layer.width, target.width);
    const int top = std::max(y, 0), bottom = std::min(y + layer.height, target.height);
    for (int ty = top; ty < bottom; ++ty) {
        size_t row = static_cast<size_t>(ty) * static_cast<size_t>(target.width);
        size_t from = static_cast<size_t>(ty - y) * static_cast<size_t>(layer.width);
        for (int tx = left; tx < right; ++tx) {
            const uint8_t* source = layer.channels(from + static_cast<size_t>(tx - x));
            // A clear pixel leaves the one below as it is, in alpha mode too: only what the
            // object paints lends its alpha (a shape fading out clears nothing past its end).
            if (source[3] == 0 && mode != BlendMode::Add && mode != BlendMode::Subtract) continue;
            uint8_t scaled[4];
            if (mask) {
                uint8_t m = mask[row + static_cast<size_t>(tx)];
                if (m == 0) continue;
                for (int k = 0; k < 4; ++k) scaled[k] = static_cast<uint8_t>(mul255(source[k], m));
                source = scaled;
            }
            blendPixel(mode, source, target.channels(row + static_cast<size_t>(tx)));
        }
    }
}

}  // namespace swf
