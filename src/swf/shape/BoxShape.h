#pragma once
// A rectangle as a shape: the engine's own boxes (text field backgrounds and borders, the
// keyboard focus rectangle) are drawn through the same path as the movie's shapes.

#include <optional>

#include "swf/shape/Shape.h"

namespace swf {

// `bounds` in twips, filled and outlined as asked (a one-pixel hairline for the outline).
Shape boxShape(const Rect& bounds, std::optional<Rgba> fill, std::optional<Rgba> outline);

}  // namespace swf
