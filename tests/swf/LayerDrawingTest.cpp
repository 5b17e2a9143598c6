#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "TestMovie.h"

namespace {

namespace st = swftest;
using enginetest::Load;
using enginetest::Square;

// A red drop shadow 5 pixels to the right, unblurred, behind its object.
const std::vector<uint8_t> kRedShadow = {1,    0,    255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0,
                                         0,    0,    0,   0, 0, 0,   5, 0, 0, 1, 0x21};

struct LayerCase {
    std::string name;
    std::optional<uint8_t> blendMode;
    std::vector<uint8_t> filters;
    std::optional<st::Rgba> opaqueBackground;
    int x, y;
    swf::Rgba expected;
    uint8_t squareAlpha = 255;
};

class LayerDrawingTest : public ::testing::TestWithParam<LayerCase> {};

// A backdrop of (200, 100, 50) over the stage and a (100, 150, 250) square of 10 pixels at
// (5, 5) placed with the case's blend mode, filters and opaque background.
TEST_P(LayerDrawingTest, PlacedEffectsShowOnTheStage) {
    const LayerCase& c = GetParam();
    st::SwfWriter movie;
    movie.version(8).frameSizePixels(40, 20).setBackgroundColor({255, 255, 255});
    movie.defineShape(1, Square({200, 100, 50}, 800)).defineShape(2, Square({100, 150, 250, c.squareAlpha}, 200));
    movie.place(1, 1);
    movie.placeObject3({.depth = 2,
                        .character = 2,
                        .matrix = st::Matrix::translation(100, 100),
                        .blendMode = c.blendMode,
                        .filters = c.filters,
                        .opaqueBackground = c.opaqueBackground});
    movie.showFrame();
    swf::Player player;
    Load(player, movie);
    std::vector<uint8_t> pixels(40 * 20 * 4);
    ASSERT_TRUE(player.Draw({pixels.data(), 40 * 4, 32, false}));
    const uint8_t* p = &pixels[(static_cast<size_t>(c.y) * 40 + c.x) * 4];  // B, G, R, A
    EXPECT_NEAR(p[2], c.expected.r, 1);
    EXPECT_NEAR(p[1], c.expected.g, 1);
    EXPECT_NEAR(p[0], c.expected.b, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Stage, LayerDrawingTest,
    ::testing::Values(
        LayerCase{"normal", std::nullopt, {}, std::nullopt, 10, 10, {100, 150, 250, 255}},
        LayerCase{"difference", 7, {}, std::nullopt, 10, 10, {100, 50, 200, 255}},
        LayerCase{"multiply", 3, {}, std::nullopt, 10, 10, {78, 59, 49, 255}},
        LayerCase{"besideTheSquare", 7, {}, std::nullopt, 20, 10, {200, 100, 50, 255}},
        LayerCase{"shadowBeside", std::nullopt, kRedShadow, std::nullopt, 17, 10,
                  {255, 0, 0, 255}},
        LayerCase{"shadowBehind", std::nullopt, kRedShadow, std::nullopt, 12, 10,
                  {100, 150, 250, 255}},
        LayerCase{"shadowEnds", std::nullopt, kRedShadow, std::nullopt, 21, 10,
                  {200, 100, 50, 255}},
        // The shadow is drawn first, then blended with the square.
        LayerCase{"shadowBlended", 7, kRedShadow, std::nullopt, 17, 10, {55, 100, 50, 255}},
        // A half transparent square shows the backdrop, or its own black background.
        LayerCase{"halfAlpha", std::nullopt, {}, std::nullopt, 10, 10, {150, 125, 150, 255},
                  128},
        LayerCase{"opaqueBackground", std::nullopt, {}, st::Rgba{0, 0, 0}, 10, 10,
                  {50, 75, 125, 255}, 128}),
    [](const auto& info) { return info.param.name; });

// clip.setMask(mask): the red clip shows only where the mask's square lies; the mask itself
// is not drawn, and the picture (drawn with alpha) stays clear elsewhere. The mask may be the
// clip itself, its path, or a number naming a variable that holds it. A timeline mask that a
// script pairs stops masking the layers above it: given the clip as its own mask, the square
// shows.
TEST(ScriptMask, TheClipShowsOnlyWithinItsMask) {
    struct Case {
        const char* name;
        st::ActionBuilder pushMask;
        const char* maskedClip;
        bool squareMasksTimeline;  // the square is placed as a mask of the layers above it
        std::vector<int> inside;   // colour within the square
    };
    const std::vector<int> red = {255, 0, 0, 255}, blue = {0, 0, 255, 255};
    const Case cases[] = {
        {"clip", st::ActionBuilder().pushString("mask").getVariable(), "clip", false, red},
        {"path", st::ActionBuilder().pushString("mask"), "clip", false, red},
        {"number",
         st::ActionBuilder()
             .pushString("7")
             .pushString("mask")
             .getVariable()
             .setVariable()
             .pushInteger(7),
         "clip", false, red},
        {"timeline mask masked by the clip", st::ActionBuilder().pushString("clip"), "mask", true,
         blue},
    };
    for (const Case& c : cases) {
        st::SwfWriter redClip, squareClip;
        redClip.place(1, 1).showFrame();
        squareClip.place(2, 1).showFrame();
        st::SwfWriter movie;
        movie.version(8).frameSizePixels(40, 20).setBackgroundColor({255, 255, 255});
        movie.defineShape(1, Square({255, 0, 0}, 800)).defineShape(2, Square({0, 0, 255}, 200));
        movie.defineSprite(3, redClip).defineSprite(4, squareClip);
        movie.placeObject2({.depth = 1,
                            .character = 4,
                            .matrix = st::Matrix::translation(100, 100),
                            .name = "mask",
                            .clipDepth = c.squareMasksTimeline ? std::optional<uint16_t>(5)
                                                               : std::nullopt});
        movie.placeObject2({.depth = 2, .character = 3, .name = "clip"});
        movie.doAction(st::ActionBuilder(c.pushMask)
                           .pushInteger(1)
                           .pushString(c.maskedClip)
                           .getVariable()
                           .pushString("setMask")
                           .callMethod()
                           .pop());
        movie.showFrame();
        swf::Player player;
        Load(player, movie);
        std::vector<uint8_t> pixels(40 * 20 * 4);
        ASSERT_TRUE(player.Draw({pixels.data(), 40 * 4, 32, false}));
        auto rgbaAt = [&](int x, int y) {
            const uint8_t* p = &pixels[(static_cast<size_t>(y) * 40 + x) * 4];
            return std::vector<int>{p[2], p[1], p[0], p[3]};
        };
        EXPECT_EQ(rgbaAt(10, 10), c.inside) << c.name;
        EXPECT_EQ(rgbaAt(14, 14), c.inside) << c.name;
        EXPECT_EQ(rgbaAt(20, 10), (std::vector<int>{0, 0, 0, 0})) << c.name;
        EXPECT_EQ(rgbaAt(2, 2), (std::vector<int>{0, 0, 0, 0})) << c.name;
    }
}

}  // namespace
