#include "swf/text/TextCharacter.h"

#include "swf/format/BitReader.h"
#include "swf/format/TagCode.h"
#include "swf/text/DeviceFontCache.h"
#include "swf/text/FontCharacter.h"
#include "swf/text/GlyphPainter.h"

namespace swf {

std::shared_ptr<TextCharacter> TextCharacter::parse(uint16_t tagCode,
                                                    std::span<const uint8_t> body) {
    const auto code = static_cast<TagCode>(tagCode);
    if (code != TagCode::DefineText && code != TagCode::DefineText2) return nullptr;
    const bool withAlpha = code == TagCode::DefineText2;
    BitReader in(body);
    auto text = std::make_shared<TextCharacter>(in.u16());
    text->bounds_ = in.rect();
    text->matrix_ = in.matrix();
    const unsigned glyphBits = in.u8();
    const unsigned advanceBits = in.u8();
    if (in.overrun() || glyphBits > 32 || advanceBits > 32) return nullptr;

    // Style and pen position carry over from one record to the next.
    TextRun style;
    double x = 0;
    while (!in.atEnd()) {
        const uint8_t flags = in.u8();
        if (flags == 0) break;  // end of records
        TextRun run = style;
        if (flags & 0x08) run.fontId = in.u16();
        if (flags & 0x04) run.color = withAlpha ? in.rgba() : in.rgb();
        if (flags & 0x01) x = in.s16();
        if (flags & 0x02) run.y = in.s16();
        if (flags & 0x08) run.height = in.u16();
        const uint8_t count = in.u8();
        run.glyphs.resize(count);
        for (auto& glyph : run.glyphs) {
            glyph.index = in.ub(glyphBits);
            glyph.x = x;
            x += in.sb(advanceBits);
        }
        in.align();
        if (in.overrun()) break;
        style = run;
        style.glyphs.clear();
        text->runs_.push_back(std::move(run));
    }
    return text;
}

namespace {

// The installed font's outline for glyph `index` of a font that only names it.
const Shape* deviceGlyph(const FontCharacter& font, const GlyphSource& device, uint32_t index) {
    if (index >= font.codes().size()) return nullptr;
    std::optional<uint32_t> glyph = device.glyphFor(font.codes()[index]);
    return glyph ? device.glyphShape(*glyph) : nullptr;
}

}  // namespace

std::vector<GlyphDraw> TextCharacter::glyphDraws(const Dictionary& dictionary) const {
    std::vector<GlyphDraw> draws;
    for (const TextRun& run : runs_) {
        const auto* font = dictionary.findAs<FontCharacter>(run.fontId);
        if (!font) continue;
        // Static text set in a device font names the font and its characters but carries no
        // outlines: the installed stand-in draws them.
        const GlyphSource* device =
            font->hasOutlines()
                ? nullptr
                : DeviceFontCache::shared().find(font->name(), font->bold(), font->italic());
        const double scale = run.height / (device ? device->emSize() : font->emSize());
        for (const TextRun::Glyph& glyph : run.glyphs) {
            const Shape* shape =
                device ? deviceGlyph(*font, *device, glyph.index) : font->glyphShape(glyph.index);
            if (!shape) continue;
            draws.push_back(
                {shape, matrix_ * Matrix::translate(glyph.x, run.y) * Matrix::scale(scale, scale),
                 run.color});
        }
    }
    return draws;
}

void TextCharacter::draw(Canvas& canvas, const Matrix& toPixels, const ColorTransform& cxform,
                         const Dictionary& dictionary) const {
    // Neighbours of one colour, size and slant are filled together, each placed by where it
    // stands from the first in the glyphs' own units.
    const std::vector<GlyphDraw> draws = glyphDraws(dictionary);
    std::vector<RunGlyph> together;
    for (size_t i = 0; i < draws.size();) {
        const Matrix& m = draws[i].matrix;
        const double det = m.a * m.d - m.b * m.c;
        together.clear();
        together.push_back({draws[i].shape, {0, 0}});
        size_t end = i + 1;
        while (det != 0 && end < draws.size() && draws[end].color == draws[i].color &&
               draws[end].matrix.a == m.a && draws[end].matrix.b == m.b &&
               draws[end].matrix.c == m.c && draws[end].matrix.d == m.d) {
            const double dx = draws[end].matrix.tx - m.tx, dy = draws[end].matrix.ty - m.ty;
            together.push_back(
                {draws[end].shape, {(m.d * dx - m.c * dy) / det, (m.a * dy - m.b * dx) / det}});
            ++end;
        }
        DrawGlyphRun(canvas, together, toPixels * m, draws[i].color, cxform);
        i = end;
    }
}

}  // namespace swf
