#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/ShapeBuilder.h"

namespace swftest {

// Builds DefineFont, DefineFont2 and DefineFont3 bodies.
//
// Glyph outlines are drawn in the font's em square: 1024 units for DefineFont and
// DefineFont2, 20480 for DefineFont3, the baseline at y = 0 and ascenders at negative y.
// A glyph shape has one implicit fill style: select it with fill0(1) or fill1(1).
//   FontBuilder font;
//   ShapeBuilder box;
//   box.fill1(1).rectangle(100, -700, 600, 700);
//   font.name("Blocky").addGlyph('I', box, 800);
// A font with a name and no glyphs stands for a device font (e.g. "_sans") in DefineFont2.
class FontBuilder {
  public:
    FontBuilder& name(std::string_view fontName);
    FontBuilder& bold(bool value = true);
    FontBuilder& italic(bool value = true);
    // DefineFont2/3: the font is made to be shown at small sizes.
    FontBuilder& smallText(bool value = true);
    // DefineFont2/3 layout: ascent, descent and leading in em units; the advance and
    // bounds tables come from the glyphs. Without this no layout block is written.
    FontBuilder& layout(uint16_t ascent, uint16_t descent, int16_t leading);
    // Returns the glyph's index, the number text records use.
    int addGlyph(uint16_t code, ShapeBuilder shape, int16_t advance);
    int glyphCount() const { return static_cast<int>(glyphs_.size()); }

    std::vector<uint8_t> defineFontBody(uint16_t id) const;
    // fontVersion 2 (DefineFont2) or 3 (DefineFont3); codes are always 16-bit.
    std::vector<uint8_t> defineFont2Body(uint16_t id, int fontVersion) const;

  private:
    struct Glyph {
        uint16_t code;
        ShapeBuilder shape;
        int16_t advance;
    };
    struct Layout {
        uint16_t ascent;
        uint16_t descent;
        int16_t leading;
    };

    std::vector<std::vector<uint8_t>> encodedGlyphs() const;

    std::string name_;
    bool bold_ = false;
    bool italic_ = false;
    bool smallText_ = false;
    std::optional<Layout> layout_;
    std::vector<Glyph> glyphs_;
};

}  // namespace swftest
