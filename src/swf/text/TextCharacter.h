#pragma once
// Static text: DefineText (RGB colours) and DefineText2 (RGBA). Text records name a font,
// colour, position and height, and list glyph indices with their advances; drawing turns
// each glyph into the font's outline placed by the text matrix.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/movie/Character.h"
#include "swf/movie/Dictionary.h"
#include "swf/render/Canvas.h"
#include "swf/shape/Shape.h"

namespace swf {

// The glyphs of one text record with the style in force for them, positions absolute (twips
// in the text's own space, y the baseline).
struct TextRun {
    struct Glyph {
        uint32_t index = 0;
        double x = 0;
    };
    uint16_t fontId = 0;
    Rgba color;
    uint16_t height = 0;  // twips
    double y = 0;
    std::vector<Glyph> glyphs;
};

// One glyph ready to draw: its outline (fill style 1 inside), where it goes and its colour.
struct GlyphDraw {
    const Shape* shape = nullptr;
    Matrix matrix;  // glyph units to the text's parent space
    Rgba color;
};

class TextCharacter : public Character {
  public:
    static constexpr CharacterKind kKind = CharacterKind::Text;

    // DefineText (11) or DefineText2 (33), the body starting with the id. Records cut off
    // by the end of the tag are dropped; null when the header itself is cut off.
    static std::shared_ptr<TextCharacter> parse(uint16_t tagCode, std::span<const uint8_t> body);

    explicit TextCharacter(uint16_t id) : Character(id, kKind) {}

    const Rect& bounds() const { return bounds_; }
    const Matrix& matrix() const { return matrix_; }
    const std::vector<TextRun>& runs() const { return runs_; }
    // Set by CSMTextSettings: advanced anti-aliasing draws the text as one block, hit all over
    // its box rather than on its glyphs.
    bool advancedAntiAlias() const { return advancedAntiAlias_; }
    void setAdvancedAntiAlias(bool advanced) { advancedAntiAlias_ = advanced; }

    // Glyphs whose font is missing from the dictionary (or whose index it lacks) are left out.
    // A font without outlines stands for a device font: its codes pick installed glyphs.
    std::vector<GlyphDraw> glyphDraws(const Dictionary& dictionary) const;
    void draw(Canvas& canvas, const Matrix& toPixels, const ColorTransform& cxform,
              const Dictionary& dictionary) const;

  private:
    Rect bounds_;
    Matrix matrix_;
    std::vector<TextRun> runs_;
    bool advancedAntiAlias_ = false;
};

}  // namespace swf
