#pragma once
// How an offscreen layer combines with what lies below it, pixel by pixel, in premultiplied
// 8-bit arithmetic.

#include <cstdint>

#include "swf/render/PixelImage.h"

namespace swf {

// Numbered as placements number them.
enum class BlendMode : uint8_t {
    Normal = 1,
    Layer,
    Multiply,
    Screen,
    Lighten,
    Darken,
    Difference,
    Add,
    Subtract,
    Invert,
    Alpha,
    Erase,
    Overlay,
    HardLight,
};

// A placement's number as a mode: 0 and numbers beyond the known ones are normal.
BlendMode blendModeOf(uint8_t value);

// Blends the premultiplied RGBA pixel `source` onto `target`.
void blendPixel(BlendMode mode, const uint8_t* source, uint8_t* target);

// Blends `layer`, whose top-left lies at (x, y) of `target`, onto it. `mask` (one byte per
// target pixel, or null for none) scales the layer first.
void blendLayer(BlendMode mode, const PixelImage& layer, int x, int y, PixelImage& target,
                const uint8_t* mask);

}  // namespace swf
