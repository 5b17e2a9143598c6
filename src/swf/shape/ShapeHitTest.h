#pragma once
// Whether a point falls on a shape, as the player hit-tests what a shape draws.

#include <cstddef>
#include <functional>

#include "swf/geom/Geometry.h"
#include "swf/shape/Shape.h"

namespace swf {

// A fill covers the point when the edges it borders wind around it (non-zero rule) or cross
// a ray from it an odd number of times (even-odd rule). Each edge counts for the fill on its
// right as it runs and against the fill on its left.
// `pixel` is the length of a stage pixel in the shape's space: hairlines are a pixel wide.
// `charge` is told the work done (paths and edges looked at), so that callers can bound it.
bool shapeContains(const Shape& shape, Point p, double pixel, const std::function<void(size_t)>& charge,
                   bool checkBounds = true);

}  // namespace swf
