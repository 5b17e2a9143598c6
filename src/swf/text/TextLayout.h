#pragma once
// Lays plain text out in lines for a text field: line breaks at newlines, word wrap at
// spaces when asked, alignment within the available width. Positions are twips relative to
// the text area (inside the field's gutter), y the baseline of each line.

#include <cstdint>
#include <string_view>
#include <vector>

#include "swf/text/GlyphSource.h"

namespace swf {

enum class TextAlign : uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

struct TextLayoutStyle {
    double fontHeight = 240;  // twips: the em size on screen
    double width = 0;         // twips available between the margins
    double leftMargin = 0;
    double indent = 0;   // first line of each paragraph
    double leading = 0;  // extra twips between lines
    TextAlign align = TextAlign::Left;
    bool wordWrap = false;
};

struct PlacedGlyph {
    uint32_t glyph = 0;
    double x = 0;  // from the text area's left edge
};

struct TextLine {
    double baseline = 0;  // from the text area's top
    double width = 0;     // of the visible glyphs, trailing spaces left out
    std::vector<PlacedGlyph> glyphs;
};

class TextLayout {
  public:
    // Characters the font has no glyph for take no room and show nothing.
    static std::vector<TextLine> layOut(std::u32string_view text, const GlyphSource& font,
                                        const TextLayoutStyle& style);

    // Distance between consecutive baselines.
    static double lineHeight(const GlyphSource& font, const TextLayoutStyle& style);
};

}  // namespace swf
