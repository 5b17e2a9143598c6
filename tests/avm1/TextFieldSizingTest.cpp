// The sizes a layout script reads from a text field, checked against the player's rule over a
// table of settings. textHeight counts the lines and the leading between them (a single line
// its own). A self-sizing field without word wrap takes the text's width plus its 2-pixel
// gutters: "left" keeps its left edge, "center" its centre, "right" its right edge, and _x
// reports the move. With word wrap only the height follows the text. A field that stops
// sizing itself keeps its last box and place.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "avm1/ScriptCode.h"
#include "avm1/ScriptRun.h"
#include "support/ActionBuilder.h"
#include "support/FontBuilder.h"
#include "support/SwfWriter.h"

namespace {

namespace st = swftest;
using namespace avm1test::code;

// 'a', 'b' and space are half an em wide, ascent and descent 768 + 256 of 1024: at 20 px a
// character is 200 twips wide and a line 400 twips tall. The field starts at x 2000 twips,
// 2000 wide and 1000 tall, with gutters of 40 on each side.
constexpr int kAdvance = 200, kLine = 400, kGutters = 80;

struct Row {
    std::string name;
    std::string autoSize;
    bool wordWrap;
    int leading;                     // px
    std::vector<std::string> texts;  // set one after the other
    bool stopSizing = false;         // then autoSize = "none" and a longer text
    bool fontEmbedded = true;        // else the text asks for a font the movie lacks
    std::string more = {}, moreTrace = {};  // a script after the texts, and what it traces
    std::string nextFrame = {}, nextTrace = {};
};

// _x, _width, _height, textWidth (not under word wrap) and textHeight after each text.
class SizingRule {
  public:
    explicit SizingRule(const Row& row) : row_(row) {}

    std::string after(const std::string& text, bool sizing) {
        // Embedded fonts only: text in a font the movie lacks takes no room.
        const int advance = row_.fontEmbedded ? kAdvance : 0;
        const int lineHeight = row_.fontEmbedded ? kLine : 0;
        int lines = 0, widest = 0;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            // Under word wrap: words "ab" and single spaces, three words to a 96 px line.
            lines += row_.wordWrap ? static_cast<int>(line.size() + 7) / 9 : 1;
            widest = std::max(widest, static_cast<int>(line.size()) * advance);
        }
        const int textHeight =
            text.empty() ? 0 : lines * lineHeight + std::max(1, lines - 1) * row_.leading * 20;
        if (sizing && row_.autoSize != "none") {
            height_ = textHeight + kGutters;
            const int width = row_.wordWrap ? width_ : widest + kGutters;
            if (row_.autoSize == "center") x_ += (width_ - width) / 2;
            if (row_.autoSize == "right") x_ += width_ - width;
            width_ = width;
        }
        std::ostringstream out;
        out << x_ / 20.0 << '\n' << width_ / 20.0 << '\n' << height_ / 20.0 << '\n';
        if (!row_.wordWrap) out << widest / 20 << '\n';
        out << textHeight / 20 << '\n';
        return out.str();
    }

  private:
    const Row& row_;
    int x_ = 2000, width_ = 2000, height_ = 1000;
};

std::string setText(const std::string& text, bool textWidth) {
    std::string quoted;
    for (char c : text) quoted += c == '\n' ? std::string("\\n") : std::string(1, c);
    return set("t", "text", "\"" + quoted + "\"") + show("t._x") + show("t._width") +
           show("t._height") + (textWidth ? show("t.textWidth") : "") + show("t.textHeight");
}

TEST(TextFieldSizing, FollowsThePlayersRule) {
    const std::vector<Row> rows = {
        {"a fixed field keeps its box", "none", false, 0, {"ab", "abab\nab", ""}},
        {"left keeps the left edge", "left", false, 0, {"a", "abababababababab", "ab\nabab\na"}},
        {"center keeps the centre", "center", false, 0, {"a", "abababababababab", "ab", "aba"}},
        {"right keeps the right edge", "right", false, 0, {"abababababababab", "a", "ab\nab"}},
        {"leading between lines, and under one", "left", false, 3, {"ab", "ab\nab", "ab\nab\nab"}},
        {"word wrap keeps the width",
         "center",
         true,
         0,
         {"ab ab ab ab", "ab", "ab ab ab ab ab ab ab"}},
        {"a field that stops sizing keeps its box and place",
         "right",
         false,
         0,
         {"ab", "abab"},
         true},
        {"a font the movie lacks", "right", false, 0, {"ab", "ab\nab"}, false, false},
        // Laid out again on a change, or at the frame's end for a field resized; a box fitted
        // to the text stays, and sizing switched on and off unseen never moves it.
        {"narrowed: the old lines until the frame ends", "none", true, 0, {"abab abab"}, false,
         true, set("t", "_width", "50") + show("t.textWidth"), "90\n", show("t.textWidth"), "50\n"},
        {"fitted, then wrapping", "center", false, 0, {"abab abab"}, false, true,
         set("t", "wordWrap", "true") + show("t._width") + set("t", "autoSize", "\"none\"") +
             set("t", "autoSize", "\"left\"") + set("t", "autoSize", "\"none\"") + show("t._x"),
         "94\n103\n"},
    };
    st::FontBuilder squares;
    squares.name("Squares").layout(768, 256, 0);
    for (char c : {'a', 'b', ' '}) {
        st::ShapeBuilder square;
        if (c != ' ') square.fill1(1).rectangle(0, -512, 512, 512);
        squares.addGlyph(static_cast<uint16_t>(c), square, 512);
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string script =
            call("_root", "createTextField", {"\"t\"", "1", "100", "10", "100", "50"}) + "pop\n" +
            set("t", "embedFonts", "true") +
            "push \"f\", 0, \"TextFormat\"; newObject; setVariable\n" +
            set("f", "font", row.fontEmbedded ? "\"Squares\"" : "\"Absent\"") +
            set("f", "size", "20") + set("f", "leading", std::to_string(row.leading)) +
            run(invoke(var("t"), "setNewTextFormat", {var("f")})) +
            set("t", "wordWrap", row.wordWrap ? "true" : "false") +
            set("t", "autoSize", "\"" + row.autoSize + "\"");
        SizingRule rule(row);
        std::string expected;
        for (const std::string& text : row.texts) {
            script += setText(text, !row.wordWrap);
            expected += rule.after(text, true);
        }
        if (row.stopSizing) {
            script += set("t", "autoSize", "\"none\"") + setText("abababab", true);
            expected += rule.after("abababab", false);
        }
        expected += row.moreTrace + row.nextTrace;
        st::SwfWriter movie;
        movie.version(8).defineFont2(1, squares).doAction(
            st::ActionBuilder::assemble(script + row.more));
        movie.showFrame();
        if (!row.nextFrame.empty()) movie.doAction(st::ActionBuilder::assemble(row.nextFrame));
        movie.showFrame();
        expected.pop_back();
        EXPECT_EQ(avm1test::Joined(avm1test::RunMovie(movie, 2)), expected);
    }
}

// Before SWF 8 a line of a font made for small sizes is as wide as its advances, each
// rounded up to a whole pixel; other fonts, and every font from SWF 8, measure exactly.
TEST(TextFieldSizing, SmallTextFontsMeasureWholePixels) {
    struct Case {
        int swfVersion;
        bool smallText;
        int textWidth;  // "aaa", each 'a' 10.35 px wide; reported in whole pixels
    };
    const Case cases[] = {{7, true, 33}, {7, false, 31}, {8, true, 31}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.swfVersion) + (c.smallText ? " small" : " plain"));
        st::FontBuilder font;
        font.name("Narrow").layout(768, 256, 0).smallText(c.smallText);
        st::ShapeBuilder glyph;
        glyph.fill1(1).rectangle(0, -512, 512, 512);
        font.addGlyph('a', glyph, 530);
        const std::string script =
            call("_root", "createTextField", {"\"t\"", "1", "0", "0", "300", "50"}) + "pop\n" +
            set("t", "embedFonts", "true") +
            "push \"f\", 0, \"TextFormat\"; newObject; setVariable\n" +
            set("f", "font", "\"Narrow\"") + set("f", "size", "20") +
            run(invoke(var("t"), "setNewTextFormat", {var("f")})) + set("t", "text", "\"aaa\"") +
            show("t.textWidth");
        st::SwfWriter movie;
        movie.version(c.swfVersion).defineFont2(1, font).doAction(
            st::ActionBuilder::assemble(script));
        movie.showFrame();
        EXPECT_EQ(avm1test::Joined(avm1test::RunMovie(movie)), std::to_string(c.textWidth));
    }
}

// A field placed from its definition reports the corner of its box as _x and _y (its bounds
// start 2 px left of and above its origin here), in whole twips under any scale; a field a
// script made reports its origin whichever way its size runs. Before SWF 8 getTextExtent
// measures each advance in whole pixels.
TEST(TextFieldSizing, PlacedFieldsReportTheirBoxCorner) {
    struct Case {
        int version;
        double scale;
        const char* trace;  // _x, _y; a made field's _x and _width
    };
    const Case cases[] = {
        {8, 1, "48\n28\n-2\n2"},
        {7, 1, "48\n28\n-2\n2\n0"},
        {8, 0.2, "49.6\n29.6\n-2\n2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("SWF " + std::to_string(c.version) + " scale " + std::to_string(c.scale));
        std::string script = show("t._x") + show("t._y") +
                             call("_root", "createTextField", {"\"m\"", "5", "-2", "0", "-2", "10"}) +
                             "pop\n" + show("m._x") + show("m._width");
        if (c.version < 8) {
            // width("aaa") - 3 * width("a")
            script += "push \"f\", 0, \"TextFormat\"; newObject; setVariable\n" +
                      trace(member(invoke(var("f"), "getTextExtent", {lit("\"aaa\"")}), "width") +
                            "; push 3; " +
                            member(invoke(var("f"), "getTextExtent", {lit("\"a\"")}), "width") +
                            "; multiply; subtract");
        }
        st::SwfWriter movie;
        movie.version(c.version);
        movie.defineEditText(2, {.bounds = st::Rect::fromPixels(-2, -2, 100, 20), .text = "a"});
        movie.placeObject2({.depth = 1,
                            .character = 2,
                            .matrix = st::Matrix::scaling(c.scale, c.scale, st::px(50), st::px(30)),
                            .name = "t"});
        movie.doAction(st::ActionBuilder::assemble(script)).showFrame();
        EXPECT_EQ(avm1test::Joined(avm1test::RunMovie(movie)), c.trace);
    }
}

}  // namespace
