#pragma once
// Building shapes in pixels and reading canvas pixels back, for the renderer's tests.

#include <cstdint>
#include <ostream>
#include <vector>

#include "swf/render/Canvas.h"

namespace swf {

inline void PrintTo(const Rgba& c, std::ostream* os) {
    *os << "rgba(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}

}  // namespace swf

namespace swf::test {

constexpr double kTwips = 20.0;

// Twips to pixels at 1:1.
inline Matrix pixelScale(double factor = 1.0) {
    return Matrix::scale(factor / kTwips, factor / kTwips);
}

inline Point px(double x, double y) {
    return {x * kTwips, y * kTwips};
}

inline Edge line(Point from, Point to) {
    return {from, {}, to, false};
}

inline Edge curve(Point from, Point control, Point to) {
    return {from, control, to, true};
}

// A closed polygon through `corners` (pixels), with the given styles on its edges.
inline ShapePath polygon(const std::vector<Point>& corners, uint32_t fill0, uint32_t fill1,
                         uint32_t lineStyle = 0) {
    ShapePath path{fill0, fill1, lineStyle, {}};
    for (size_t i = 0; i < corners.size(); ++i) {
        const Point& a = corners[i];
        const Point& b = corners[(i + 1) % corners.size()];
        path.edges.push_back(line(px(a.x, a.y), px(b.x, b.y)));
    }
    return path;
}

// A rectangle from (x0, y0) to (x1, y1) pixels, clockwise on screen, filled on its right.
inline ShapePath rectangle(double x0, double y0, double x1, double y1, uint32_t fill,
                           uint32_t lineStyle = 0) {
    return polygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, 0, fill, lineStyle);
}

inline FillStyle solidFill(Rgba color) {
    FillStyle fill;
    fill.color = color;
    return fill;
}

inline Shape filledRectangle(double x0, double y0, double x1, double y1, Rgba color) {
    Shape shape;
    shape.fills.push_back(solidFill(color));
    shape.paths.push_back(rectangle(x0, y0, x1, y1, 1));
    return shape;
}

inline Rgba pixelAt(const Canvas& canvas, int x, int y) {
    const uint8_t* p = canvas.pixels() + (static_cast<size_t>(y) * canvas.width() + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

inline const BitmapLookup& noBitmaps() {
    static const BitmapLookup lookup = [](uint16_t) -> const Bitmap* { return nullptr; };
    return lookup;
}

constexpr Rgba kWhite{255, 255, 255, 255};
constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kGreen{0, 255, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};
constexpr Rgba kBlack{0, 0, 0, 255};

}  // namespace swf::test
