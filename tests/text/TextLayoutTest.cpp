#include <gtest/gtest.h>

#include "swf/text/TextLayout.h"

using swf::TextAlign;
using swf::TextLayout;
using swf::TextLayoutStyle;

namespace {

// Every letter and the space advance half an em; 'W' a whole em; digits have no glyph.
class HalfEmFont : public swf::GlyphSource {
  public:
    double emSize() const override { return 1024; }
    double ascent() const override { return 768; }
    double descent() const override { return 256; }
    std::optional<uint32_t> glyphFor(char32_t c) const override {
        if (c >= '0' && c <= '9') return std::nullopt;
        return static_cast<uint32_t>(c);
    }
    double advance(uint32_t glyph) const override { return glyph == 'W' ? 1024 : 512; }
    const swf::Shape* glyphShape(uint32_t) const override { return &shape_; }

  private:
    swf::Shape shape_;
};

// Height 200 twips: each ordinary character takes 100 twips.
TextLayoutStyle style(double width, TextAlign align = TextAlign::Left, bool wrap = false) {
    TextLayoutStyle s;
    s.fontHeight = 200;
    s.width = width;
    s.align = align;
    s.wordWrap = wrap;
    return s;
}

std::vector<double> xs(const swf::TextLine& line) {
    std::vector<double> out;
    for (const auto& g : line.glyphs) out.push_back(g.x);
    return out;
}

std::u32string glyphText(const swf::TextLine& line) {
    std::u32string out;
    for (const auto& g : line.glyphs) out.push_back(static_cast<char32_t>(g.glyph));
    return out;
}

const HalfEmFont kFont;

}  // namespace

TEST(TextLayoutTest, AlignmentPlacesTheLineInTheWidth) {
    auto left = TextLayout::layOut(U"abc", kFont, style(1000));
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(xs(left[0]), (std::vector<double>{0, 100, 200}));
    EXPECT_DOUBLE_EQ(left[0].width, 300);
    EXPECT_DOUBLE_EQ(left[0].baseline, 768 * 200 / 1024.0);

    EXPECT_EQ(xs(TextLayout::layOut(U"abc", kFont, style(1000, TextAlign::Right))[0]),
              (std::vector<double>{700, 800, 900}));
    EXPECT_EQ(xs(TextLayout::layOut(U"abc", kFont, style(1000, TextAlign::Center))[0]),
              (std::vector<double>{350, 450, 550}));
    // Justified text is laid out as left-aligned for now.
    EXPECT_EQ(xs(TextLayout::layOut(U"abc", kFont, style(1000, TextAlign::Justify))[0]),
              (std::vector<double>{0, 100, 200}));
    // Trailing spaces do not push right-aligned text to the left.
    EXPECT_EQ(xs(TextLayout::layOut(U"ab  ", kFont, style(1000, TextAlign::Right))[0]).front(),
              800);
}

TEST(TextLayoutTest, MarginsAndIndentShiftTheText) {
    TextLayoutStyle s = style(1000);
    s.leftMargin = 60;
    s.indent = 40;
    auto lines = TextLayout::layOut(U"ab\ncd", kFont, s);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(xs(lines[0]), (std::vector<double>{100, 200}));  // margin + indent
    EXPECT_EQ(xs(lines[1]), (std::vector<double>{100, 200}));  // each paragraph is indented
    s.bullet = true;  // the bullet at the margin, the text half an inch in at any size
    s.fontHeight = 400;
    EXPECT_EQ(xs(TextLayout::layOut(U"ab", kFont, s)[0]), (std::vector<double>{60, 820, 1020}));
}

TEST(TextLayoutTest, WordWrapBreaksBetweenWords) {
    // 750 twips hold 7 characters.
    auto lines = TextLayout::layOut(U"aaa bbb ccc", kFont, style(750, TextAlign::Left, true));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(glyphText(lines[0]), U"aaa bbb ");
    // Left-aligned text counts its trailing space.
    EXPECT_DOUBLE_EQ(lines[0].width, 800);
    EXPECT_EQ(glyphText(lines[1]), U"ccc");
    EXPECT_EQ(xs(lines[1]).front(), 0);
    const double step = (768 + 256) * 200 / 1024.0;
    EXPECT_DOUBLE_EQ(lines[1].baseline - lines[0].baseline, step);

    // Without word wrap the line runs on past the width.
    EXPECT_EQ(TextLayout::layOut(U"aaa bbb ccc", kFont, style(750)).size(), 1u);
}

TEST(TextLayoutTest, LongWordsBreakInsideAndLeadingAddsSpace) {
    TextLayoutStyle s = style(350, TextAlign::Left, true);
    s.leading = 30;
    auto lines = TextLayout::layOut(U"abcdefgh", kFont, s);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(glyphText(lines[0]), U"abc");
    EXPECT_EQ(glyphText(lines[2]), U"gh");
    EXPECT_DOUBLE_EQ(lines[1].baseline - lines[0].baseline, 200 + 30);
    // A glyph wider than the line still gets a line of its own.
    auto narrow = TextLayout::layOut(U"WW", kFont, style(100, TextAlign::Left, true));
    EXPECT_EQ(narrow.size(), 2u);
}

TEST(TextLayoutTest, NewlinesAndMissingGlyphs) {
    auto lines = TextLayout::layOut(U"a\r\nb\rc\n\nd", kFont, style(1000));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(glyphText(lines[2]), U"c");
    EXPECT_TRUE(lines[3].glyphs.empty());
    // Characters without a glyph take no room.
    EXPECT_EQ(xs(TextLayout::layOut(U"a12b", kFont, style(1000))[0]),
              (std::vector<double>{0, 100}));
}

namespace {

// Every glyph advances 333 of 1024 units: 65.04 twips at a height of 200, which the player
// counts as 65. Ascent 136.7 and descent 58.6 twips count as 136 and 58.
class OddFont : public HalfEmFont {
  public:
    double ascent() const override { return 700; }
    double descent() const override { return 300; }
    double advance(uint32_t) const override { return 333; }
};

struct LayoutCase {
    const char* what;
    std::u32string text;
    TextLayoutStyle style;
    std::vector<double> widths;  // per line
    std::vector<double> firstX;  // of each line's first glyph
};

TextLayoutStyle with(TextAlign align, auto&& change) {
    TextLayoutStyle s = style(1000, align);
    change(s);
    return s;
}

}  // namespace

TEST(TextLayoutTest, MeasuresAsThePlayer) {
    const OddFont font;
    auto none = [](TextLayoutStyle&) {};
    const LayoutCase cases[] = {
        {"advances round down to twips", U"abc", style(1000), {195}, {0}},
        {"left text counts trailing spaces", U"ab  ", style(1000), {260}, {0}},
        {"right text leaves them out", U"ab  ", with(TextAlign::Right, none), {130}, {870}},
        {"centred text starts on a whole twip", U"ab", with(TextAlign::Center, none), {130},
         {435}},
        {"the margin shifts aligned text",
         U"ab",
         with(TextAlign::Right, [](TextLayoutStyle& s) { s.leftMargin = 50; }),
         {130},
         {920}},
        {"letter spacing follows every glyph",
         U"abc",
         with(TextAlign::Left, [](TextLayoutStyle& s) { s.letterSpacing = 10; }),
         {225},
         {0}},
        {"tabs go to the next stop, then stay put",
         U"a\tb\tc\td",
         with(TextAlign::Left, [](TextLayoutStyle& s) { s.tabStops = {100, 300}; }),
         {430},
         {0}},
        {"a tab is no place to break a line",
         U"ab\tab ab",
         with(TextAlign::Left,
              [](TextLayoutStyle& s) {
                  s.tabStops = {200};
                  s.width = 300;
                  s.wordWrap = true;
              }),
         {265, 260},
         {0, 0}},
        {"indents start lines; widths leave them out",
         U"aa aa aa",
         with(TextAlign::Left,
              [](TextLayoutStyle& s) {
                  s.width = 300;
                  s.wordWrap = true;
                  s.indent = 40;
                  s.blockIndent = 20;
              }),
         {195, 195, 130},
         {60, 20, 20}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto lines = TextLayout::layOut(c.text, font, c.style);
        std::vector<double> widths, firstX;
        for (const auto& line : lines) {
            widths.push_back(line.width);
            if (!line.glyphs.empty()) firstX.push_back(line.glyphs.front().x);
        }
        EXPECT_EQ(widths, c.widths);
        EXPECT_EQ(firstX, c.firstX);
        EXPECT_DOUBLE_EQ(lines.front().baseline, 136);
    }

    // A single line counts its leading; more lines only the leading between them.
    TextLayoutStyle leading = style(1000);
    leading.leading = 30;
    const swf::LineMetrics metrics = TextLayout::metrics(font, leading);
    EXPECT_DOUBLE_EQ(metrics.step(), 136 + 58 + 30);
    const double heights[] = {0, 194 + 30, 2 * 194 + 30, 3 * 194 + 2 * 30};
    for (size_t lines = 0; lines < 4; ++lines)
        EXPECT_DOUBLE_EQ(metrics.textHeight(lines), heights[lines]) << lines;
}
