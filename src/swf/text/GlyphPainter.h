#pragma once
// Draws glyph outlines in a solid colour. Glyph shapes are shared by every text that uses
// them, so the colour is not stored in the shape: a colour transform that replaces the
// fill colour by the wanted one is put in front of the caller's transform.

#include <span>

#include "swf/geom/Geometry.h"
#include "swf/render/Canvas.h"
#include "swf/shape/Shape.h"

namespace swf {

// A glyph of a run, and where it stands from the run's origin, in the font's units.
struct RunGlyph {
    const Shape* shape = nullptr;
    Point offset;
};

// Glyphs of one font, size and colour, drawn as a single outline: where two meet, nothing
// under them shows through the seam, as when the player fills a line of text at once.
// `toPixels` maps the run's origin, in the font's units, to pixels.
void DrawGlyphRun(Canvas& canvas, std::span<const RunGlyph> glyphs, const Matrix& toPixels,
                  Rgba color, const ColorTransform& cxform);

// The transform that turns any colour into `color` (before `cxform` applies).
ColorTransform SolidColorTransform(Rgba color, const ColorTransform& cxform);

}  // namespace swf
