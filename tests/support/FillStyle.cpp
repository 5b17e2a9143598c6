#include "support/FillStyle.h"

#include <cmath>
#include <stdexcept>

#include "support/BitWriter.h"

namespace swftest {

namespace {

FillStyle gradient(FillType type, const Matrix& matrix, std::vector<GradientStop> stops,
                   SpreadMode spread, InterpolationMode interpolation) {
    FillStyle style;
    style.type = type;
    style.matrix = matrix;
    style.stops = std::move(stops);
    style.spread = spread;
    style.interpolation = interpolation;
    return style;
}

}  // namespace

FillStyle FillStyle::solid(Rgba color) {
    FillStyle style;
    style.color = color;
    return style;
}

FillStyle FillStyle::linearGradient(const Matrix& matrix, std::vector<GradientStop> stops,
                                    SpreadMode spread, InterpolationMode interpolation) {
    return gradient(FillType::LinearGradient, matrix, std::move(stops), spread, interpolation);
}

FillStyle FillStyle::radialGradient(const Matrix& matrix, std::vector<GradientStop> stops,
                                    SpreadMode spread, InterpolationMode interpolation) {
    return gradient(FillType::RadialGradient, matrix, std::move(stops), spread, interpolation);
}

FillStyle FillStyle::focalGradient(const Matrix& matrix, std::vector<GradientStop> stops,
                                   double focal, SpreadMode spread,
                                   InterpolationMode interpolation) {
    FillStyle style =
        gradient(FillType::FocalRadialGradient, matrix, std::move(stops), spread, interpolation);
    style.focalPoint = static_cast<int16_t>(std::lround(focal * 256.0));
    return style;
}

FillStyle FillStyle::bitmap(uint16_t bitmapId, const Matrix& matrix, bool repeating,
                            bool smoothed) {
    FillStyle style;
    if (smoothed)
        style.type = repeating ? FillType::RepeatingBitmap : FillType::ClippedBitmap;
    else
        style.type =
            repeating ? FillType::NonSmoothedRepeatingBitmap : FillType::NonSmoothedClippedBitmap;
    style.bitmapId = bitmapId;
    style.matrix = matrix;
    return style;
}

bool FillStyle::isGradient() const {
    return type == FillType::LinearGradient || type == FillType::RadialGradient ||
           type == FillType::FocalRadialGradient;
}

bool FillStyle::isBitmap() const {
    return static_cast<uint8_t>(type) >= 0x40 && static_cast<uint8_t>(type) <= 0x43;
}

void FillStyle::writeGradientHeader(BitWriter& out) const {
    if (stops.size() > 15) throw std::invalid_argument("a gradient holds at most 15 stops");
    out.align();
    out.ub(static_cast<uint32_t>(spread), 2)
        .ub(static_cast<uint32_t>(interpolation), 2)
        .ub(static_cast<uint32_t>(stops.size()), 4);
}

void FillStyle::write(BitWriter& out, int shapeVersion) const {
    const bool withAlpha = shapeVersion >= 3;
    out.u8(static_cast<uint8_t>(type));
    if (type == FillType::Solid) {
        color.write(out, withAlpha);
    } else if (isGradient()) {
        matrix.write(out);
        writeGradientHeader(out);
        for (const GradientStop& stop : stops) {
            out.u8(stop.ratio);
            stop.color.write(out, withAlpha);
        }
        if (type == FillType::FocalRadialGradient) out.s16(focalPoint);
    } else if (isBitmap()) {
        out.u16(bitmapId);
        matrix.write(out);
    } else {
        throw std::invalid_argument("unknown fill style type");
    }
}

}  // namespace swftest
