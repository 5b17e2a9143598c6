#include "support/MorphShapeBuilder.h"

#include <algorithm>
#include <stdexcept>

#include "support/BitWriter.h"

namespace swftest {

namespace {

void writeCount(BitWriter& out, size_t count) {
    if (count > 0xFFFF) throw std::invalid_argument("too many morph styles");
    if (count >= 0xFF)
        out.u8(0xFF).u16(static_cast<uint16_t>(count));
    else
        out.u8(static_cast<uint8_t>(count));
}

}  // namespace

int MorphShapeBuilder::addFill(FillStyle start, FillStyle end) {
    if (start.type != end.type || start.stops.size() != end.stops.size())
        throw std::invalid_argument(
            "morph fill styles need the same type and stop count at both ends");
    fills_.emplace_back(std::move(start), std::move(end));
    return static_cast<int>(fills_.size());
}

int MorphShapeBuilder::addLine(LineStyle start, LineStyle end) {
    if (start.fill.has_value() != end.fill.has_value())
        throw std::invalid_argument("morph line styles must both be filled strokes or both plain");
    lines_.emplace_back(std::move(start), std::move(end));
    return static_cast<int>(lines_.size());
}

void MorphShapeBuilder::writeFill(BitWriter& out, const FillStyle& start, const FillStyle& end) {
    if (start.type != end.type || start.stops.size() != end.stops.size())
        throw std::invalid_argument(
            "morph fill styles need the same type and stop count at both ends");
    out.u8(static_cast<uint8_t>(start.type));
    if (start.type == FillType::Solid) {
        start.color.write(out, true);
        end.color.write(out, true);
    } else if (start.isGradient()) {
        start.matrix.write(out);
        end.matrix.write(out);
        start.writeGradientHeader(out);
        for (size_t i = 0; i < start.stops.size(); ++i) {
            out.u8(start.stops[i].ratio);
            start.stops[i].color.write(out, true);
            out.u8(end.stops[i].ratio);
            end.stops[i].color.write(out, true);
        }
        if (start.type == FillType::FocalRadialGradient)
            out.s16(start.focalPoint).s16(end.focalPoint);
    } else if (start.isBitmap()) {
        out.u16(start.bitmapId);
        start.matrix.write(out);
        end.matrix.write(out);
    } else {
        throw std::invalid_argument("unknown fill style type");
    }
}

void MorphShapeBuilder::writeLine(BitWriter& out, const LineStyle& start, const LineStyle& end,
                                  int morphVersion) {
    out.u16(start.width).u16(end.width);
    if (morphVersion >= 2) {
        start.writeStyle2Flags(out);
        if (start.fill) {
            writeFill(out, *start.fill, *end.fill);
            return;
        }
    }
    start.color.write(out, true);
    end.color.write(out, true);
}

std::vector<uint8_t> MorphShapeBuilder::defineMorphShapeBody(uint16_t id, int morphVersion) const {
    if (morphVersion != 1 && morphVersion != 2)
        throw std::invalid_argument("DefineMorphShape version must be 1 or 2");

    int startWidest = 0;
    int endWidest = 0;
    bool nonScaling = false;
    bool scaling = false;
    for (const auto& [start, end] : lines_) {
        startWidest = std::max<int>(startWidest, start.width);
        endWidest = std::max<int>(endWidest, end.width);
        const bool unscaled = start.noHorizontalScale || start.noVerticalScale;
        nonScaling = nonScaling || unscaled;
        scaling = scaling || !unscaled;
    }

    BitWriter styles;
    writeCount(styles, fills_.size());
    for (const auto& [start, end] : fills_) writeFill(styles, start, end);
    writeCount(styles, lines_.size());
    for (const auto& [start, end] : lines_) writeLine(styles, start, end, morphVersion);
    const int fillBits = BitWriter::unsignedBits(static_cast<uint32_t>(fills_.size()));
    const int lineBits = BitWriter::unsignedBits(static_cast<uint32_t>(lines_.size()));
    const int shapeVersion = morphVersion == 1 ? 3 : 4;
    styles.raw(start_.encodeShape(fillBits, lineBits, shapeVersion));

    BitWriter body;
    body.u16(id);
    start_.edgeBounds().expanded((startWidest + 1) / 2).write(body);
    end_.edgeBounds().expanded((endWidest + 1) / 2).write(body);
    if (morphVersion == 2) {
        start_.edgeBounds().write(body);
        end_.edgeBounds().write(body);
        body.ub(0, 6).flag(nonScaling).flag(scaling);
    }
    // Offset from the end of this field to the end edges.
    body.u32(static_cast<uint32_t>(styles.size()));
    body.raw(styles.bytes());
    body.raw(end_.encodeShape(fillBits, lineBits, shapeVersion));
    return body.bytes();
}

}  // namespace swftest
