#pragma once

#include <cstdint>
#include <vector>

#include "support/Matrix.h"
#include "support/Rgba.h"

namespace swftest {

class BitWriter;

enum class FillType : uint8_t {
    Solid = 0x00,
    LinearGradient = 0x10,
    RadialGradient = 0x12,
    FocalRadialGradient = 0x13,  // SWF 8, DefineShape4
    RepeatingBitmap = 0x40,
    ClippedBitmap = 0x41,
    NonSmoothedRepeatingBitmap = 0x42,
    NonSmoothedClippedBitmap = 0x43,
};

enum class SpreadMode : uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class InterpolationMode : uint8_t { Normal = 0, LinearRgb = 1 };

struct GradientStop {
    uint8_t ratio = 0;  // 0..255 along the gradient
    Rgba color;
};

// One FILLSTYLE. Build it with the factories; the fields are public so that tests can
// write unusual combinations.
struct FillStyle {
    FillType type = FillType::Solid;
    Rgba color;                       // Solid
    Matrix matrix;                    // gradient matrix, or bitmap matrix (bitmap pixels to shape)
    std::vector<GradientStop> stops;  // gradients: up to 15 (the count field has 4 bits)
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
    int16_t focalPoint = 0;  // focal gradients: signed 8.8, -256..256 is -1..1
    uint16_t bitmapId = 0;   // bitmap fills

    static FillStyle solid(Rgba color);
    static FillStyle linearGradient(const Matrix& matrix, std::vector<GradientStop> stops,
                                    SpreadMode spread = SpreadMode::Pad,
                                    InterpolationMode interpolation = InterpolationMode::Normal);
    static FillStyle radialGradient(const Matrix& matrix, std::vector<GradientStop> stops,
                                    SpreadMode spread = SpreadMode::Pad,
                                    InterpolationMode interpolation = InterpolationMode::Normal);
    // focal: -1..1 along the gradient's x axis.
    static FillStyle focalGradient(const Matrix& matrix, std::vector<GradientStop> stops,
                                   double focal, SpreadMode spread = SpreadMode::Pad,
                                   InterpolationMode interpolation = InterpolationMode::Normal);
    static FillStyle bitmap(uint16_t bitmapId, const Matrix& matrix, bool repeating = true,
                            bool smoothed = true);

    bool isGradient() const;
    bool isBitmap() const;

    // Colours are RGB in DefineShape 1 and 2, RGBA from DefineShape3 on.
    void write(BitWriter& out, int shapeVersion) const;
    // SpreadMode, InterpolationMode and the stop count in one byte, as GRADIENT starts.
    void writeGradientHeader(BitWriter& out) const;
};

}  // namespace swftest
