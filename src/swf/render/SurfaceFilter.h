#pragma once
// A bitmap filter of a display object (PlaceObject3's filter list, or a script's `filters`):
// the settings of one of the player's filter kinds, kept for the renderer.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "swf/bitmap/Bitmap.h"

namespace swf {

struct SurfaceFilter {
    // The SWF filter ids; the displacement map has none (scripts only).
    enum class Kind : uint8_t {
        DropShadow = 0,
        Blur = 1,
        Glow = 2,
        Bevel = 3,
        GradientGlow = 4,
        Convolution = 5,
        ColorMatrix = 6,
        GradientBevel = 7,
        DisplacementMap = 8,
    };
    enum class Type : uint8_t { Inner, Outer, Full };
    static constexpr size_t kMaxGradientColors = 16;
    static constexpr int kMaxMatrixSide = 15;

    Kind kind = Kind::Blur;
    double blurX = 4, blurY = 4;
    int quality = 1;
    double strength = 1;
    double distance = 4;
    double angle = 45;  // degrees in a script's filter object, radians on a display object
    uint32_t color = 0;  // RGB; shadow colour of a bevel
    double alpha = 1;
    uint32_t highlightColor = 0xFFFFFF;
    double highlightAlpha = 1;
    bool inner = false, knockout = false, hideObject = false;
    Type type = Type::Inner;
    std::vector<uint32_t> colors;
    std::vector<double> alphas;
    std::vector<int> ratios;
    // Convolution.
    int matrixX = 0, matrixY = 0;
    std::vector<double> matrix;  // also the colour matrix's 20 numbers
    double divisor = 1, bias = 0;
    bool preserveAlpha = true, clamp = true;
    // Displacement map.
    std::shared_ptr<Bitmap> mapBitmap;
    int32_t mapX = 0, mapY = 0;
    int componentX = 0, componentY = 0;
    double scaleX = 0, scaleY = 0;
    uint8_t mode = 0;  // wrap, clamp, ignore, color
};

// The filters of a SURFACEFILTERLIST (angles in radians); what does not parse is left out.
std::vector<SurfaceFilter> parseFilterList(const std::vector<uint8_t>& bytes);

}  // namespace swf
