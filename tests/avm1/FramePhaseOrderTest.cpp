// The order of the phases of the engine's steps, as the scripts' traces show it: loading the
// first frame, a frame, and the host's input between two frames.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "avm1/ScriptRun.h"
#include "support/SwfWriter.h"

namespace {

namespace st = swftest;
using avm1test::Joined;
using avm1test::RunMovie;

st::ActionBuilder code(const std::string& source) {
    return st::ActionBuilder::assemble(source);
}

std::string trace(const std::string& text) {
    return "push \"" + text + "\"; trace\n";
}

// Calls `body` when the timers next run (a timeout of 0 ms).
std::string timeout(const std::string& body) {
    return "push 0\nfunction () { " + body + " }\npush 2, \"setTimeout\"; callFunction; pop\n";
}

// A sprite whose frames each trace "<prefix><frame>".
st::SwfWriter tracingSprite(const std::string& prefix, int frames) {
    st::SwfWriter sprite;
    for (int f = 0; f < frames; ++f)
        sprite.doAction(code(trace(prefix + std::to_string(f)))).showFrame();
    return sprite;
}

struct PhaseCase {
    std::string name;
    std::function<st::SwfWriter()> movie;
    int frames;
    std::vector<std::vector<swf::InputEvent>> input;
    std::string trace;
};

TEST(FramePhaseOrder, EachStepRunsItsPhasesInTheOneOrder) {
    swf::InputEvent move;
    move.x = 10;
    move.y = 10;
    const std::vector<PhaseCase> cases = {
        {"init actions go ahead of the frame actions queued before them; the timers due within "
         "a frame run after its actions, and what they queue in the same frame",
         [] {
             st::SwfWriter movie;
             movie.defineSprite(1, st::SwfWriter().showFrame());
             movie.doAction(code(trace("frame 0") + timeout(trace("timeout") +
                                                            "gotoFrame 2; stop")))
                 .doInitAction(1, code(trace("init")))
                 .showFrame();
             movie.doAction(code(trace("frame 1"))).showFrame();
             movie.doAction(code(trace("frame 2"))).showFrame();
             return movie;
         },
         2,
         {},
         "init\nframe 0\ntimeout\nframe 2"},
        {"a frame: newest clips first, children before their parent, each with its enterFrame "
         "event before the actions of the frame it moves to",
         [] {
             st::SwfWriter movie;
             movie.defineSprite(1, tracingSprite("a", 2)).defineSprite(2, tracingSprite("b", 2));
             movie.doAction(code(trace("root0") + "push \"onEnterFrame\"\nfunction () { " +
                                 trace("enterFrame") + " }\nsetVariable\n"))
                 .place(1, 1)
                 .place(2, 2)
                 .showFrame();
             movie.doAction(code(trace("root1"))).showFrame();
             return movie;
         },
         2,
         {},
         "root0\na0\nb0\nb1\na1\nenterFrame\nroot1"},
        {"input comes once the frame is shown, after its actions and timers; a timer it sets "
         "runs after it",
         [] {
             st::SwfWriter movie;
             movie.doAction(code("push \"onMouseMove\"\nfunction () { " + trace("mouse") +
                                 timeout(trace("input's timeout")) +
                                 " }\nsetVariable\n"))
                 .showFrame();
             movie.doAction(code(timeout(trace("frame's timeout")) + trace("frame 1")))
                 .showFrame();
             movie.showFrame();
             return movie;
         },
         3,
         {{}, {move}},
         "frame 1\nframe's timeout\nmouse\ninput's timeout"},
    };
    for (const PhaseCase& c : cases)
        EXPECT_EQ(Joined(RunMovie(c.movie(), c.frames, c.input)), c.trace) << c.name;
}

}  // namespace
