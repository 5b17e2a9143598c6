#include "swf/shape/BoxShape.h"

#include <utility>

namespace swf {

Shape boxShape(const Rect& bounds, std::optional<Rgba> fill, std::optional<Rgba> outline) {
    Shape shape;
    shape.bounds = bounds;
    ShapePath path;
    if (fill) {
        FillStyle style;
        style.color = *fill;
        shape.fills.push_back(style);
        path.fill1 = 1;
    }
    if (outline) {
        LineStyle style;
        style.width = 0;
        style.color = *outline;
        shape.lines.push_back(style);
        path.line = 1;
    }
    const Point corners[] = {{double(bounds.xMin), double(bounds.yMin)},
                             {double(bounds.xMax), double(bounds.yMin)},
                             {double(bounds.xMax), double(bounds.yMax)},
                             {double(bounds.xMin), double(bounds.yMax)}};
    for (size_t i = 0; i < 4; ++i)
        path.edges.push_back({corners[i], {}, corners[(i + 1) % 4], false});
    shape.paths.push_back(std::move(path));
    return shape;
}

}  // namespace swf
