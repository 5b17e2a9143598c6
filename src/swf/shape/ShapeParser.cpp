#include "swf/shape/ShapeParser.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace swf {
namespace {

enum FillType : uint8_t {
    kSolid = 0x00,
    kLinear = 0x10,
    kRadial = 0x12,
    kFocal = 0x13,
    kBitmapRepeatSmooth = 0x40,
    kBitmapClipSmooth = 0x41,
    kBitmapRepeatHard = 0x42,
    kBitmapClipHard = 0x43,
};

uint32_t readCount(BitReader& in, bool extended) {
    uint32_t count = in.u8();
    if (count == 0xFF && extended) count = in.u16();
    return count;
}

CapStyle capFrom(uint32_t bits) {
    return bits <= 2 ? static_cast<CapStyle>(bits) : CapStyle::Round;
}
JoinStyle joinFrom(uint32_t bits) {
    return bits <= 2 ? static_cast<JoinStyle>(bits) : JoinStyle::Round;
}

}  // namespace

Gradient ShapeParser::readGradient(BitReader& in, int version, bool focal) {
    Gradient g;
    g.matrix = in.matrix();
    uint8_t head = in.u8();
    uint32_t spread = head >> 6;
    g.spread = spread <= 2 ? static_cast<SpreadMode>(spread) : SpreadMode::Pad;
    g.interpolation =
        ((head >> 4) & 3) == 1 ? InterpolationMode::Linear : InterpolationMode::Normal;
    unsigned count = head & 0x0F;
    g.stops.reserve(count);
    for (unsigned i = 0; i < count && !in.overrun(); ++i) {
        GradientStop stop;
        stop.ratio = in.u8();
        stop.color = version >= 3 ? in.rgba() : in.rgb();
        g.stops.push_back(stop);
    }
    if (focal) g.focalPoint = std::clamp(in.fixed8(), -1.0, 1.0);
    return g;
}

void ShapeParser::applyBitmapFillType(uint8_t type, FillStyle& fill) {
    fill.kind = FillStyle::Kind::Bitmap;
    fill.bitmapRepeat = type == kBitmapRepeatSmooth || type == kBitmapRepeatHard;
    fill.bitmapSmooth = type == kBitmapRepeatSmooth || type == kBitmapClipSmooth;
}

FillStyle ShapeParser::readFillStyle(BitReader& in, int version) {
    FillStyle fill;
    uint8_t type = in.u8();
    switch (type) {
        case kSolid:
            fill.kind = FillStyle::Kind::Solid;
            fill.color = version >= 3 ? in.rgba() : in.rgb();
            break;
        case kLinear:
        case kRadial:
        case kFocal:
            fill.kind = type == kLinear   ? FillStyle::Kind::LinearGradient
                        : type == kRadial ? FillStyle::Kind::RadialGradient
                                          : FillStyle::Kind::FocalGradient;
            fill.gradient = readGradient(in, version, type == kFocal);
            break;
        case kBitmapRepeatSmooth:
        case kBitmapClipSmooth:
        case kBitmapRepeatHard:
        case kBitmapClipHard:
            applyBitmapFillType(type, fill);
            fill.bitmapId = in.u16();
            fill.bitmapMatrix = in.matrix();
            break;
        default:
            // An unknown fill type: its size is unknown, so nothing after it can be read.
            in.seek(in.data().size() + 1);
            break;
    }
    return fill;
}

LineStyle ShapeParser::readLineStyle(BitReader& in, int version) {
    LineStyle line;
    line.width = in.u16();
    if (version < 4) {
        line.color = version >= 3 ? in.rgba() : in.rgb();
        return line;
    }
    line.startCap = capFrom(in.ub(2));
    line.join = joinFrom(in.ub(2));
    bool hasFill = in.ub(1);
    line.noHScale = in.ub(1);
    line.noVScale = in.ub(1);
    line.pixelHinting = in.ub(1);
    in.ub(5);
    line.noClose = in.ub(1);
    line.endCap = capFrom(in.ub(2));
    if (line.join == JoinStyle::Miter) line.miterLimit = in.fixed8();
    if (hasFill) {
        line.fill = readFillStyle(in, version);
        if (line.fill->kind == FillStyle::Kind::Solid) line.color = line.fill->color;
    } else {
        line.color = in.rgba();
    }
    return line;
}

bool ShapeParser::readStyleArrays(BitReader& in, int version, std::vector<FillStyle>& fills,
                                  std::vector<LineStyle>& lines) {
    uint32_t fillCount = readCount(in, version >= 2);
    for (uint32_t i = 0; i < fillCount; ++i) {
        if (in.overrun() || fills.size() >= kMaxStyles) return false;
        fills.push_back(readFillStyle(in, version));
    }
    uint32_t lineCount = readCount(in, true);
    for (uint32_t i = 0; i < lineCount; ++i) {
        if (in.overrun() || lines.size() >= kMaxStyles) return false;
        lines.push_back(readLineStyle(in, version));
    }
    return !in.overrun();
}

bool ShapeParser::readRecords(BitReader& in, int version, unsigned fillBits, unsigned lineBits,
                              std::vector<FillStyle>& fills, std::vector<LineStyle>& lines,
                              std::vector<ShapeRecord>& records) {
    uint32_t fillBase = 0, lineBase = 0;  // where the arrays in force start in the flat arrays
    uint32_t fillLimit = static_cast<uint32_t>(fills.size());
    uint32_t lineLimit = static_cast<uint32_t>(lines.size());
    // A selected index past the array in force selects nothing.
    auto flatten = [](uint32_t index, uint32_t base, uint32_t limit) {
        return index == 0 || base + index > limit ? 0u : base + index;
    };
    double x = 0, y = 0;
    while (true) {
        if (in.overrun()) return false;
        if (records.size() >= kMaxRecords) return false;
        if (in.ub(1) == 0) {
            uint32_t flags = in.ub(5);
            if (flags == 0) return !in.overrun();  // end of shape
            ShapeRecord r;
            r.type = ShapeRecord::Type::StyleChange;
            bool newStyles = flags & 0x10;
            r.setsLine = flags & 0x08;
            r.setsFill1 = flags & 0x04;
            r.setsFill0 = flags & 0x02;
            r.moves = flags & 0x01;
            if (r.moves) {
                unsigned bits = in.ub(5);
                x = in.sb(bits);
                y = in.sb(bits);
                r.moveTo = {x, y};
            }
            uint32_t fill0 = r.setsFill0 ? in.ub(fillBits) : 0;
            uint32_t fill1 = r.setsFill1 ? in.ub(fillBits) : 0;
            uint32_t line = r.setsLine ? in.ub(lineBits) : 0;
            if (newStyles && version >= 2) {
                fillBase = static_cast<uint32_t>(fills.size());
                lineBase = static_cast<uint32_t>(lines.size());
                if (!readStyleArrays(in, version, fills, lines)) return false;
                fillLimit = static_cast<uint32_t>(fills.size());
                lineLimit = static_cast<uint32_t>(lines.size());
                fillBits = in.ub(4);
                lineBits = in.ub(4);
                // New arrays drop the styles selected before them.
                r.setsFill0 = r.setsFill1 = r.setsLine = true;
                r.newStyles = true;
            }
            r.fill0 = flatten(fill0, fillBase, fillLimit);
            r.fill1 = flatten(fill1, fillBase, fillLimit);
            r.line = flatten(line, lineBase, lineLimit);
            records.push_back(r);
            continue;
        }
        ShapeRecord r;
        r.type = ShapeRecord::Type::Edge;
        r.edge.from = {x, y};
        bool straight = in.ub(1);
        unsigned bits = in.ub(4) + 2;
        if (straight) {
            int32_t dx = 0, dy = 0;
            if (in.ub(1)) {
                dx = in.sb(bits);
                dy = in.sb(bits);
            } else if (in.ub(1)) {
                dy = in.sb(bits);
            } else {
                dx = in.sb(bits);
            }
            x += dx;
            y += dy;
        } else {
            double cx = x + in.sb(bits);
            double cy = y + in.sb(bits);
            x = cx + in.sb(bits);
            y = cy + in.sb(bits);
            r.edge.control = {cx, cy};
            r.edge.curved = true;
        }
        r.edge.to = {x, y};
        if (in.overrun()) return false;
        records.push_back(r);
    }
}

void ShapeParser::buildPaths(const std::vector<ShapeRecord>& records, Shape& out) {
    ShapePath current;
    auto flush = [&] {
        if (!current.edges.empty()) out.paths.push_back(current);
        current.edges.clear();
    };
    for (const ShapeRecord& r : records) {
        if (r.type == ShapeRecord::Type::StyleChange) {
            flush();
            if (r.newStyles) ++current.layer;
            if (r.setsFill0) current.fill0 = r.fill0;
            if (r.setsFill1) current.fill1 = r.fill1;
            if (r.setsLine) current.line = r.line;
            continue;
        }
        current.edges.push_back(r.edge);
    }
    flush();
}

Rect ShapeParser::edgeBounds(const Shape& shape) {
    double xMin = std::numeric_limits<double>::max(), yMin = xMin;
    double xMax = std::numeric_limits<double>::lowest(), yMax = xMax;
    auto add = [&](Point p) {
        xMin = std::min(xMin, p.x);
        xMax = std::max(xMax, p.x);
        yMin = std::min(yMin, p.y);
        yMax = std::max(yMax, p.y);
    };
    for (const ShapePath& path : shape.paths) {
        for (const Edge& e : path.edges) {
            add(e.from);
            add(e.to);
            if (e.curved) add(e.control);
        }
    }
    if (xMin > xMax) return {};
    return {static_cast<int32_t>(std::floor(xMin)), static_cast<int32_t>(std::ceil(xMax)),
            static_cast<int32_t>(std::floor(yMin)), static_cast<int32_t>(std::ceil(yMax))};
}

bool ShapeParser::parseShapeWithStyle(BitReader& in, int version, Shape& out) {
    if (!readStyleArrays(in, version, out.fills, out.lines)) return false;
    unsigned fillBits = in.ub(4);
    unsigned lineBits = in.ub(4);
    std::vector<ShapeRecord> records;
    bool ok = readRecords(in, version, fillBits, lineBits, out.fills, out.lines, records);
    buildPaths(records, out);
    return ok;
}

bool ShapeParser::parseDefineShape(BitReader& in, int version, Shape& out) {
    out.bounds = in.rect();
    if (version >= 4) {
        in.rect();                // edge bounds
        uint8_t flags = in.u8();  // winding rule and stroke-scaling hints
        out.nonZeroWinding = flags & 0x04;
    }
    return parseShapeWithStyle(in, version, out);
}

bool ShapeParser::parseGlyph(BitReader& in, Shape& out) {
    out.fills.assign(1, FillStyle{});
    out.lines.clear();
    unsigned fillBits = in.ub(4);
    unsigned lineBits = in.ub(4);
    std::vector<ShapeRecord> records;
    std::vector<FillStyle> fills = out.fills;
    std::vector<LineStyle> lines;
    bool ok = readRecords(in, 1, fillBits, lineBits, fills, lines, records);
    // A glyph has no line styles: whatever line a record selects is dropped.
    for (ShapeRecord& r : records) r.line = 0;
    buildPaths(records, out);
    out.bounds = edgeBounds(out);
    return ok;
}

}  // namespace swf
