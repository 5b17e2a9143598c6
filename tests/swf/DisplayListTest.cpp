#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestMovie.h"

namespace {

namespace st = swftest;
using enginetest::Layers;
using enginetest::Load;
using enginetest::Square;

TEST(DisplayList, PlaceMoveReplaceAndRemoveFollowTheFrames) {
    st::SwfWriter movie;
    movie.defineShape(1, Square({255, 0, 0}, 200)).defineShape(2, Square({0, 255, 0}, 200));
    movie.place(1, 3, st::Matrix::translation(100, 0)).showFrame();
    movie.move(3, st::Matrix::translation(500, 60)).showFrame();
    movie.placeObject2({.depth = 3, .move = true, .character = 2}).showFrame();
    movie.removeObject2(3).showFrame();
    swf::Player player;
    Load(player, movie);
    swf::MovieClip& root = *player.Root();
    EXPECT_EQ(Layers(root), (std::map<int, int>{{3, 1}}));
    EXPECT_DOUBLE_EQ(root.displayList().at(3)->matrix().tx, 100);

    player.advanceFrame();
    EXPECT_DOUBLE_EQ(root.displayList().at(3)->matrix().tx, 500);
    EXPECT_DOUBLE_EQ(root.displayList().at(3)->matrix().ty, 60);

    player.advanceFrame();  // replaced: the new character keeps the placement
    EXPECT_EQ(Layers(root), (std::map<int, int>{{3, 2}}));
    EXPECT_DOUBLE_EQ(root.displayList().at(3)->matrix().tx, 500);

    player.advanceFrame();
    EXPECT_TRUE(Layers(root).empty());
}

TEST(DisplayList, OriginalPlaceObjectAndRemoveObjectWork) {
    st::SwfWriter movie;
    movie.defineShape(1, Square({255, 0, 0}, 200)).defineShape(2, Square({0, 0, 255}, 100));
    movie.placeObject(1, 1, st::Matrix::translation(40, 40),
                      st::ColorTransform::multiply(0.5, 1, 1));
    movie.placeObject(2, 2, st::Matrix::identity()).showFrame();
    movie.removeObject(1, 1).showFrame();
    swf::Player player;
    Load(player, movie);
    swf::MovieClip& root = *player.Root();
    EXPECT_EQ(Layers(root), (std::map<int, int>{{1, 1}, {2, 2}}));
    EXPECT_EQ(root.displayList().at(1)->colorTransform().rMul, 128);
    player.advanceFrame();
    EXPECT_EQ(Layers(root), (std::map<int, int>{{2, 2}}));
}

// The player's log says so, as the debugging player's does.
TEST(DisplayList, PlaceObject2OnAnOccupiedDepthIsIgnored) {
    st::SwfWriter movie;
    movie.defineShape(1, Square({255, 0, 0}, 200)).defineShape(2, Square({0, 0, 255}, 100));
    movie.place(1, 1).place(2, 1).showFrame();
    swf::Player player;
    std::vector<std::string> lines;
    player.SetTraceSink([&](const std::string& line) { lines.push_back(line); });
    Load(player, movie);
    EXPECT_EQ(Layers(*player.Root()), (std::map<int, int>{{1, 1}}));
    EXPECT_EQ(lines, std::vector<std::string>{"Warning: Failed to place object at depth 1."});
}

TEST(DisplayList, PlaceObject3FieldsAreKeptOnTheObject) {
    st::SwfWriter movie;
    movie.defineShape(1, Square({255, 0, 0}, 200));
    movie.placeObject3({.depth = 4,
                        .character = 1,
                        .ratio = 77,
                        .name = "box",
                        .clipDepth = 9,
                        .blendMode = 3,
                        .cacheAsBitmap = true});
    movie.showFrame();
    swf::Player player;
    Load(player, movie);
    auto object = player.Root()->displayList().at(4);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->ratio(), 77);
    EXPECT_EQ(object->name(), "box");
    EXPECT_EQ(object->clipDepth(), 9);
    EXPECT_EQ(object->blendMode(), 3);
    EXPECT_TRUE(object->cacheAsBitmap());
    EXPECT_TRUE(object->placedByTimeline());
}

TEST(DisplayList, TextFieldsArePlacedAndDrawn) {
    st::SwfWriter movie;
    movie.frameSizePixels(40, 20).setBackgroundColor({255, 255, 255});
    movie.defineEditText(
        1, {.bounds = st::Rect::fromPixels(0, 0, 40, 20), .text = "", .border = true});
    movie.place(1, 1).showFrame();
    swf::Player player;
    Load(player, movie);
    EXPECT_EQ(Layers(*player.Root()), (std::map<int, int>{{1, 1}}));
    std::vector<uint8_t> pixels(40 * 4 * 20);
    ASSERT_TRUE(player.Draw({pixels.data(), 40 * 4, 32, false}));
    EXPECT_EQ(pixels[3], 255);  // the border's top-left corner
    EXPECT_LT(pixels[0], 128);
}

TEST(DisplayList, PlaceObjectCutShortKeepsOnlyItsWholeFields) {
    // PlaceObject2: flags (character, matrix, name), depth 1, character 1, a matrix with a
    // translation only, then a name without its terminating zero.
    std::vector<uint8_t> body = {0x26, 1, 0, 1, 0, 0x00, 'b', 'o'};
    st::SwfWriter movie;
    movie.defineShape(1, Square({255, 0, 0}, 200)).tag(st::kTagPlaceObject2, body).showFrame();
    swf::Player player;
    Load(player, movie);
    auto object = player.Root()->displayList().at(1);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->name(), "");
    EXPECT_EQ(object->matrix(), swf::Matrix{});
}

TEST(DisplayList, UnknownCharactersAreNotPlaced) {
    st::SwfWriter movie;
    movie.place(42, 1).showFrame();
    swf::Player player;
    Load(player, movie);
    EXPECT_TRUE(Layers(*player.Root()).empty());
}

}  // namespace
