// The sizes a layout script reads from a text field, checked against the player's rule over a
// table of settings: textWidth and textHeight, and with autoSize the box that fits the text.
// A self-sizing field without word wrap takes the text's width plus its 2-pixel gutters;
// "left" keeps its left edge, "center" its centre and "right" its right edge, and the player
// keeps the box where it was and moves the field (its _x) instead. With word wrap only the
// height follows the text. A field that stops sizing itself keeps its last box and place.

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

// Glyphs 'a', 'b' and space advance half an em; ascent 768 and descent 256 of 1024. At 20 px
// a character is 10 px (200 twips) wide and a line 20 px (400 twips) tall, in whole twips.
constexpr int kAdvance = 200;
constexpr int kLine = 400;
constexpr int kGutters = 80;  // 2 px on each side
constexpr int kFieldX = 2000, kFieldWidth = 2000, kFieldHeight = 1000;

st::FontBuilder squares() {
    st::FontBuilder font;
    font.name("Squares").layout(768, 256, 0);
    for (char c : {'a', 'b', ' '}) {
        st::ShapeBuilder square;
        if (c != ' ') square.fill1(1).rectangle(0, -512, 512, 512);
        font.addGlyph(static_cast<uint16_t>(c), square, 512);
    }
    return font;
}

struct Row {
    std::string name;
    std::string autoSize;  // as the script sets it
    bool wordWrap = false;
    int leading = 0;                 // px
    std::vector<std::string> texts;  // set one after the other; "\n" breaks lines
    bool stopSizing = false;         // then autoSize = "none" and a longer text
};

// What the player reports after each text, by the rule above.
class SizingRule {
  public:
    explicit SizingRule(const Row& row) : row_(row) {}

    std::string after(const std::string& text) {
        int lines = 0, widest = 0;
        for (const std::string& line : linesOf(text)) {
            ++lines;
            widest = std::max(widest, static_cast<int>(line.size()) * kAdvance);
        }
        const int leading = row_.leading * 20;
        const int textHeight = text.empty() ? 0 : lines * kLine + std::max(1, lines - 1) * leading;
        if (row_.autoSize != "none" && !frozen_) {
            height_ = textHeight + kGutters;
            if (!row_.wordWrap) {
                const int width = widest + kGutters;
                if (row_.autoSize == "center") x_ += (width_ - width) / 2;
                if (row_.autoSize == "right") x_ += width_ - width;
                width_ = width;
            }
        }
        std::string out = pixels(x_) + "\n" + pixels(width_) + "\n" + pixels(height_) + "\n";
        // Where a wrapped line ends the space before the next word is not measured here.
        if (!row_.wordWrap) out += std::to_string(widest / 20) + "\n";
        return out + std::to_string(textHeight / 20) + "\n";
    }
    void stopSizing() { frozen_ = true; }

  private:
    std::vector<std::string> linesOf(const std::string& text) const {
        std::vector<std::string> paragraphs;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) paragraphs.push_back(line);
        if (!row_.wordWrap) return paragraphs;
        // Words of two characters and single spaces: a line of 96 px takes three words.
        std::vector<std::string> lines;
        for (const std::string& paragraph : paragraphs) {
            const size_t words = (paragraph.size() + 1) / 3;
            for (size_t first = 0; first < words; first += 3)
                lines.push_back(
                    paragraph.substr(first * 3, std::min<size_t>(3, words - first) * 3));
        }
        return lines;
    }
    static std::string pixels(int twips) {
        std::ostringstream out;
        out << twips / 20.0;
        return out.str();
    }

    const Row& row_;
    int x_ = kFieldX, width_ = kFieldWidth, height_ = kFieldHeight;
    bool frozen_ = false;
};

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out + "\"";
}

std::string showSizes(bool textWidth) {
    return show("t._x") + show("t._width") + show("t._height") +
           (textWidth ? show("t.textWidth") : "") + show("t.textHeight");
}

TEST(TextFieldSizing, FollowsThePlayersRule) {
    const std::vector<Row> rows = {
        {"a fixed field keeps its box", "none", false, 0, {"ab", "abab\nab", ""}},
        {"left keeps the left edge", "left", false, 0, {"a", "abababababababab", "ab\nabab\na"}},
        {"center keeps the centre", "center", false, 0, {"a", "abababababababab", "ab", "aba"}},
        {"right keeps the right edge", "right", false, 0, {"abababababababab", "a", "ab\nab"}},
        {"leading between lines, and under a single one",
         "left",
         false,
         3,
         {"ab", "ab\nab", "ab\nab\nab"}},
        {"word wrap keeps the width",
         "center",
         true,
         0,
         {"ab ab ab ab", "ab", "ab ab ab ab ab ab ab"}},
        {"a field that stops sizing itself keeps its box and place",
         "right",
         false,
         0,
         {"ab", "abab"},
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string script =
            call("_root", "createTextField",
                 {"\"t\"", "1", std::to_string(kFieldX / 20), "10",
                  std::to_string(kFieldWidth / 20), std::to_string(kFieldHeight / 20)}) +
            "pop\n" + set("t", "embedFonts", "true") +
            "push \"f\", 0, \"TextFormat\"; newObject; setVariable\n" +
            set("f", "font", "\"Squares\"") + set("f", "size", "20") +
            set("f", "leading", std::to_string(row.leading)) +
            run(invoke(var("t"), "setNewTextFormat", {var("f")})) +
            set("t", "wordWrap", row.wordWrap ? "true" : "false") +
            set("t", "autoSize", quoted(row.autoSize));
        SizingRule rule(row);
        std::string expected;
        for (const std::string& text : row.texts) {
            script += set("t", "text", quoted(text)) + showSizes(!row.wordWrap);
            expected += rule.after(text);
        }
        if (row.stopSizing) {
            script += set("t", "autoSize", "\"none\"") + set("t", "text", "\"abababab\"") +
                      showSizes(!row.wordWrap);
            rule.stopSizing();
            expected += rule.after("abababab");
        }
        st::SwfWriter movie;
        movie.version(8);
        movie.defineFont2(1, squares());
        movie.doAction(st::ActionBuilder::assemble(script));
        movie.showFrame();
        expected.pop_back();
        EXPECT_EQ(avm1test::Joined(avm1test::RunMovie(movie)), expected);
    }
}

}  // namespace
