#pragma once

#include <cstdint>
#include <optional>

#include "support/FillStyle.h"
#include "support/Rgba.h"

namespace swftest {

class BitWriter;

enum class CapStyle : uint8_t { Round = 0, None = 1, Square = 2 };
enum class JoinStyle : uint8_t { Round = 0, Bevel = 1, Miter = 2 };

// One LINESTYLE (DefineShape 1-3) or LINESTYLE2 (DefineShape4). The LINESTYLE2 fields
// are ignored when the style is written for an earlier shape version.
struct LineStyle {
    uint16_t width = 20;  // twips; 0 is a hairline
    Rgba color;
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    uint16_t miterLimit = 3 << 8;  // 8.8 fixed, written only for miter joins
    bool noHorizontalScale = false;
    bool noVerticalScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    std::optional<FillStyle> fill;  // a filled stroke (LINESTYLE2 only); replaces the colour

    static LineStyle solid(uint16_t width, Rgba color);
    static LineStyle filled(uint16_t width, FillStyle fill);

    // Copies with one aspect changed, for chaining.
    LineStyle withCaps(CapStyle start, CapStyle end) const;
    LineStyle withCaps(CapStyle both) const { return withCaps(both, both); }
    LineStyle withJoin(JoinStyle style, double miterLimitFactor = 3.0) const;
    LineStyle withNoScale(bool horizontal, bool vertical) const;

    void write(BitWriter& out, int shapeVersion) const;
    // The two flag bytes and the optional miter limit of LINESTYLE2 (shared with morph lines).
    void writeStyle2Flags(BitWriter& out) const;
};

}  // namespace swftest
