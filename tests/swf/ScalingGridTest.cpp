// Nine-slice scaling: DefineScalingGrid and MovieClip.scale9Grid, seen in the picture.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestMovie.h"
#include "support/BitWriter.h"

namespace {

namespace st = swftest;
using enginetest::Load;
using enginetest::Square;

// The picture is drawn with alpha: where nothing is drawn it stays clear.
constexpr st::Rgba kBlue{0, 0, 255}, kRed{255, 0, 0}, kClear{0, 0, 0, 0};
constexpr uint16_t kContent = 10, kNested = 11, kButton = 12;

enum class GridFrom { Tag, Script, TagTakenAwayByScript };

struct Probe {
    int x, y;
    st::Rgba color;
};

struct GridCase {
    std::string name;
    uint16_t holder;  // the character placed, which the grid is given to
    GridFrom grid;
    st::Matrix matrix;
    std::vector<Probe> probes;
    std::string trace;  // the holder's scale9Grid as the script reads it
};

class ScalingGridTest : public ::testing::TestWithParam<GridCase> {};

// The holder shows a 20-pixel blue square, a 5-pixel red square in its top-left corner and a
// 2 by 2 red mark at x 10 on its top edge, under a grid 5 pixels in from every side. Scaled 3
// times, the corner keeps its 5 pixels, the mark stretches to x 30-40 and stays 2 high, and
// the square fills 60 pixels.
TEST_P(ScalingGridTest, RegionsScaleAsTheGridSays) {
    const GridCase& c = GetParam();
    st::SwfWriter movie;
    movie.version(8).frameSizePixels(70, 70);
    st::ShapeBuilder mark;
    mark.fill1(mark.addFill(st::FillStyle::solid(kRed)))
        .rectangle(st::px(10), 0, st::px(2), st::px(2));
    movie.defineShape(1, Square(kBlue, st::px(20)))
        .defineShape(2, Square(kRed, st::px(5)))
        .defineShape(3, mark);
    st::SwfWriter content;
    st::ButtonBuilder button;
    for (uint16_t shape = 1; shape <= 3; ++shape) {
        content.place(shape, shape);
        button.add(
            {.states = st::kButtonUp | st::kButtonHitTest, .character = shape, .depth = shape});
    }
    movie.defineSprite(kContent, content);
    movie.defineSprite(kNested, st::SwfWriter().place(kContent, 1));
    movie.defineButton2(kButton, button);
    if (c.grid != GridFrom::Script) {
        st::BitWriter body;
        body.u16(c.holder);
        st::Rect::fromPixels(5, 5, 10, 10).write(body);
        movie.tag(78, body.bytes());
    }
    movie.placeObject2({.depth = 1, .character = c.holder, .matrix = c.matrix, .name = "clip"});
    std::string script;
    if (c.grid == GridFrom::Script)
        script = R"(push "clip"; getVariable; push "scale9Grid"; push 10, 10, 5, 5, 4, "flash";
                    getVariable; push "geom"; getMember; push "Rectangle"; newMethod; setMember)";
    if (c.grid == GridFrom::TagTakenAwayByScript)
        script = R"(push "clip"; getVariable; push "scale9Grid", null; setMember)";
    script += R"(; push "clip"; getVariable; push "scale9Grid"; getMember; trace)";
    movie.doAction(st::ActionBuilder::assemble(script)).showFrame();

    swf::Player player;
    std::vector<std::string> lines;
    player.SetTraceSink([&](const std::string& line) { lines.push_back(line); });
    Load(player, movie);
    EXPECT_EQ(lines, std::vector<std::string>{c.trace});
    std::vector<uint8_t> pixels(70 * 70 * 4);
    ASSERT_TRUE(player.Draw({pixels.data(), 70 * 4, 32, false}));
    for (const Probe& probe : c.probes) {
        const uint8_t* p = &pixels[(static_cast<size_t>(probe.y) * 70 + probe.x) * 4];  // BGRA
        EXPECT_EQ((std::vector<int>{p[2], p[1], p[0], p[3]}),
                  (std::vector<int>{probe.color.r, probe.color.g, probe.color.b, probe.color.a}))
            << "at " << probe.x << ", " << probe.y;
    }
}

const std::string kGridText = "(x=5, y=5, w=10, h=10)";
const st::Matrix kTimes3 = st::Matrix::scaling(3, 3);
// Corner, centre, the stretched mark and below it, the far corner, beside the square.
const std::vector<Probe> kSliced = {{4, 4, kRed},   {6, 6, kBlue},   {31, 1, kRed},   {39, 1, kRed},
                                    {35, 3, kBlue}, {59, 59, kBlue}, {61, 30, kClear}};
// The same points scaled as a whole: the corner and the mark grow threefold.
const std::vector<Probe> kWhole = {{4, 4, kRed},   {14, 14, kRed},  {31, 1, kRed},   {35, 3, kRed},
                                   {37, 1, kBlue}, {59, 59, kBlue}, {61, 30, kClear}};

INSTANTIATE_TEST_SUITE_P(
    Picture, ScalingGridTest,
    ::testing::Values(
        GridCase{"sprite", kContent, GridFrom::Tag, kTimes3, kSliced, kGridText},
        GridCase{"button", kButton, GridFrom::Tag, kTimes3, kSliced, kGridText},
        GridCase{"fromScript", kContent, GridFrom::Script, kTimes3, kSliced, kGridText},
        GridCase{"takenAwayByScript", kContent, GridFrom::TagTakenAwayByScript, kTimes3, kWhole,
                 "undefined"},
        // Shapes inside a clip inside the sliced one are scaled as a whole.
        GridCase{"nestedClip", kNested, GridFrom::Tag, kTimes3, kWhole, kGridText},
        // Stretched one way only: across, the corner stays 5 wide; down, all is threefold.
        GridCase{"acrossOnly",
                 kContent,
                 GridFrom::Tag,
                 st::Matrix::scaling(3, 1),
                 {{4, 4, kRed}, {6, 4, kBlue}, {31, 1, kRed}, {59, 19, kBlue}, {30, 21, kClear}},
                 kGridText},
        // Mirrored: the corner keeps its size at the right-hand end.
        GridCase{"mirrored",
                 kContent,
                 GridFrom::Tag,
                 st::Matrix::scaling(-3, 3, st::px(60), 0),
                 {{56, 4, kRed}, {54, 4, kBlue}, {28, 1, kRed}, {2, 2, kBlue}, {61, 30, kClear}},
                 kGridText},
        // Turned, the player scales the whole: the corner spans 15 pixels.
        GridCase{"turned",
                 kContent,
                 GridFrom::Tag,
                 st::Matrix::scaleRotate(3, 3, 90, st::px(60), 0),
                 {{58, 2, kRed}, {50, 10, kRed}, {40, 40, kBlue}},
                 kGridText},
        // A quarter size is smaller than two corners: each corner shrinks to half of what
        // there is (the 5 pixels split at pixel 3).
        GridCase{"smallerThanCorners",
                 kContent,
                 GridFrom::Tag,
                 st::Matrix::scaling(0.25, 0.25),
                 {{1, 1, kRed}, {2, 2, kRed}, {4, 4, kBlue}, {6, 6, kClear}},
                 kGridText}),
    [](const auto& info) { return info.param.name; });

}  // namespace
