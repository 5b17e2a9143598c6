#include "support/ShapeBuilder.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

#include "support/BitWriter.h"

namespace swftest {

namespace {

// Edge fields are written with NumBits + 2 bits, NumBits being 4 bits wide.
constexpr int kMaxEdgeBits = 17;

int edgeBits(std::initializer_list<int32_t> deltas) {
    int bits = 2;
    for (int32_t delta : deltas) bits = std::max(bits, BitWriter::signedBits(delta));
    if (bits > kMaxEdgeBits)
        throw std::invalid_argument(
            "edge delta too large for one edge record (limit +-65535 twips)");
    return bits;
}

// Extremes of one coordinate of a quadratic curve: the value at the curve's turning point
// when that lies strictly inside the curve.
std::optional<double> quadraticExtreme(double start, double control, double end) {
    const double denominator = start - 2 * control + end;
    if (denominator == 0) return std::nullopt;
    const double t = (start - control) / denominator;
    if (t <= 0 || t >= 1) return std::nullopt;
    return (1 - t) * (1 - t) * start + 2 * (1 - t) * t * control + t * t * end;
}

}  // namespace

int ShapeBuilder::addFill(FillStyle style) {
    styleArrays_.back().fills.push_back(std::move(style));
    return static_cast<int>(styleArrays_.back().fills.size());
}

int ShapeBuilder::addLine(LineStyle style) {
    styleArrays_.back().lines.push_back(std::move(style));
    return static_cast<int>(styleArrays_.back().lines.size());
}

ShapeBuilder& ShapeBuilder::newStyles() {
    // The new arrays go in a record of their own, so that the selections that follow are
    // written with the new arrays' index widths and plainly refer to them.
    if (pending_) {
        records_.emplace_back(*pending_);
        pending_.reset();
    }
    styleArrays_.emplace_back();
    StyleChange change;
    change.newStyles = styleArrays_.size() - 1;
    records_.emplace_back(change);
    return *this;
}

ShapeBuilder::StyleChange& ShapeBuilder::pendingChange() {
    if (!pending_) pending_.emplace();
    return *pending_;
}

ShapeBuilder& ShapeBuilder::fill0(int index) {
    pendingChange().fill0 = index;
    return *this;
}

ShapeBuilder& ShapeBuilder::fill1(int index) {
    pendingChange().fill1 = index;
    return *this;
}

ShapeBuilder& ShapeBuilder::line(int index) {
    pendingChange().line = index;
    return *this;
}

ShapeBuilder& ShapeBuilder::moveTo(int32_t x, int32_t y) {
    pendingChange().moveTo = std::make_pair(x, y);
    penX_ = x;
    penY_ = y;
    return *this;
}

void ShapeBuilder::includeInBounds(int32_t x, int32_t y) {
    if (computedEdgeBounds_)
        computedEdgeBounds_->include(x, y);
    else
        computedEdgeBounds_ = Rect{x, x, y, y};
}

void ShapeBuilder::addEdge(Record edge, int32_t endX, int32_t endY) {
    if (pending_) {
        records_.emplace_back(*pending_);
        pending_.reset();
    }
    records_.push_back(edge);
    includeInBounds(penX_, penY_);
    includeInBounds(endX, endY);
    penX_ = endX;
    penY_ = endY;
}

ShapeBuilder& ShapeBuilder::lineTo(int32_t x, int32_t y) {
    addEdge(StraightEdge{x - penX_, y - penY_}, x, y);
    return *this;
}

ShapeBuilder& ShapeBuilder::curveTo(int32_t controlX, int32_t controlY, int32_t anchorX,
                                    int32_t anchorY) {
    const int32_t startX = penX_;
    const int32_t startY = penY_;
    addEdge(
        CurvedEdge{controlX - startX, controlY - startY, anchorX - controlX, anchorY - controlY},
        anchorX, anchorY);
    if (auto x = quadraticExtreme(startX, controlX, anchorX)) {
        includeInBounds(static_cast<int32_t>(std::floor(*x)), startY);
        includeInBounds(static_cast<int32_t>(std::ceil(*x)), startY);
    }
    if (auto y = quadraticExtreme(startY, controlY, anchorY)) {
        includeInBounds(startX, static_cast<int32_t>(std::floor(*y)));
        includeInBounds(startX, static_cast<int32_t>(std::ceil(*y)));
    }
    return *this;
}

ShapeBuilder& ShapeBuilder::rectangle(int32_t x, int32_t y, int32_t width, int32_t height) {
    return moveTo(x, y)
        .lineTo(x + width, y)
        .lineTo(x + width, y + height)
        .lineTo(x, y + height)
        .lineTo(x, y);
}

ShapeBuilder& ShapeBuilder::roundedRectangle(int32_t x, int32_t y, int32_t width, int32_t height,
                                             int32_t radius) {
    if (radius < 0 || 2 * radius > width || 2 * radius > height)
        throw std::invalid_argument("corner radius must be between 0 and half the shorter side");
    const int32_t right = x + width;
    const int32_t bottom = y + height;
    return moveTo(x + radius, y)
        .lineTo(right - radius, y)
        .curveTo(right, y, right, y + radius)
        .lineTo(right, bottom - radius)
        .curveTo(right, bottom, right - radius, bottom)
        .lineTo(x + radius, bottom)
        .curveTo(x, bottom, x, bottom - radius)
        .lineTo(x, y + radius)
        .curveTo(x, y, x + radius, y);
}

ShapeBuilder& ShapeBuilder::ellipse(int32_t centerX, int32_t centerY, int32_t radiusX,
                                    int32_t radiusY) {
    constexpr int kSegments = 8;
    const double step = 2 * std::numbers::pi / kSegments;
    // The control point sits where the tangents at both ends of a segment meet.
    const double controlScale = 1.0 / std::cos(step / 2);
    auto at = [](int32_t center, int32_t radius, double factor) {
        return center + static_cast<int32_t>(std::lround(radius * factor));
    };
    moveTo(centerX + radiusX, centerY);
    for (int i = 1; i <= kSegments; ++i) {
        const double middle = (i - 0.5) * step;
        const double end = i * step;
        curveTo(at(centerX, radiusX, std::cos(middle) * controlScale),
                at(centerY, radiusY, std::sin(middle) * controlScale),
                i == kSegments ? centerX + radiusX : at(centerX, radiusX, std::cos(end)),
                i == kSegments ? centerY : at(centerY, radiusY, std::sin(end)));
    }
    return *this;
}

ShapeBuilder& ShapeBuilder::setBounds(const Rect& shapeBounds) {
    shapeBoundsOverride_ = shapeBounds;
    return *this;
}

ShapeBuilder& ShapeBuilder::setEdgeBounds(const Rect& edgeBounds) {
    edgeBoundsOverride_ = edgeBounds;
    return *this;
}

ShapeBuilder& ShapeBuilder::setFillWindingRule(bool nonZero) {
    fillWindingNonZero_ = nonZero;
    return *this;
}

Rect ShapeBuilder::edgeBounds() const {
    if (edgeBoundsOverride_) return *edgeBoundsOverride_;
    return computedEdgeBounds_.value_or(Rect{});
}

Rect ShapeBuilder::bounds() const {
    if (shapeBoundsOverride_) return *shapeBoundsOverride_;
    int widest = 0;
    for (const StyleArrays& styles : styleArrays_)
        for (const LineStyle& style : styles.lines) widest = std::max<int>(widest, style.width);
    return edgeBounds().expanded((widest + 1) / 2);
}

void ShapeBuilder::writeStyleArrays(BitWriter& out, const StyleArrays& styles, int shapeVersion) {
    auto writeCount = [&](size_t count) {
        if (shapeVersion < 2 && count >= 0xFF)
            throw std::invalid_argument("DefineShape holds at most 254 styles of each kind");
        if (count > 0xFFFF) throw std::invalid_argument("too many styles");
        if (count >= 0xFF) {
            out.u8(0xFF);
            out.u16(static_cast<uint16_t>(count));
        } else {
            out.u8(static_cast<uint8_t>(count));
        }
    };
    writeCount(styles.fills.size());
    for (const FillStyle& fill : styles.fills) fill.write(out, shapeVersion);
    writeCount(styles.lines.size());
    for (const LineStyle& line : styles.lines) line.write(out, shapeVersion);
}

void ShapeBuilder::writeRecords(BitWriter& out, int fillBits, int lineBits,
                                int shapeVersion) const {
    auto writeIndexBits = [&] {
        if (fillBits > 15 || lineBits > 15)
            throw std::invalid_argument("too many styles for the index width fields");
        out.ub(static_cast<uint32_t>(fillBits), 4).ub(static_cast<uint32_t>(lineBits), 4);
    };
    auto writeStyleChange = [&](const StyleChange& change) {
        out.ub(0, 1)
            .flag(change.newStyles.has_value())
            .flag(change.line.has_value())
            .flag(change.fill1.has_value())
            .flag(change.fill0.has_value())
            .flag(change.moveTo.has_value());
        if (change.moveTo) {
            const auto [x, y] = *change.moveTo;
            const int bits = std::max(BitWriter::signedBits(x), BitWriter::signedBits(y));
            out.ub(static_cast<uint32_t>(bits), 5).sb(x, bits).sb(y, bits);
        }
        if (change.fill0) out.ub(static_cast<uint32_t>(*change.fill0), fillBits);
        if (change.fill1) out.ub(static_cast<uint32_t>(*change.fill1), fillBits);
        if (change.line) out.ub(static_cast<uint32_t>(*change.line), lineBits);
        if (change.newStyles) {
            const StyleArrays& styles = styleArrays_.at(*change.newStyles);
            writeStyleArrays(out, styles, shapeVersion);
            fillBits = BitWriter::unsignedBits(static_cast<uint32_t>(styles.fills.size()));
            lineBits = BitWriter::unsignedBits(static_cast<uint32_t>(styles.lines.size()));
            writeIndexBits();
        }
    };
    auto writeRecord = [&](const Record& record) {
        if (const auto* change = std::get_if<StyleChange>(&record)) {
            writeStyleChange(*change);
        } else if (const auto* straight = std::get_if<StraightEdge>(&record)) {
            out.ub(1, 1).ub(1, 1);
            if (straight->dx != 0 && straight->dy != 0) {
                const int bits = edgeBits({straight->dx, straight->dy});
                out.ub(static_cast<uint32_t>(bits - 2), 4)
                    .flag(true)
                    .sb(straight->dx, bits)
                    .sb(straight->dy, bits);
            } else if (straight->dx == 0 && straight->dy != 0) {
                const int bits = edgeBits({straight->dy});
                out.ub(static_cast<uint32_t>(bits - 2), 4)
                    .flag(false)
                    .flag(true)
                    .sb(straight->dy, bits);
            } else {
                const int bits = edgeBits({straight->dx});
                out.ub(static_cast<uint32_t>(bits - 2), 4)
                    .flag(false)
                    .flag(false)
                    .sb(straight->dx, bits);
            }
        } else {
            const auto& curve = std::get<CurvedEdge>(record);
            const int bits =
                edgeBits({curve.controlDx, curve.controlDy, curve.anchorDx, curve.anchorDy});
            out.ub(1, 1).ub(0, 1).ub(static_cast<uint32_t>(bits - 2), 4);
            out.sb(curve.controlDx, bits)
                .sb(curve.controlDy, bits)
                .sb(curve.anchorDx, bits)
                .sb(curve.anchorDy, bits);
        }
    };

    writeIndexBits();
    for (const Record& record : records_) writeRecord(record);
    if (pending_) writeStyleChange(*pending_);
    out.ub(0, 6);  // end of shape
    out.align();
}

std::vector<uint8_t> ShapeBuilder::encodeShape(int fillBits, int lineBits, int shapeVersion) const {
    BitWriter out;
    writeRecords(out, fillBits, lineBits, shapeVersion);
    return out.bytes();
}

std::vector<uint8_t> ShapeBuilder::encodeWithStyles(int shapeVersion) const {
    if (shapeVersion < 1 || shapeVersion > 4)
        throw std::invalid_argument("DefineShape version must be 1 to 4, not " +
                                    std::to_string(shapeVersion));
    BitWriter out;
    const StyleArrays& styles = styleArrays_.front();
    writeStyleArrays(out, styles, shapeVersion);
    writeRecords(out, BitWriter::unsignedBits(static_cast<uint32_t>(styles.fills.size())),
                 BitWriter::unsignedBits(static_cast<uint32_t>(styles.lines.size())), shapeVersion);
    return out.bytes();
}

std::vector<uint8_t> ShapeBuilder::defineShapeBody(uint16_t id, int shapeVersion) const {
    BitWriter out;
    out.u16(id);
    bounds().write(out);
    if (shapeVersion == 4) {
        bool nonScaling = false;
        bool scaling = false;
        for (const StyleArrays& styles : styleArrays_) {
            for (const LineStyle& line : styles.lines) {
                const bool unscaled = line.noHorizontalScale || line.noVerticalScale;
                nonScaling = nonScaling || unscaled;
                scaling = scaling || !unscaled;
            }
        }
        edgeBounds().write(out);
        out.ub(0, 5).flag(fillWindingNonZero_).flag(nonScaling).flag(scaling);
    }
    out.raw(encodeWithStyles(shapeVersion));
    return out.bytes();
}

}  // namespace swftest
