#include "support/LineStyle.h"

#include <cmath>

#include "support/BitWriter.h"

namespace swftest {

LineStyle LineStyle::solid(uint16_t width, Rgba color) {
    LineStyle style;
    style.width = width;
    style.color = color;
    return style;
}

LineStyle LineStyle::filled(uint16_t width, FillStyle fill) {
    LineStyle style;
    style.width = width;
    style.fill = std::move(fill);
    return style;
}

LineStyle LineStyle::withCaps(CapStyle start, CapStyle end) const {
    LineStyle copy = *this;
    copy.startCap = start;
    copy.endCap = end;
    return copy;
}

LineStyle LineStyle::withJoin(JoinStyle style, double miterLimitFactor) const {
    LineStyle copy = *this;
    copy.join = style;
    copy.miterLimit = static_cast<uint16_t>(std::lround(miterLimitFactor * 256.0));
    return copy;
}

LineStyle LineStyle::withNoScale(bool horizontal, bool vertical) const {
    LineStyle copy = *this;
    copy.noHorizontalScale = horizontal;
    copy.noVerticalScale = vertical;
    return copy;
}

void LineStyle::writeStyle2Flags(BitWriter& out) const {
    out.align();
    out.ub(static_cast<uint32_t>(startCap), 2)
        .ub(static_cast<uint32_t>(join), 2)
        .flag(fill.has_value())
        .flag(noHorizontalScale)
        .flag(noVerticalScale)
        .flag(pixelHinting)
        .ub(0, 5)
        .flag(noClose)
        .ub(static_cast<uint32_t>(endCap), 2);
    if (join == JoinStyle::Miter) out.u16(miterLimit);
}

void LineStyle::write(BitWriter& out, int shapeVersion) const {
    out.u16(width);
    if (shapeVersion < 4) {
        color.write(out, shapeVersion >= 3);
        return;
    }
    writeStyle2Flags(out);
    if (fill)
        fill->write(out, shapeVersion);
    else
        color.write(out, true);
}

}  // namespace swftest
