// The clock scripts read moves with the work done in a frame and starts each frame at that
// frame's time; timers keep to the frame clock; scripts that run away are stopped with one
// line and the host hears of it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "avm1/ScriptRun.h"
#include "support/ActionBuilder.h"
#include "support/SwfWriter.h"
#include "swf/player/Player.h"

namespace {

namespace st = swftest;
using avm1test::Joined;
using avm1test::RunMovie;

// Every frame waits until getTimer() has moved 70 ms past the frame's first reading, then
// traces that reading, the time waited and whether the loop went round more than once.
// A 10 ms interval counts its firings in `fired`.
st::SwfWriter WaitingMovie(int frames) {
    st::SwfWriter movie;
    movie.frameRate(12);  // 83 ms a frame
    movie.doAction(st::ActionBuilder::assemble(
        "push \"fired\", 0; setVariable;"
        "push \"bump\"; function () { push \"fired\"; push \"fired\"; getVariable; increment;"
        "  setVariable }; setVariable;"
        "push 10; push \"bump\"; getVariable; push 2, \"setInterval\"; callFunction; pop"));
    for (int f = 0; f < frames; ++f) {
        movie.doAction(st::ActionBuilder::assemble(
            "push \"start\"; getTime; setVariable;"
            "push \"n\", 0; setVariable;"
            "loop: push \"n\"; push \"n\"; getVariable; increment; setVariable;"
            "getTime; push \"start\"; getVariable; subtract; push 70; less2; if loop;"
            "push \"start\"; getVariable; trace;"
            "getTime; push \"start\"; getVariable; subtract; trace;"
            "push \"n\"; getVariable; push 1; greater; trace;"
            "push \"fired\"; getVariable; trace"));
        movie.showFrame();
    }
    return movie;
}

TEST(ScriptClock, AWaitOnGetTimerEndsAndEachFrameStartsAtItsOwnTime) {
    const std::vector<std::string> lines = RunMovie(WaitingMovie(3), 3);
    // Frame 1 starts at 0, the next ones a frame interval later each; every wait ends after
    // 70 ms of work. The interval keeps to the frame clock: it fires after a frame's scripts,
    // for the frame's own time alone (8 times for 10 to 80 ms after frame 1, seen in frame 2),
    // never for the time the waits took.
    EXPECT_EQ(Joined(lines),
              "0\n70\ntrue\n0\n"
              "83\n70\ntrue\n8\n"
              "166\n70\ntrue\n16");
}

TEST(ScriptClock, DateReadsTheSameClockAndEveryRunSeesTheSameTimes) {
    st::SwfWriter movie;
    movie.doAction(st::ActionBuilder::assemble(
        "push \"a\"; push 0, \"Date\"; newObject; setVariable;"
        "push \"i\", 0; setVariable;"
        "loop: push \"i\"; push \"i\"; getVariable; increment; setVariable;"
        "push \"i\"; getVariable; push 20000; less2; if loop;"
        "push 0, \"Date\"; newObject; push \"a\"; getVariable; subtract; trace;"
        "getTime; trace"));
    movie.showFrame();
    const std::string first = Joined(RunMovie(movie, 1));
    EXPECT_EQ(first, Joined(RunMovie(movie, 1)));
    // 20,000 rounds of 10 actions at 1,000 actions a millisecond.
    EXPECT_EQ(first, "200\n200");
}

// A script that makes clips without end is stopped once the frame has made more than it may,
// with one line in the trace; the host hears which frame it was.
TEST(ScriptClock, AFrameThatMakesTooMuchIsStoppedAsARunaway) {
    st::SwfWriter movie;
    movie.showFrame();
    movie.doAction(st::ActionBuilder::assemble(
        "push \"i\", 0; setVariable;"
        "loop: push \"i\"; getVariable; push \"c\"; push \"i\"; getVariable; add2; push 2;"
        "push \"_root\"; getVariable; push \"createEmptyMovieClip\"; callMethod; pop;"
        "push \"i\"; push \"i\"; getVariable; increment; setVariable; jump loop"));
    movie.showFrame();
    swf::Player player;
    std::vector<std::string> lines;
    player.SetTraceSink([&](const std::string& line) { lines.push_back(line); });
    const std::vector<uint8_t> bytes = movie.bytes();
    ASSERT_TRUE(player.LoadMovieFromMemory(bytes));
    EXPECT_EQ(player.FirstScriptStop(), nullptr);
    player.advanceFrame();
    EXPECT_EQ(Joined(lines),
              "Error: the scripts made too many objects in one frame (more than 20,000 clips, "
              "text fields and the like); the script was stopped.");
    // Stopped within a few hundred actions of the bound.
    EXPECT_GT(player.DisplayObjectCount(), 20001u);
    EXPECT_LT(player.DisplayObjectCount(), 20100u);
    ASSERT_NE(player.FirstScriptStop(), nullptr);
    EXPECT_EQ(player.FirstScriptStop()->tick, 1u);
}

}  // namespace
