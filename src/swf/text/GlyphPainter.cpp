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

void DrawGlyph(Canvas& canvas, const Shape& glyph, const Matrix& toPixels, Rgba color,
               const ColorTransform& cxform) {
    if (glyph.paths.empty()) return;
    canvas.drawShape(glyph, toPixels, SolidColorTransform(color, cxform), {});
}

}  // namespace swf
