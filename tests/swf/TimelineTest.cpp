#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestMovie.h"
#include "swf/display/MovieContext.h"

namespace {

namespace st = swftest;
using enginetest::ClipAt;
using enginetest::Layers;
using enginetest::Load;
using enginetest::Square;
using enginetest::TracingFrames;

struct TracedPlayer {
    swf::Player player;
    std::vector<std::string> lines;
    TracedPlayer() {
        player.SetTraceSink([this](const std::string& line) { lines.push_back(line); });
    }
};

TEST(Timeline, SpritesAdvanceAndLoopOnTheirOwn) {
    st::SwfWriter sprite;
    sprite.showFrame().showFrame().showFrame();
    st::SwfWriter movie;
    movie.defineSprite(1, sprite).place(1, 1).showFrame();
    swf::Player player;
    Load(player, movie);
    swf::MovieClip* clip = ClipAt(*player.Root(), 1);
    ASSERT_TRUE(clip);
    std::vector<int> frames{clip->currentFrame()};
    for (int i = 0; i < 4; ++i) {
        player.advanceFrame();
        frames.push_back(clip->currentFrame());
    }
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 2, 0, 1}));
    EXPECT_EQ(player.TCurrentFrame(), 0);  // the one-frame main timeline stays put
}

TEST(Timeline, PlacingASpriteBuildsItsFirstFrameAndRunsItsActionsInTheSameTick) {
    st::SwfWriter sprite;
    sprite.place(2, 5)
        .doAction(st::ActionBuilder().pushString("child").trace())
        .showFrame()
        .showFrame();
    st::SwfWriter movie;
    movie.defineShape(2, Square({1, 2, 3}, 100)).defineSprite(1, sprite);
    movie.doAction(st::ActionBuilder().pushString("root0").trace()).showFrame();
    movie.place(1, 1).doAction(st::ActionBuilder().pushString("root1").trace()).showFrame();

    TracedPlayer t;
    Load(t.player, movie);
    EXPECT_EQ(t.lines, (std::vector<std::string>{"root0"}));
    t.player.advanceFrame();
    swf::MovieClip* clip = ClipAt(*t.player.Root(), 1);
    ASSERT_TRUE(clip);
    EXPECT_EQ(Layers(*clip), (std::map<int, int>{{5, 2}}));
    EXPECT_EQ(clip->currentFrame(), 0);  // placed this tick: not advanced yet
    // The sprite's PlaceObject comes before the frame's DoAction: its actions come first.
    EXPECT_EQ(t.lines, (std::vector<std::string>{"root0", "child", "root1"}));
}

TEST(Timeline, ClipsPlacedInFramesAGotoPassesOverStillRunTheirFirstFrame) {
    st::SwfWriter movie;
    movie.defineSprite(1, TracingFrames("child", 1));
    movie.doAction(st::ActionBuilder().pushString("root0").trace().gotoFrame(2).play()).showFrame();
    movie.place(1, 1).showFrame();
    movie.doAction(st::ActionBuilder().pushString("root2").trace().stop()).showFrame();
    TracedPlayer t;
    Load(t.player, movie);
    EXPECT_EQ(t.lines, (std::vector<std::string>{"root0", "child0", "root2"}));
}

TEST(Timeline, MainTimelineLoopsToItsFirstFrameAfterTheLast) {
    st::SwfWriter movie = TracingFrames("f", 3);
    TracedPlayer t;
    Load(t.player, movie);
    enginetest::Advance(t.player, 4);
    EXPECT_EQ(t.lines, (std::vector<std::string>{"f0", "f1", "f2", "f0", "f1"}));
    EXPECT_EQ(t.player.TCurrentFrame(), 1);
}

TEST(Timeline, GotoForwardAppliesPassedFramesWithoutTheirActions) {
    st::SwfWriter movie;
    movie.defineShape(1, Square({1, 1, 1}, 100)).defineShape(2, Square({2, 2, 2}, 100));
    movie.doAction(st::ActionBuilder().pushString("f0").trace()).showFrame();
    movie.place(1, 1).doAction(st::ActionBuilder().pushString("f1").trace()).showFrame();
    movie.place(2, 2).doAction(st::ActionBuilder().pushString("f2").trace()).showFrame();
    movie.doAction(st::ActionBuilder().pushString("f3").trace()).showFrame();

    TracedPlayer t;
    Load(t.player, movie);
    t.player.GotoFrame(3);
    EXPECT_EQ(t.player.TCurrentFrame(), 3);
    EXPECT_EQ(Layers(*t.player.Root()), (std::map<int, int>{{1, 1}, {2, 2}}));
    EXPECT_EQ(t.lines, (std::vector<std::string>{"f0", "f3"}));
}

TEST(Timeline, GotoBackwardKeepsObjectsThatStayTheSameAndRebuildsTheRest) {
    st::SwfWriter sprite;
    sprite.showFrame().showFrame().showFrame().showFrame();
    st::SwfWriter movie;
    movie.defineSprite(1, sprite).defineSprite(2, sprite).defineShape(3, Square({3, 3, 3}, 100));
    movie.place(1, 1, st::Matrix::translation(10, 0)).place(2, 2).showFrame();
    movie.move(1, st::Matrix::translation(90, 0))
        .removeObject2(2)
        .place(1, 2)
        .place(3, 3)
        .showFrame();
    swf::Player player;
    Load(player, movie);
    swf::MovieClip& root = *player.Root();
    auto keeper = root.displayList().at(1);
    player.advanceFrame();
    ASSERT_EQ(root.displayList().at(1), keeper);
    EXPECT_EQ(Layers(root), (std::map<int, int>{{1, 1}, {2, 1}, {3, 3}}));
    auto replacedAtTwo = root.displayList().at(2);
    int keeperFrame = keeper->asMovieClip()->currentFrame();

    player.GotoFrame(0);
    // Same depth and ratio, placed by the timeline on both sides: the same object, with its
    // own state, back at the timeline's placement. A clip stays even where the frame had
    // another sprite (the player compares ratios only); the shape at depth 3 goes.
    EXPECT_EQ(Layers(root), (std::map<int, int>{{1, 1}, {2, 1}}));
    EXPECT_EQ(root.displayList().at(1), keeper);
    EXPECT_EQ(keeper->asMovieClip()->currentFrame(), keeperFrame);
    EXPECT_DOUBLE_EQ(keeper->matrix().tx, 10);
    EXPECT_EQ(root.displayList().at(2), replacedAtTwo);
}

TEST(Timeline, GotoBackwardPlacesAnewWhenTheRatioDiffers) {
    st::SwfWriter sprite;
    sprite.showFrame();
    st::SwfWriter movie;
    movie.defineSprite(1, sprite);
    movie.placeObject2({.depth = 1, .character = 1, .ratio = 0}).showFrame();
    movie.removeObject2(1).placeObject2({.depth = 1, .character = 1, .ratio = 3}).showFrame();
    swf::Player player;
    Load(player, movie);
    player.advanceFrame();
    auto second = player.Root()->displayList().at(1);
    player.GotoFrame(0);
    ASSERT_TRUE(player.Root()->displayList().at(1));
    EXPECT_NE(player.Root()->displayList().at(1), second);
}

TEST(Timeline, TagsAfterTheLastShowFrameFormAFrameEnteredOnce) {
    st::SwfWriter sprite;
    sprite.doAction(st::ActionBuilder().pushString("s0").trace()).showFrame();
    sprite.doAction(st::ActionBuilder().pushString("s1").trace());  // no ShowFrame after it
    st::SwfWriter movie;
    movie.defineSprite(1, sprite).place(1, 1).showFrame();
    TracedPlayer t;
    Load(t.player, movie);
    enginetest::Advance(t.player, 4);
    EXPECT_EQ(t.lines, (std::vector<std::string>{"s0", "s1"}));
}

TEST(Timeline, TheFramesReadNotTheDeclaredCountDecideWhereItLoops) {
    st::SwfWriter movie = TracingFrames("f", 2);
    movie.overrideFrameCount(5);
    TracedPlayer t;
    Load(t.player, movie);
    EXPECT_EQ(t.player.TotalFrames(), 5);
    enginetest::Advance(t.player, 3);
    EXPECT_EQ(t.lines, (std::vector<std::string>{"f0", "f1", "f0", "f1"}));
}

TEST(Timeline, WithoutItsEndTagATimelineWaitsOnItsLastFrame) {
    st::SwfWriter movie = TracingFrames("f", 2);
    movie.omitEndTag();
    TracedPlayer t;
    Load(t.player, movie);
    enginetest::Advance(t.player, 3);
    EXPECT_EQ(t.player.TCurrentFrame(), 1);
    EXPECT_EQ(t.lines, (std::vector<std::string>{"f0", "f1"}));
}

TEST(Timeline, LabelsAreFoundIgnoringCase) {
    st::SwfWriter movie;
    movie.showFrame().frameLabel("Intro").showFrame().frameLabel("end").showFrame();
    swf::Player player;
    Load(player, movie);
    const swf::Timeline& timeline = player.Root()->timeline();
    EXPECT_EQ(timeline.findLabel("intro"), 1);
    EXPECT_EQ(timeline.findLabel("END"), 2);
    EXPECT_EQ(timeline.findLabel("missing"), -1);
}

TEST(Timeline, SpritesNestedPastTheLimitAreNotBuilt) {
    // A sprite that places itself: every level would place another forever.
    st::SwfWriter sprite;
    sprite.place(1, 1).showFrame();
    st::SwfWriter movie;
    movie.defineSprite(1, sprite).place(1, 1).showFrame();
    swf::Player player;
    Load(player, movie);
    int levels = 0;
    for (swf::MovieClip* clip = player.Root(); clip; clip = ClipAt(*clip, 1)) ++levels;
    EXPECT_EQ(levels, swf::MovieContext::kMaxNesting + 1);  // the main timeline and 64 sprites
    EXPECT_EQ(player.DisplayObjectCount(), static_cast<size_t>(levels));
}

TEST(Timeline, DisplayObjectsAreLimitedInNumber) {
    // Ten copies of a sprite with ten copies of a sprite with ... : 10^6 objects wanted.
    st::SwfWriter movie;
    movie.defineShape(1, Square({1, 1, 1}, 20));
    for (uint16_t level = 2; level <= 7; ++level) {
        st::SwfWriter sprite;
        for (uint16_t depth = 1; depth <= 10; ++depth)
            sprite.place(static_cast<uint16_t>(level - 1), depth);
        sprite.showFrame();
        movie.defineSprite(level, sprite);
    }
    movie.place(7, 1).showFrame();
    swf::Player player;
    Load(player, movie);
    EXPECT_EQ(player.DisplayObjectCount(), swf::MovieContext::kMaxObjects);
}

}  // namespace
