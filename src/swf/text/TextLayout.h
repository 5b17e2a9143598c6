#pragma once
// Lays plain text out in lines for a text field: line breaks at newlines, word wrap at
// spaces when asked, tab stops, alignment within the available width. Positions are twips
// relative to the text area (inside the field's gutter), y the baseline of each line.
//
// As the player measures, every glyph's advance and the font's ascent and descent are
// whole twips, rounded down from the font's units at the text's size.

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
    double indent = 0;       // first line of each paragraph
    double blockIndent = 0;  // every line
    double leading = 0;      // extra twips between lines
    double letterSpacing = 0;  // twips after every character
    std::vector<double> tabStops;  // twips from the text's left edge, ascending
    TextAlign align = TextAlign::Left;
    bool wordWrap = false;
};

struct PlacedGlyph {
    uint32_t glyph = 0;
    double x = 0;  // from the text area's left edge
};

struct TextLine {
    double baseline = 0;  // from the text area's top
    double indent = 0;    // before the first character: block indent and paragraph indent
    // Of the characters, from the first one's start to the last one's end; trailing spaces
    // count in left-aligned text only.
    double width = 0;
    std::vector<PlacedGlyph> glyphs;
};

// The font's vertical metrics at a size, in whole twips.
struct LineMetrics {
    double ascent = 0;
    double descent = 0;
    double leading = 0;

    double step() const { return ascent + descent + leading; }
    // The height the player reports for `lines` lines: a single line counts its leading,
    // more lines count the leading between them.
    double textHeight(size_t lines) const;
};

class TextLayout {
  public:
    // Characters the font has no glyph for take no room and show nothing.
    static std::vector<TextLine> layOut(std::u32string_view text, const GlyphSource& font,
                                        const TextLayoutStyle& style);

    static LineMetrics metrics(const GlyphSource& font, const TextLayoutStyle& style);
    // A font unit measure at the style's size, rounded down to whole twips.
    static double scaled(double fontUnits, const GlyphSource& font, const TextLayoutStyle& style);
};

}  // namespace swf
