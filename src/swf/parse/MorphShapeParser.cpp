#include "swf/parse/MorphShapeParser.h"

namespace swf {
namespace {

Edge asCurve(const Edge& e) {
    if (e.curved) return e;
    Edge c = e;
    c.control = {(e.from.x + e.to.x) / 2, (e.from.y + e.to.y) / 2};
    c.curved = true;
    return c;
}

uint32_t readCount(BitReader& in) {
    uint32_t count = in.u8();
    if (count == 0xFF) count = in.u16();
    return count;
}

}  // namespace

void MorphShapeParser::readFillPair(BitReader& in, FillStyle& start, FillStyle& end) {
    uint8_t type = in.u8();
    switch (type) {
        case 0x00:
            start.kind = end.kind = FillStyle::Kind::Solid;
            start.color = in.rgba();
            end.color = in.rgba();
            return;
        case 0x10:
        case 0x12:
        case 0x13: {
            start.kind = end.kind = type == 0x10   ? FillStyle::Kind::LinearGradient
                                    : type == 0x12 ? FillStyle::Kind::RadialGradient
                                                   : FillStyle::Kind::FocalGradient;
            start.gradient.matrix = in.matrix();
            end.gradient.matrix = in.matrix();
            uint8_t head = in.u8();
            uint32_t spread = head >> 6;
            start.gradient.spread = spread <= 2 ? static_cast<SpreadMode>(spread) : SpreadMode::Pad;
            start.gradient.interpolation =
                ((head >> 4) & 3) == 1 ? InterpolationMode::Linear : InterpolationMode::Normal;
            end.gradient.spread = start.gradient.spread;
            end.gradient.interpolation = start.gradient.interpolation;
            unsigned count = head & 0x0F;
            for (unsigned i = 0; i < count && !in.overrun(); ++i) {
                GradientStop s, e;
                s.ratio = in.u8();
                s.color = in.rgba();
                e.ratio = in.u8();
                e.color = in.rgba();
                start.gradient.stops.push_back(s);
                end.gradient.stops.push_back(e);
            }
            if (type == 0x13) {
                start.gradient.focalPoint = in.fixed8();
                end.gradient.focalPoint = in.fixed8();
            }
            return;
        }
        case 0x40:
        case 0x41:
        case 0x42:
        case 0x43:
            ShapeParser::applyBitmapFillType(type, start);
            ShapeParser::applyBitmapFillType(type, end);
            start.bitmapId = end.bitmapId = in.u16();
            start.bitmapMatrix = in.matrix();
            end.bitmapMatrix = in.matrix();
            return;
        default:
            in.seek(in.data().size() + 1);  // unknown type: nothing after it can be read
            return;
    }
}

void MorphShapeParser::readLinePair(BitReader& in, int version, LineStyle& start, LineStyle& end) {
    start.width = in.u16();
    end.width = in.u16();
    if (version < 2) {
        start.color = in.rgba();
        end.color = in.rgba();
        return;
    }
    uint32_t startCap = in.ub(2), join = in.ub(2);
    bool hasFill = in.ub(1);
    start.noHScale = end.noHScale = in.ub(1);
    start.noVScale = end.noVScale = in.ub(1);
    start.pixelHinting = end.pixelHinting = in.ub(1);
    in.ub(5);
    start.noClose = end.noClose = in.ub(1);
    uint32_t endCap = in.ub(2);
    start.startCap = end.startCap =
        startCap <= 2 ? static_cast<CapStyle>(startCap) : CapStyle::Round;
    start.endCap = end.endCap = endCap <= 2 ? static_cast<CapStyle>(endCap) : CapStyle::Round;
    start.join = end.join = join <= 2 ? static_cast<JoinStyle>(join) : JoinStyle::Round;
    if (start.join == JoinStyle::Miter) start.miterLimit = end.miterLimit = in.fixed8();
    if (hasFill) {
        FillStyle s, e;
        readFillPair(in, s, e);
        start.color = s.color;
        end.color = e.color;
        start.fill = s;
        end.fill = e;
    } else {
        start.color = in.rgba();
        end.color = in.rgba();
    }
}

std::vector<MorphRecord> MorphShapeParser::pairRecords(const std::vector<ShapeRecord>& start,
                                                       const std::vector<ShapeRecord>& end) {
    std::vector<MorphRecord> pairs;
    pairs.reserve(start.size());
    size_t next = 0;  // the next unused end record
    Point endPen;
    auto nextEndEdgeFrom = [&]() {
        for (size_t i = next; i < end.size(); ++i)
            if (end[i].type == ShapeRecord::Type::Edge) return end[i].edge.from;
        return endPen;
    };
    for (const ShapeRecord& s : start) {
        MorphRecord pair{s, s};
        if (s.type == ShapeRecord::Type::StyleChange) {
            if (next < end.size() && end[next].type == ShapeRecord::Type::StyleChange) ++next;
            if (s.moves) {
                endPen = nextEndEdgeFrom();
                pair.end.moveTo = endPen;
            }
            pairs.push_back(pair);
            continue;
        }
        while (next < end.size() && end[next].type == ShapeRecord::Type::StyleChange) {
            if (end[next].moves) endPen = end[next].moveTo;
            ++next;
        }
        if (next < end.size()) {
            pair.end.edge = end[next++].edge;
        } else {
            pair.end.edge = Edge{endPen, endPen, endPen, false};
        }
        endPen = pair.end.edge.to;
        if (pair.start.edge.curved || pair.end.edge.curved) {
            pair.start.edge = asCurve(pair.start.edge);
            pair.end.edge = asCurve(pair.end.edge);
        }
        pairs.push_back(pair);
    }
    return pairs;
}

std::shared_ptr<MorphShapeCharacter> MorphShapeParser::parse(std::span<const uint8_t> body,
                                                             int version) {
    BitReader in(body);
    uint16_t id = in.u16();
    MorphShapeData data;
    data.startBounds = in.rect();
    data.endBounds = in.rect();
    if (version >= 2) {
        in.rect();  // start edge bounds
        in.rect();  // end edge bounds
        in.u8();    // stroke-scaling hints
    }
    uint32_t offset = in.u32();
    size_t endEdgesAt = in.position() + offset;
    if (in.overrun()) return nullptr;

    uint32_t fillCount = readCount(in);
    for (uint32_t i = 0; i < fillCount && !in.overrun(); ++i) {
        if (data.startFills.size() >= ShapeParser::kMaxStyles) return nullptr;
        FillStyle s, e;
        readFillPair(in, s, e);
        data.startFills.push_back(s);
        data.endFills.push_back(e);
    }
    uint32_t lineCount = readCount(in);
    for (uint32_t i = 0; i < lineCount && !in.overrun(); ++i) {
        if (data.startLines.size() >= ShapeParser::kMaxStyles) return nullptr;
        LineStyle s, e;
        readLinePair(in, version, s, e);
        data.startLines.push_back(s);
        data.endLines.push_back(e);
    }
    if (in.overrun()) return nullptr;

    std::vector<ShapeRecord> startRecords, endRecords;
    unsigned fillBits = in.ub(4), lineBits = in.ub(4);
    ShapeParser::readRecords(in, 1, fillBits, lineBits, data.startFills, data.startLines,
                             startRecords);

    // The end edges start where the offset says; an offset pointing nowhere falls back to
    // the bytes after the start edges.
    BitReader endIn(body);
    endIn.seek(offset != 0 && endEdgesAt < body.size() ? endEdgesAt : in.position());
    std::vector<FillStyle> noFills;
    std::vector<LineStyle> noLines;
    unsigned endFillBits = endIn.ub(4), endLineBits = endIn.ub(4);
    ShapeParser::readRecords(endIn, 1, endFillBits, endLineBits, noFills, noLines, endRecords);

    data.records = pairRecords(startRecords, endRecords);
    return std::make_shared<MorphShapeCharacter>(id, std::move(data));
}

}  // namespace swf
