#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "TestMovie.h"
#include "swf/player/EngineVersion.h"

namespace {

namespace st = swftest;
using enginetest::Load;
using enginetest::Square;

st::SwfWriter CountingMovie(int frames) {
    st::SwfWriter movie;
    movie.frameRate(24);
    for (int i = 0; i < frames; ++i) movie.showFrame();
    return movie;
}

std::filesystem::path TempMovie(const st::SwfWriter& movie, const std::string& name) {
    auto path = std::filesystem::temp_directory_path() /
                ("kt-engine-" + std::to_string(getpid()) + "-" + name);
    movie.writeFile(path);
    return path;
}

TEST(PlayerClock, EachMovieStartedTellsTheHostItsFrameInterval) {
    auto path = TempMovie(CountingMovie(10), "reload.swf");
    swf::Player player;
    std::vector<uint32_t> intervals;
    player.setFrameIntervalHandler([&](uint32_t ms) { intervals.push_back(ms); });
    EXPECT_EQ(player.frameIntervalMs(), 0u);
    ASSERT_TRUE(player.LoadMovie(path.string())) << player.LoadError();
    EXPECT_EQ(player.frameIntervalMs(), 42u);  // 1000 / 24, rounded
    enginetest::Advance(player, 4);
    player.StopPlay();
    ASSERT_EQ(player.TCurrentFrame(), 4);
    // Loading the same path again restarts it at frame 0, and the host hears of it again.
    ASSERT_TRUE(player.LoadMovie(path.string()));
    EXPECT_EQ(player.TCurrentFrame(), 0);
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_FALSE(player.LoadMovie(path.string() + ".missing"));
    EXPECT_EQ(intervals, (std::vector<uint32_t>{42, 42}));
    std::filesystem::remove(path);
}

TEST(PlayerClock, TheMovieMovesOnlyByAdvanceFrameOneFrameEach) {
    swf::Player player;
    player.advanceFrame();  // nothing loaded: nothing to move
    Load(player, CountingMovie(5));
    EXPECT_EQ(player.TCurrentFrame(), 0);
    std::vector<uint8_t> pixels(550 * 400 * 4);
    player.Draw({pixels.data(), 550 * 4, 32, true});
    player.Play();
    EXPECT_EQ(player.TCurrentFrame(), 0);
    player.advanceFrame();
    EXPECT_EQ(player.TCurrentFrame(), 1);
    enginetest::Advance(player, 2);
    EXPECT_EQ(player.TCurrentFrame(), 3);
}

TEST(PlayerControl, RewindGotoAndTotalFrames) {
    swf::Player player;
    Load(player, CountingMovie(6));
    EXPECT_EQ(player.TotalFrames(), 6);
    player.GotoFrame(4);
    EXPECT_EQ(player.TCurrentFrame(), 4);
    player.GotoFrame(99);
    EXPECT_EQ(player.TCurrentFrame(), 5);
    player.Rewind();
    EXPECT_EQ(player.TCurrentFrame(), 0);
}

TEST(PlayerControl, EngineReportsTheProjectVersion) {
    EXPECT_EQ(swf::EngineVersion(), (swf::Version{1, 0, 0, 0}));
}

// A 100 x 50 movie on a white stage, filled red edge to edge.
st::SwfWriter RedStage() {
    st::SwfWriter movie;
    movie.frameSizePixels(100, 50).setBackgroundColor({255, 255, 255});
    st::ShapeBuilder fill;
    fill.fill1(fill.addFill(st::FillStyle::solid({255, 0, 0})))
        .rectangle(0, 0, st::px(100), st::px(50));
    movie.defineShape(1, fill).place(1, 1).showFrame();
    return movie;
}

struct Pixel {
    uint8_t b, g, r;
};

Pixel At(const std::vector<uint8_t>& pixels, size_t stride, int x, int rowInMemory) {
    const uint8_t* p =
        &pixels[static_cast<size_t>(rowInMemory) * stride + static_cast<size_t>(x) * 3];
    return {p[0], p[1], p[2]};
}

TEST(PlayerDrawing, ShowAllLetterboxesInTheBackgroundColour) {
    swf::Player player;
    Load(player, RedStage());
    player.SetViewSize(100, 100);
    player.SetScaleMode(swf::Player::ShowAll);
    size_t stride = 300;
    std::vector<uint8_t> pixels(stride * 100);
    ASSERT_TRUE(player.Draw({pixels.data(), stride, 24, false}));
    Pixel band = At(pixels, stride, 50, 10);
    Pixel stage = At(pixels, stride, 50, 50);
    EXPECT_EQ(band.r, 255);
    EXPECT_EQ(band.g, 255);
    EXPECT_EQ(stage.r, 255);
    EXPECT_EQ(stage.g, 0);
    EXPECT_EQ(At(pixels, stride, 50, 90).g, 255);

    player.SetScaleMode(swf::Player::ExactFit);
    ASSERT_TRUE(player.Draw({pixels.data(), stride, 24, false}));
    EXPECT_EQ(At(pixels, stride, 50, 10).g, 0);
    EXPECT_EQ(At(pixels, stride, 50, 90).g, 0);
}

TEST(PlayerDrawing, OnlyTheFirstBackgroundColourCounts) {
    st::SwfWriter movie;
    movie.frameSizePixels(10, 10)
        .setBackgroundColor({200, 0, 0})
        .setBackgroundColor({0, 200, 0})
        .showFrame();
    movie.setBackgroundColor({0, 0, 200}).showFrame();
    swf::Player player;
    Load(player, movie);
    player.advanceFrame();
    EXPECT_EQ(player.BackgroundColor(), (swf::Rgba{200, 0, 0, 255}));
}

TEST(PlayerDrawing, SettingTheScaleModeAlwaysAsksForARedraw) {
    swf::Player player;
    int redraws = 0;
    player.SetRedrawHandler([&] { ++redraws; });
    Load(player, RedStage());
    int afterLoad = redraws;
    player.SetScaleMode(player.GetScaleMode());
    EXPECT_EQ(redraws, afterLoad + 1);
}

TEST(PlayerDrawing, BottomUpRowsAndAlphaCoverage) {
    st::SwfWriter movie;
    movie.frameSizePixels(20, 20).setBackgroundColor({0, 0, 255});
    movie.defineShape(1, Square({0, 255, 0}, st::px(10)))
        .place(1, 1)
        .showFrame();  // top-left quarter
    swf::Player player;
    Load(player, movie);
    size_t stride = 20 * 4;
    std::vector<uint8_t> pixels(stride * 20, 0x77);
    ASSERT_TRUE(player.Draw({pixels.data(), stride, 32, true}));
    const uint8_t* topLeft = &pixels[19 * stride + 2 * 4];  // bottom-up: the top row is last
    const uint8_t* bottomLeft = &pixels[2 * stride + 2 * 4];
    EXPECT_EQ(topLeft[1], 255);
    EXPECT_EQ(topLeft[3], 255);
    EXPECT_EQ(bottomLeft[3], 0);  // nothing drawn there: transparent, not the background

    std::vector<uint8_t> rgb(20 * 60);
    ASSERT_TRUE(player.Draw({rgb.data(), 60, 24, true}));
    EXPECT_EQ(rgb[2 * 60 + 2 * 3 + 0], 255);  // blue background at the bottom left
}

TEST(PlayerDrawing, TwentyFourBitRowsCarryTheSameColoursAsThirtyTwoBitOnes) {
    // A gradient over the whole stage, so that every pixel is opaque and neighbours differ in
    // every channel; an odd width, so that rows do not end on a word boundary.
    st::SwfWriter movie;
    movie.frameSizePixels(23, 3).setBackgroundColor({0, 0, 0});
    st::ShapeBuilder ramp;
    ramp.fill1(ramp.addFill(st::FillStyle::linearGradient(
                   st::Matrix::scaling(0.015, 0.015),
                   {{0, {255, 0, 30}}, {120, {10, 200, 90}}, {255, {90, 40, 250}}})))
        .rectangle(st::px(-20), st::px(-5), st::px(40), st::px(20));
    movie.defineShape(1, ramp)
        .placeObject2(
            {.depth = 1, .character = 1, .matrix = st::Matrix::translation(st::px(11), 0)})
        .showFrame();
    swf::Player player;
    Load(player, movie);
    std::vector<uint8_t> bgra(23 * 4 * 3), bgr(23 * 3 * 3 + 5, 0x55);
    ASSERT_TRUE(player.Draw({bgra.data(), 23 * 4, 32, false}));
    ASSERT_TRUE(player.Draw({bgr.data(), 23 * 3 + 1, 24, false}));  // rows padded by a byte
    std::set<std::vector<uint8_t>> colours;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 23; ++x) {
            const uint8_t* four = &bgra[static_cast<size_t>(y * 23 + x) * 4];
            const uint8_t* three = &bgr[static_cast<size_t>(y * (23 * 3 + 1) + x * 3)];
            ASSERT_EQ(four[3], 255) << x << "," << y;
            std::vector<uint8_t> colour(four, four + 3);
            EXPECT_EQ(std::vector<uint8_t>(three, three + 3), colour) << x << "," << y;
            colours.insert(colour);
        }
        EXPECT_EQ(bgr[static_cast<size_t>(y * (23 * 3 + 1) + 23 * 3)], 0x55);  // padding kept
    }
    EXPECT_GT(colours.size(), 15u);
}

TEST(PlayerDrawing, EachDrawIsAFreshPictureWhateverWasDrawnBefore) {
    // A square under a clip layer that moves away in the second frame.
    st::SwfWriter movie;
    movie.frameSizePixels(40, 30).setBackgroundColor({0, 0, 255});
    movie.defineShape(1, Square({0, 255, 0}, st::px(20)))
        .defineShape(2, Square({255, 0, 0}, st::px(15)));
    movie.placeObject2({.depth = 1, .character = 1, .clipDepth = 5}).place(2, 2).showFrame();
    movie.move(2, st::Matrix::translation(st::px(18), st::px(12))).showFrame();
    auto draw = [](swf::Player& player, int bits) {
        size_t stride = static_cast<size_t>(player.ViewWidth()) * 4;
        std::vector<uint8_t> pixels(stride * static_cast<size_t>(player.ViewHeight()));
        EXPECT_TRUE(player.Draw({pixels.data(), stride, bits, true}));
        return pixels;
    };
    swf::Player player;
    Load(player, movie);
    draw(player, 32);
    player.SetViewSize(80, 60);
    draw(player, 24);
    player.advanceFrame();
    player.SetViewSize(40, 30);
    std::vector<uint8_t> again24 = draw(player, 24);
    std::vector<uint8_t> again32 = draw(player, 32);

    swf::Player fresh;
    Load(fresh, movie);
    fresh.advanceFrame();
    EXPECT_EQ(again24, draw(fresh, 24));
    EXPECT_EQ(again32, draw(fresh, 32));
}

TEST(PlayerDrawing, HugeStagesAreRefusedNotAllocated) {
    st::SwfWriter movie;
    movie.frameSize({-(1 << 29), 1 << 29, 0, 200}).showFrame();  // wider than 32 bits of twips hold
    swf::Player player;
    Load(player, movie);
    EXPECT_GT(player.ViewWidth(), swf::Player::kMaxViewSide);
    std::vector<uint8_t> pixels(64);
    EXPECT_FALSE(player.Draw({pixels.data(), 64, 32, true}));
    EXPECT_FALSE(swf::Player::ViewSizeAllowed(8192, 8193));
    EXPECT_TRUE(swf::Player::ViewSizeAllowed(8192, 8192));
}

TEST(PlayerDrawing, UnusableTargetsAreRefused) {
    swf::Player player;
    std::vector<uint8_t> pixels(64);
    EXPECT_FALSE(player.Draw({pixels.data(), 12, 24, true}));  // no movie
    Load(player, RedStage());
    EXPECT_FALSE(player.Draw({pixels.data(), 12, 24, true}));  // stride too small for 100 px
    EXPECT_FALSE(player.Draw({pixels.data(), 400, 16, true}));
}

}  // namespace
