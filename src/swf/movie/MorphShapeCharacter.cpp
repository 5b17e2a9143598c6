#include "swf/movie/MorphShapeCharacter.h"

#include <cmath>
#include <utility>

namespace swf {
namespace {

double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

// Truncated, as the original player does (the small bias absorbs float error at exact values).
uint8_t lerp8(uint8_t a, uint8_t b, double t) {
    return static_cast<uint8_t>(std::floor(lerp(a, b, t) + 1e-9));
}

Point lerp(Point a, Point b, double t) {
    return {lerp(a.x, b.x, t), lerp(a.y, b.y, t)};
}

Rgba lerp(Rgba a, Rgba b, double t) {
    return {lerp8(a.r, b.r, t), lerp8(a.g, b.g, t), lerp8(a.b, b.b, t), lerp8(a.a, b.a, t)};
}

Matrix lerp(const Matrix& a, const Matrix& b, double t) {
    return {lerp(a.a, b.a, t), lerp(a.b, b.b, t),   lerp(a.c, b.c, t),
            lerp(a.d, b.d, t), lerp(a.tx, b.tx, t), lerp(a.ty, b.ty, t)};
}

Gradient lerp(const Gradient& a, const Gradient& b, double t) {
    Gradient g = a;
    g.matrix = lerp(a.matrix, b.matrix, t);
    g.focalPoint = lerp(a.focalPoint, b.focalPoint, t);
    for (size_t i = 0; i < g.stops.size() && i < b.stops.size(); ++i) {
        g.stops[i].ratio = lerp8(a.stops[i].ratio, b.stops[i].ratio, t);
        g.stops[i].color = lerp(a.stops[i].color, b.stops[i].color, t);
    }
    return g;
}

FillStyle lerp(const FillStyle& a, const FillStyle& b, double t) {
    FillStyle f = a;
    f.color = lerp(a.color, b.color, t);
    f.gradient = lerp(a.gradient, b.gradient, t);
    f.bitmapMatrix = lerp(a.bitmapMatrix, b.bitmapMatrix, t);
    return f;
}

LineStyle lerp(const LineStyle& a, const LineStyle& b, double t) {
    LineStyle l = a;
    l.width = static_cast<uint16_t>(std::lround(lerp(a.width, b.width, t)));
    l.color = lerp(a.color, b.color, t);
    if (a.fill && b.fill) l.fill = lerp(*a.fill, *b.fill, t);
    return l;
}

}  // namespace

MorphShapeCharacter::MorphShapeCharacter(uint16_t id, MorphShapeData data)
    : Character(id, kKind), data_(std::move(data)) {}

Shape MorphShapeCharacter::shapeAt(uint16_t ratio) const {
    double t = ratio / 65535.0;
    Shape shape;
    const Rect& s = data_.startBounds;
    const Rect& e = data_.endBounds;
    shape.bounds = {static_cast<int32_t>(std::lround(lerp(s.xMin, e.xMin, t))),
                    static_cast<int32_t>(std::lround(lerp(s.xMax, e.xMax, t))),
                    static_cast<int32_t>(std::lround(lerp(s.yMin, e.yMin, t))),
                    static_cast<int32_t>(std::lround(lerp(s.yMax, e.yMax, t)))};
    shape.fills.reserve(data_.startFills.size());
    for (size_t i = 0; i < data_.startFills.size(); ++i)
        shape.fills.push_back(lerp(data_.startFills[i], data_.endFills[i], t));
    shape.lines.reserve(data_.startLines.size());
    for (size_t i = 0; i < data_.startLines.size(); ++i)
        shape.lines.push_back(lerp(data_.startLines[i], data_.endLines[i], t));

    std::vector<ShapeRecord> records;
    records.reserve(data_.records.size());
    for (const MorphRecord& pair : data_.records) {
        ShapeRecord r = pair.start;
        if (r.type == ShapeRecord::Type::StyleChange) {
            r.moveTo = lerp(pair.start.moveTo, pair.end.moveTo, t);
        } else {
            r.edge.from = lerp(pair.start.edge.from, pair.end.edge.from, t);
            r.edge.control = lerp(pair.start.edge.control, pair.end.edge.control, t);
            r.edge.to = lerp(pair.start.edge.to, pair.end.edge.to, t);
        }
        records.push_back(r);
    }
    ShapeParser::buildPaths(records, shape);
    return shape;
}

}  // namespace swf
