#include "swf/text/GlyphPainter.h"

namespace swf {

ColorTransform SolidColorTransform(Rgba color, const ColorTransform& cxform) {
    ColorTransform replace;
    replace.rMul = replace.gMul = replace.bMul = replace.aMul = 0;
    replace.rAdd = color.r;
    replace.gAdd = color.g;
    replace.bAdd = color.b;
    replace.aAdd = color.a;
    return cxform * replace;
}

void DrawGlyphRun(Canvas& canvas, std::span<const RunGlyph> glyphs, const Matrix& toPixels,
                  Rgba color, const ColorTransform& cxform) {
    Shape run;
    run.fills.push_back(FillStyle{});
    // Counted by winding, so that where two glyphs overlap both stay filled.
    run.nonZeroWinding = true;
    for (const RunGlyph& glyph : glyphs) {
        if (!glyph.shape) continue;
        const Point at = glyph.offset;
        auto moved = [at](Point p) { return Point{p.x + at.x, p.y + at.y}; };
        for (const ShapePath& path : glyph.shape->paths) {
            if (!path.fill0 && !path.fill1) continue;
            ShapePath copy;
            copy.fill0 = path.fill0 ? 1 : 0;
            copy.fill1 = path.fill1 ? 1 : 0;
            copy.edges.reserve(path.edges.size());
            for (const Edge& edge : path.edges)
                copy.edges.push_back(
                    {moved(edge.from), moved(edge.control), moved(edge.to), edge.curved});
            run.paths.push_back(std::move(copy));
        }
    }
    if (run.paths.empty()) return;
    canvas.drawShape(run, toPixels, SolidColorTransform(color, cxform), {});
}

}  // namespace swf
