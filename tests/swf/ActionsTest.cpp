#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestMovie.h"

namespace {

namespace st = swftest;
using enginetest::ClipAt;
using enginetest::Load;
using enginetest::TracingFrames;

class Actions : public ::testing::Test {
  protected:
    Actions() {
        player.SetTraceSink([this](const std::string& line) { lines.push_back(line); });
    }
    swf::Player player;
    std::vector<std::string> lines;
};

TEST_F(Actions, StopHoldsTheMainTimelineOnItsFrame) {
    st::SwfWriter movie;
    movie.showFrame().doAction(st::ActionBuilder().stop()).showFrame().showFrame();
    Load(player, movie);
    enginetest::Advance(player, 5);
    EXPECT_EQ(player.TCurrentFrame(), 1);
    EXPECT_FALSE(player.IsPlaying());
    player.Play();
    player.advanceFrame();
    EXPECT_EQ(player.TCurrentFrame(), 2);
}

TEST_F(Actions, GotoFrameAndPlayJumpsBackAndRunsTheTargetsActions) {
    st::SwfWriter movie = TracingFrames("f", 3);
    movie.doAction(st::ActionBuilder().gotoFrame(1).play()).showFrame();  // frame 3
    Load(player, movie);
    enginetest::Advance(player, 5);
    EXPECT_EQ(lines, (std::vector<std::string>{"f0", "f1", "f2", "f1", "f2", "f1"}));
    EXPECT_EQ(player.TCurrentFrame(), 1);
}

TEST_F(Actions, GotoLabelStopsOnTheLabelledFrame) {
    st::SwfWriter movie;
    movie.doAction(st::ActionBuilder().gotoLabel("Target")).showFrame();
    movie.showFrame();
    movie.frameLabel("target")
        .doAction(st::ActionBuilder().pushString("at label").trace())
        .showFrame();
    movie.showFrame();
    Load(player, movie);
    EXPECT_EQ(player.TCurrentFrame(), 2);
    EXPECT_EQ(lines, (std::vector<std::string>{"at label"}));
    enginetest::Advance(player, 3);
    EXPECT_EQ(player.TCurrentFrame(), 2);
}

TEST_F(Actions, NextAndPreviousFrameStepAndStop) {
    st::SwfWriter movie;
    movie.doAction(st::ActionBuilder().nextFrame()).showFrame();
    movie.doAction(st::ActionBuilder().pushString("second").trace()).showFrame();
    movie.showFrame();
    Load(player, movie);
    EXPECT_EQ(player.TCurrentFrame(), 1);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(lines, (std::vector<std::string>{"second"}));
}

TEST_F(Actions, SetTargetActsOnANamedSprite) {
    st::SwfWriter sprite;
    sprite.showFrame().showFrame().showFrame();
    st::SwfWriter movie;
    movie.defineSprite(1, sprite);
    movie.placeObject2({.depth = 1, .character = 1, .name = "clip"});
    movie.doAction(st::ActionBuilder().setTarget("/clip").gotoFrame(2).setTarget("").stop())
        .showFrame();
    movie.showFrame();
    Load(player, movie);
    swf::MovieClip* clip = ClipAt(*player.Root(), 1);
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->currentFrame(), 2);
    EXPECT_FALSE(clip->playing());
    EXPECT_FALSE(player.IsPlaying());
    enginetest::Advance(player, 2);
    EXPECT_EQ(clip->currentFrame(), 2);
    EXPECT_EQ(player.TCurrentFrame(), 0);
}

// As in the original player, a target that names nothing leaves the actions on the main
// timeline.
TEST_F(Actions, SetTargetToAnUnknownPathFallsBackToTheMainTimeline) {
    st::SwfWriter movie;
    movie.doAction(st::ActionBuilder().setTarget("/nobody").stop()).showFrame().showFrame();
    Load(player, movie);
    EXPECT_FALSE(player.IsPlaying());
}

TEST_F(Actions, FsCommandQuitEndsTheMovieAfterTheFramesActions) {
    st::SwfWriter movie = TracingFrames("f", 2);
    movie.doAction(st::ActionBuilder().fsCommand("quit").pushString("after quit").trace())
        .showFrame();
    movie.doAction(st::ActionBuilder().pushString("never").trace()).showFrame();
    Load(player, movie);
    enginetest::Advance(player, 2);
    EXPECT_TRUE(player.QuitRequested());
    enginetest::Advance(player, 3);
    EXPECT_EQ(player.TCurrentFrame(), 2);
    EXPECT_EQ(lines, (std::vector<std::string>{"f0", "f1", "after quit"}));
}

TEST_F(Actions, GotosThatChaseEachOtherEndWithinTheTick) {
    // Frame 1 jumps to frame 2 and frame 2 back to frame 1, each running the other's actions.
    st::SwfWriter movie;
    movie.doAction(st::ActionBuilder().gotoFrame(1)).showFrame();
    movie.doAction(st::ActionBuilder().gotoFrame(0)).showFrame();
    Load(player, movie);
    player.advanceFrame();
    EXPECT_FALSE(player.IsPlaying());
}

TEST_F(Actions, TracePrintsPushedConstants) {
    st::SwfWriter movie;
    movie.doAction(st::ActionBuilder().pushString("hello").trace().pushInteger(-42).trace().trace())
        .showFrame();
    Load(player, movie);
    EXPECT_EQ(lines, (std::vector<std::string>{"hello", "-42", "undefined"}));
}

TEST_F(Actions, ActionsCutShortOrUnknownAreSkipped) {
    st::SwfWriter movie;
    std::vector<uint8_t> unknown = {1, 2, 3};
    movie.doAction(st::ActionBuilder().action(0xEE, unknown).action(0x55).stop()).showFrame();
    movie.doAction(st::ActionBuilder().raw(std::vector<uint8_t>{0x96, 0xFF, 0x7F, 0x00}))
        .showFrame();
    Load(player, movie);
    EXPECT_FALSE(player.IsPlaying());
    player.Play();
    player.advanceFrame();
    EXPECT_EQ(player.TCurrentFrame(), 1);
}

TEST_F(Actions, AQuitInABranchNotTakenDoesNotRun) {
    st::SwfWriter movie;
    movie
        .doAction(st::ActionBuilder::assemble(R"(push "before"; trace
            push 1; if skip
            fsCommand "quit"
            skip: push "after"; trace)"))
        .showFrame()
        .showFrame();
    Load(player, movie);
    EXPECT_FALSE(player.QuitRequested());
    EXPECT_EQ(lines, (std::vector<std::string>{"before", "after"}));
}

TEST_F(Actions, GetUrl2WithConstantsAndTheConstantPool) {
    // ConstantPool ["FSCommand:quit", ""], then Push pool[0], pool[1] and GetURL2.
    std::vector<uint8_t> pool = {2,   0,   'F', 'S', 'C', 'o', 'm', 'm', 'a',
                                 'n', 'd', ':', 'q', 'u', 'i', 't', 0,   0};
    std::vector<uint8_t> push = {8, 0, 8, 1};
    std::vector<uint8_t> method = {0};
    st::SwfWriter movie;
    movie.doAction(st::ActionBuilder().action(0x88, pool).action(0x96, push).action(0x9A, method))
        .showFrame()
        .showFrame();
    Load(player, movie);
    EXPECT_TRUE(player.QuitRequested());
}

}  // namespace
