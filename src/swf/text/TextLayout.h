#pragma once
// Lays text out in lines for a text field: line breaks at newlines, word wrap at spaces when
// asked, tab stops, alignment within the available width. Runs of the text may have fonts and
// sizes of their own: a line's runs share its baseline, the line is as tall as its tallest run
// plus the paragraph's leading. A paragraph's settings (margins, indents, alignment, leading,
// tab stops, bullet) come from the run of its first character. Positions are twips relative to
// the text area (inside the field's gutter), y the baseline of each line.
//
// As the player measures, every glyph's advance and the font's ascent and descent are
// whole twips, rounded down from the font's units at the text's size.

#include <cstddef>
#include <cstdint>
#include <span>
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
    bool bullet = false;  // a list item: a bullet before the text, which moves right
    // Each advance, taken to the nearest twip, rounded up to a whole pixel: how text extents
    // are measured in movies before SWF 8. Only the lines' widths take it; glyphs keep
    // their own advances.
    bool wholePixelAdvances = false;
};

// Characters up to `end` (exclusive) in one font and style.
struct TextLayoutRun {
    size_t end = 0;
    const GlyphSource* font = nullptr;  // none: the characters take no room
    TextLayoutStyle style;
};

struct PlacedGlyph {
    uint32_t glyph = 0;
    double x = 0;  // from the text area's left edge
    double advance = 0;
    size_t run = 0;  // index of the run whose font and style it has
    size_t character = SIZE_MAX;  // its index in the text; none for a bullet
};

struct TextLine {
    double baseline = 0;  // from the text area's top
    double ascent = 0;    // of the tallest run on the line
    double descent = 0;
    double leading = 0;
    double indent = 0;    // before the first character: block indent and paragraph indent
    double start = 0;     // where the line's text starts once aligned, from the area's left
    // Of the characters, from the first one's start to the last one's end; trailing spaces
    // count in left-aligned text only.
    double width = 0;
    // The characters on the line, [begin, end), the paragraph's break on its last line.
    size_t begin = 0;
    size_t end = 0;
    std::vector<PlacedGlyph> glyphs;

    // The line's edges from the text area's top, without the leading below it.
    double top() const { return baseline - ascent; }
    double bottom() const { return baseline + descent; }
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
    // `runs` cover the text in order; characters past the last run take its style.
    static std::vector<TextLine> layOut(std::u32string_view text,
                                        std::span<const TextLayoutRun> runs);
    // The height the player reports for laid-out lines: a single line counts its leading,
    // more lines the leading between them.
    static double textHeight(std::span<const TextLine> lines);
    // Room before a bullet paragraph's text: the bullet's column, half an inch whatever the
    // font's size.
    static constexpr double kBulletIndent = 720;  // twips

    static LineMetrics metrics(const GlyphSource& font, const TextLayoutStyle& style);
    // A font unit measure at the style's size, rounded down to whole twips.
    static double scaled(double fontUnits, const GlyphSource& font, const TextLayoutStyle& style);
};

}  // namespace swf
