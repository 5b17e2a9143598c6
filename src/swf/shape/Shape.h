#pragma once
// The engine's model of a vector shape, as the parser builds it and the renderer draws it.
// Style arrays that a shape replaces part-way are flattened into one array each, so every
// path refers to styles by a single index (1-based; 0 means "none"). Each set of style arrays
// makes a layer: the original player draws a layer's fills and then its lines before the
// next layer, so paths remember their layer.

#include <cstdint>
#include <optional>
#include <vector>

#include "swf/geom/Geometry.h"

namespace swf {

struct GradientStop {
    uint8_t ratio = 0;  // 0..255
    Rgba color;
};

enum class SpreadMode : uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class InterpolationMode : uint8_t { Normal = 0, Linear = 1 };

struct Gradient {
    Matrix matrix;  // maps the gradient square (-16384..16384 twips) into shape space
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
    std::vector<GradientStop> stops;
    double focalPoint = 0;  // -1..1 along x; focal radial gradients only
};

struct FillStyle {
    enum class Kind : uint8_t { Solid, LinearGradient, RadialGradient, FocalGradient, Bitmap };
    Kind kind = Kind::Solid;
    Rgba color;             // Solid
    Gradient gradient;      // the gradient kinds
    uint16_t bitmapId = 0;  // Bitmap: the character id of the bitmap
    Matrix bitmapMatrix;    // maps bitmap pixels into shape space (twips)
    bool bitmapRepeat = true;
    bool bitmapSmooth = true;
};

enum class CapStyle : uint8_t { Round = 0, None = 1, Square = 2 };
enum class JoinStyle : uint8_t { Round = 0, Bevel = 1, Miter = 2 };

struct LineStyle {
    uint16_t width = 0;  // twips; 0 is a hairline
    Rgba color;
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3.0;
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    std::optional<FillStyle> fill;  // LineStyle2 with a fill instead of a colour
};

// One edge: a straight line (control == none) or a quadratic curve, in twips.
struct Edge {
    Point from;
    Point control;
    Point to;
    bool curved = false;
};

// A run of connected edges that share their styles.
struct ShapePath {
    uint32_t fill0 = 0;  // fill on the left of the edges (index into fills, 1-based; 0 = none)
    uint32_t fill1 = 0;  // fill on the right
    uint32_t line = 0;   // line style (index into lines, 1-based; 0 = none)
    std::vector<Edge> edges;
    // The style layer: 0 for the shape's first style arrays, one more at every "new styles"
    // record. Paths come in layer order.
    uint32_t layer = 0;
};

struct Shape {
    Rect bounds;  // twips
    // DefineShape4's UsesFillWindingRule: fills by the non-zero rule instead of even-odd.
    bool nonZeroWinding = false;
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<ShapePath> paths;
};

}  // namespace swf
