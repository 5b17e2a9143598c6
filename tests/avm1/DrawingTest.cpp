// The drawing API drawn by the renderer: fills closed by endFill or left open, either
// winding, lines, gradients (and the calls that make none), and the extents and hit tests
// that follow what was drawn.

#include <gtest/gtest.h>

#include "ScriptRun.h"
#include "swf/player/Player.h"

namespace {

namespace st = swftest;
using avm1test::PushedArguments;

std::string Call(const std::string& target, const std::string& method, const std::string& args) {
    return "push " + PushedArguments(args) + ", \"" + target + "\"; getVariable; push \"" +
           method + "\"; callMethod; pop;";
}

struct Pixel {
    int r, g, b;
};

// The first frame of a SWF 8 movie running `script`, drawn; its trace lines kept.
struct Picture {
    int width = 0;
    std::vector<uint8_t> pixels;
    std::vector<std::string> lines;
    bool drawn = false;

    Picture(const std::string& script, int width, int height) : width(width) {
        st::SwfWriter movie;
        movie.version(8).frameSizePixels(width, height);
        movie.doAction(st::ActionBuilder::assemble(script)).showFrame();
        std::vector<uint8_t> bytes = movie.bytes();
        swf::Player player;
        player.SetTraceSink([this](const std::string& line) { lines.push_back(line); });
        pixels.resize(static_cast<size_t>(width) * 3 * static_cast<size_t>(height));
        drawn = player.LoadMovieFromMemory(bytes) &&
                player.Draw({pixels.data(), static_cast<size_t>(width) * 3, 24, false});
    }
    Pixel at(int x, int y) const {
        const uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
        return Pixel{p[2], p[1], p[0]};
    }
};

TEST(Drawing, ScriptedShapesAreDrawnMeasuredAndHit) {
    std::string script =
        // A red square closed by endFill, and a blue one drawn the other way round, left open.
        Call("_root", "beginFill", "16711680") + Call("_root", "moveTo", "10, 10") +
        Call("_root", "lineTo", "50, 10") + Call("_root", "lineTo", "50, 50") +
        Call("_root", "lineTo", "10, 50") + "push 0, \"_root\"; getVariable; push \"endFill\";"
        "callMethod; pop;" +
        Call("_root", "beginFill", "255") + Call("_root", "moveTo", "60, 10") +
        Call("_root", "lineTo", "60, 50") + Call("_root", "lineTo", "90, 50") +
        Call("_root", "lineTo", "90, 10") +
        // A green line 4 px wide, drawn after the fill (which it closes).
        Call("_root", "lineStyle", "4, 65280") + Call("_root", "moveTo", "10, 80") +
        Call("_root", "lineTo", "90, 80") +
        // A clip with a black-to-white gradient from x = 0 to 100 under y 85 to 95.
        "push 1, \"c\", 2, \"_root\"; getVariable; push \"createEmptyMovieClip\"; callMethod; pop;"
        "push \"cols\", 16777215, 0, 2; initArray; setVariable;"
        "push \"alphas\", 100, 100, 2; initArray; setVariable;"
        "push \"ratios\", 255, 0, 2; initArray; setVariable;"
        "push \"m\", \"matrixType\", \"box\", \"x\", 0, \"y\", 85, \"w\", 100, \"h\", 10, \"r\", 0,"
        "  6; initObject; setVariable;"
        "push \"m\"; getVariable; push \"ratios\"; getVariable; push \"alphas\"; getVariable;"
        "push \"cols\"; getVariable; push \"linear\", 5, \"c\"; getVariable;"
        "push \"beginGradientFill\"; callMethod; pop;" +
        Call("c", "moveTo", "0, 85") + Call("c", "lineTo", "100, 85") +
        Call("c", "lineTo", "100, 95") + Call("c", "lineTo", "0, 95") +
        "push 0, \"c\"; getVariable; push \"endFill\"; callMethod; pop;"
        // Extents and shape hits follow the drawing.
        "push \"c\"; getVariable; push \"_width\"; getMember; push \",\"; add2;"
        "push \"c\"; getVariable; push \"_height\"; getMember; add2; push \",\"; add2;"
        "push true, 30, 30, 3, \"_root\"; getVariable; push \"hitTest\"; callMethod; add2;"
        "push \",\"; add2;"
        "push true, 70, 30, 3, \"_root\"; getVariable; push \"hitTest\"; callMethod; add2;"
        "trace;" +
        // Shapes are kept in whole twips: a square under half a twip has no width to scale.
        "push 3, \"e\", 2, \"_root\"; getVariable; push \"createEmptyMovieClip\"; callMethod; pop;" +
        Call("e", "beginFill", "0") + Call("e", "moveTo", "0, 0") + Call("e", "lineTo", "0.01, 0") +
        Call("e", "lineTo", "0.01, 0.01") + Call("e", "lineTo", "0, 0.01") +
        "push \"e\"; getVariable; push \"_width\", 100; setMember;"
        "push \"e\"; getVariable; push \"_width\"; getMember; trace;" +
        // A line's extent reaches its full thickness past its ends, not half of it; a
        // hairline's none.
        "push 4, \"l\", 2, \"_root\"; getVariable; push \"createEmptyMovieClip\"; callMethod; pop;" +
        Call("l", "lineStyle", "4") + Call("l", "moveTo", "10, 10") + Call("l", "lineTo", "50, 10") +
        Call("l", "lineStyle", "0") + Call("l", "lineTo", "50, 30") +
        "push \"l\"; getVariable; push \"_width\"; getMember; push \",\"; add2;"
        "push \"l\"; getVariable; push \"_height\"; getMember; add2; trace;" +
        // The line that closes a fill leaves the pen where it was: the next fill starts there.
        "push 5, \"f\", 2, \"_root\"; getVariable; push \"createEmptyMovieClip\"; callMethod; pop;" +
        Call("f", "beginFill", "255") + Call("f", "moveTo", "200, 0") +
        Call("f", "lineTo", "200, 40") + Call("f", "lineTo", "240, 40") +
        Call("f", "beginFill", "65280") + Call("f", "lineTo", "240, 0") +
        Call("f", "lineTo", "240, 40") +
        "push 0, \"f\"; getVariable; push \"endFill\"; callMethod; pop;"
        "push true, 10, 230, 3, \"f\"; getVariable; push \"hitTest\"; callMethod; trace;" +
        // clear() takes a drawing away.
        "push 2, \"d\", 2, \"_root\"; getVariable; push \"createEmptyMovieClip\"; callMethod; pop;" +
        Call("d", "beginFill", "0") + Call("d", "moveTo", "0, 0") + Call("d", "lineTo", "100, 0") +
        Call("d", "lineTo", "100, 100") +
        "push 0, \"d\"; getVariable; push \"clear\"; callMethod; pop;";

    const Picture picture(script, 100, 100);
    ASSERT_TRUE(picture.drawn);
    EXPECT_EQ(avm1test::Joined(picture.lines), "100,10,true,false\n0\n48,24\nfalse");
    auto at = [&](int x, int y) { return picture.at(x, y); };
    struct Expected {
        int x, y, r, g, b;
    };
    for (const Expected& e : {Expected{30, 30, 255, 0, 0}, Expected{75, 30, 0, 0, 255},
                              Expected{50, 80, 0, 255, 0}, Expected{50, 70, 255, 255, 255},
                              Expected{55, 30, 255, 255, 255}}) {
        Pixel p = at(e.x, e.y);
        EXPECT_EQ(std::tie(p.r, p.g, p.b), std::tie(e.r, e.g, e.b)) << e.x << "," << e.y;
    }
    EXPECT_LT(at(5, 90).r, 40);
    EXPECT_GT(at(95, 90).r, 215);
    EXPECT_LT(at(5, 90).r, at(50, 90).r);
}

// Each case draws a 10 px square in a clip of its own after the gradient calls; a red
// square means a fill was made (or kept), white that the calls left none.
TEST(Drawing, GradientCallsThatMakeNoFill) {
    const std::string red = "push \"cols\"; getVariable";
    const std::string valid = "push \"m\"; getVariable; push \"r\"; getVariable; "
                              "push \"a\"; getVariable; push \"cols\"; getVariable; "
                              "push \"linear\", 5";
    struct Case {
        const char* name;
        std::string pushes;  // the arguments and count of each beginGradientFill call, ';'
        bool filled;
    };
    const Case cases[] = {
        {"five arguments", valid, true},
        {"no matrix", "push \"r\"; getVariable; push \"a\"; getVariable; " + red +
                          "; push \"linear\", 4", false},
        {"nine arguments", "push 0, 0, \"RGB\", \"pad\"; " + valid.substr(0, valid.size() - 3) +
                               ", 9", false},
        {"type in capitals", "push \"m\"; getVariable; push \"r\"; getVariable; push "
                             "\"a\"; getVariable; " + red + "; push \"LINEAR\", 5", false},
        {"arrays of two lengths", "push \"m\"; getVariable; push 255, 1; initArray; push "
                                  "\"a\"; getVariable; " + red + "; push \"linear\", 5", false},
        {"ratio above 255", "push \"m\"; getVariable; push 256, 0, 2; initArray; push "
                            "\"a\"; getVariable; " + red + "; push \"linear\", 5", false},
        {"ratio below 0", "push \"m\"; getVariable; push 255, -1, 2; initArray; push "
                          "\"a\"; getVariable; " + red + "; push \"linear\", 5", false},
        {"ratio truncated to 0", "push \"m\"; getVariable; push 255, -0.99, 2; initArray; "
                                 "push \"a\"; getVariable; " + red + "; push \"linear\", 5",
         true},
        {"a null type keeps the fill", valid + "|push 9, 8, 7, 6, 5, 4, 3, 2, 1, null, 10", true},
        {"an undefined type ends it", valid + "|push 9, 8, 7, 6, 5, 4, 3, 2, 1, undefined, 10",
         false},
    };
    std::string script =
        "push \"cols\", 16711680, 16711680, 2; initArray; setVariable;"
        "push \"a\", 100, 100, 2; initArray; setVariable;"
        "push \"r\", 255, 0, 2; initArray; setVariable;"
        "push \"m\", \"matrixType\", \"box\", \"x\", 0, \"y\", 0, \"w\", 100, \"h\", 10,"
        "  \"r\", 0, 6; initObject; setVariable;";
    int index = 0;
    for (const Case& c : cases) {
        const std::string clip = "c" + std::to_string(index);
        const int left = index * 10;
        script += "push " + std::to_string(index + 1) + ", \"" + clip +
                  "\", 2, \"_root\"; getVariable; push \"createEmptyMovieClip\"; callMethod; pop;";
        std::string calls = c.pushes;
        for (size_t start = 0;;) {
            const size_t bar = calls.find('|', start);
            script += calls.substr(start, bar - start) + "; push \"" + clip +
                      "\"; getVariable; push \"beginGradientFill\"; callMethod; pop;";
            if (bar == std::string::npos) break;
            start = bar + 1;
        }
        script += Call(clip, "moveTo", std::to_string(left) + ", 0") +
                  Call(clip, "lineTo", std::to_string(left + 10) + ", 0") +
                  Call(clip, "lineTo", std::to_string(left + 10) + ", 10") +
                  Call(clip, "lineTo", std::to_string(left) + ", 10");
        script += "push 0, \"" + clip + "\"; getVariable; push \"endFill\"; callMethod; pop;";
        ++index;
    }
    const Picture picture(script, 100, 10);
    ASSERT_TRUE(picture.drawn);
    index = 0;
    for (const Case& c : cases) {
        EXPECT_EQ(picture.at(index * 10 + 5, 5).b == 0, c.filled) << c.name;  // red, or white
        ++index;
    }
}

// A focal point is kept in 1/256 steps, cut toward zero, and within 0.98 of the radius: each
// row draws two strips of a reflected focal gradient, one focus given, one its kept value,
// which must come out alike pixel for pixel, and a third a step away that must not.
TEST(Drawing, FocalPointsAreHeldInSteps) {
    struct Case {
        const char* given;
        const char* kept;
        const char* stepAway;
    };
    const Case cases[] = {
        {"0.905", "0.90234375", "0.90625"},
        {"-0.905", "-0.90234375", "-0.90625"},
        {"0.995", "0.99", "0.97265625"},
    };
    std::string script;
    int depth = 0;
    auto strip = [&](const char* focus, int top) {
        const std::string clip = "s" + std::to_string(depth);
        script += "push " + std::to_string(++depth) + ", \"" + clip +
                  "\", 2, \"_root\"; getVariable; push \"createEmptyMovieClip\"; callMethod; pop;"
                  "push " + focus + ", \"RGB\", \"reflect\", \"matrixType\", \"box\", \"x\", 50,"
                  " \"y\", " + std::to_string(top - 40) + ", \"w\", 80, \"h\", 80, \"r\", 0, 6;"
                  " initObject; push 255, 0, 2; initArray; push 100, 100, 2; initArray;"
                  " push 16711680, 0, 2; initArray; push \"radial\", 8, \"" + clip +
                  "\"; getVariable; push \"beginGradientFill\"; callMethod; pop;" +
                  Call(clip, "moveTo", "0, " + std::to_string(top)) +
                  Call(clip, "lineTo", "200, " + std::to_string(top)) +
                  Call(clip, "lineTo", "200, " + std::to_string(top + 2)) +
                  Call(clip, "lineTo", "0, " + std::to_string(top + 2));
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const int top = static_cast<int>(i) * 6;
        strip(cases[i].given, top);
        strip(cases[i].kept, top + 2);
        strip(cases[i].stepAway, top + 4);
    }
    const Picture picture(script, 200, static_cast<int>(std::size(cases)) * 6);
    ASSERT_TRUE(picture.drawn);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const int row = static_cast<int>(i) * 6;
        int alike = 0, apart = 0;
        for (int x = 0; x < 200; ++x) {
            alike += picture.at(x, row).r == picture.at(x, row + 2).r;
            apart += picture.at(x, row).r != picture.at(x, row + 4).r;
        }
        EXPECT_EQ(alike, 200) << cases[i].given;
        EXPECT_GT(apart, 0) << cases[i].given;
    }
}

// A fill left open is closed with a stroked line, at render and at endFill; a gradient may
// take a flash.geom.Matrix from createGradientBox.
TEST(Drawing, ClosingLinesAndGradientBoxMatrices) {
    std::string script =
        Call("_root", "lineStyle", "4, 65280") + Call("_root", "beginFill", "16711680") +
        Call("_root", "moveTo", "10, 10") + Call("_root", "lineTo", "50, 10") +
        Call("_root", "lineTo", "50, 50") +
        "push 1, \"c\", 2, \"_root\"; getVariable; push \"createEmptyMovieClip\"; callMethod; pop;" +
        Call("c", "lineStyle", "4, 65280") + Call("c", "beginFill", "16711680") +
        Call("c", "moveTo", "60, 10") + Call("c", "lineTo", "100, 10") +
        Call("c", "lineTo", "100, 50") +
        "push 0, \"c\"; getVariable; push \"endFill\"; callMethod; pop;"
        "push \"m\", 0, \"flash\"; getVariable; push \"geom\"; getMember; push \"Matrix\";"
        "newMethod; setVariable;"
        "push 85, 0, 0, 10, 100, 5, \"m\"; getVariable; push \"createGradientBox\"; callMethod;"
        "pop; push 2, \"g\", 2, \"_root\"; getVariable; push \"createEmptyMovieClip\"; callMethod;"
        "pop; push \"m\"; getVariable; push 255, 0, 2; initArray; push 100, 100, 2; initArray;"
        "push 16777215, 0, 2; initArray; push \"linear\", 5, \"g\"; getVariable;"
        "push \"beginGradientFill\"; callMethod; pop;" +
        Call("g", "moveTo", "0, 85") + Call("g", "lineTo", "100, 85") +
        Call("g", "lineTo", "100, 95") + Call("g", "lineTo", "0, 95") +
        "push 0, \"g\"; getVariable; push \"endFill\"; callMethod; pop;";
    const Picture picture(script, 110, 100);
    ASSERT_TRUE(picture.drawn);
    auto at = [&](int x, int y) { return picture.at(x, y); };
    for (const int x : {30, 80}) {  // on the closing diagonal: green line over the red fill
        const Pixel p = at(x, 30);
        EXPECT_GT(p.g, 200) << x;
        EXPECT_LT(p.r, 60) << x;
    }
    EXPECT_LT(at(5, 90).r, 40);
    EXPECT_GT(at(95, 90).r, 215);
    EXPECT_NEAR(at(50, 90).r, 128, 20);
}

TEST(Drawing, ADuplicatedClipTakesACopyOfWhatWasDrawn) {
    // A red square drawn into an empty clip, duplicated and moved 50 px right; then the
    // original is cleared: the copy keeps its own drawing.
    std::string draw = Call("_root", "createEmptyMovieClip", "\"c\", 1") +
                       Call("c", "beginFill", "16711680") + Call("c", "moveTo", "10, 10") +
                       Call("c", "lineTo", "40, 10") + Call("c", "lineTo", "40, 40") +
                       Call("c", "lineTo", "10, 40") + Call("c", "endFill", "") +
                       Call("c", "duplicateMovieClip", "\"d\", 2") +
                       "push \"d\"; getVariable; push \"_x\", 50; setMember;";
    Picture both(draw, 100, 50);
    ASSERT_TRUE(both.drawn);
    EXPECT_EQ(both.at(25, 25).r, 255);
    EXPECT_EQ(both.at(25, 25).g, 0);
    EXPECT_EQ(both.at(75, 25).r, 255);
    EXPECT_EQ(both.at(75, 25).g, 0);
    Picture copyOnly(draw + Call("c", "clear", ""), 100, 50);
    ASSERT_TRUE(copyOnly.drawn);
    EXPECT_EQ(copyOnly.at(25, 25).g, 255);
    EXPECT_EQ(copyOnly.at(75, 25).g, 0);
}

}  // namespace
