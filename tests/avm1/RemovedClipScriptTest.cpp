// A frame script whose own clip is removed while it runs: it goes on until its next call of a
// function by name or of a method on an object, or until it addresses another clip, and its
// variables are then the main timeline's. The expected lines are what the original player prints.

#include <gtest/gtest.h>

#include <string>

#include "avm1/ScriptRun.h"
#include "support/SwfWriter.h"

namespace {

namespace st = swftest;
using avm1test::Joined;
using avm1test::RunMovie;

// Clip "c" in the main timeline's first frame only; its frame script sends the main
// timeline to frame 2 (which removes the clip), then runs `after` and traces "end".
std::vector<std::string> runAfterRemoval(const std::string& after, bool inClipInC = false) {
    std::string script = R"(push "start"; trace
        setTarget "_root"; gotoFrame 1; setTarget ""
)" + after + "\npush \"end\"; trace";
    st::SwfWriter sprite;
    sprite.doAction(st::ActionBuilder::assemble(script)).showFrame();
    st::SwfWriter movie;
    movie.version(8).defineSprite(1, sprite).defineSprite(
        2, st::SwfWriter().placeObject2({.depth = 1, .character = 1, .name = "in"}).showFrame());
    movie.doAction(st::ActionBuilder::assemble(R"(push "foo", "main"; defineLocal; stop)"));
    movie.placeObject2({.depth = 1, .character = inClipInC ? 2 : 1, .name = "c"}).showFrame();
    movie.removeObject2(1).showFrame();
    return RunMovie(movie, 1);
}

struct Row {
    const char* after;
    const char* trace;
};

TEST(RemovedClipScript, GoesOnUntilItsNextCall) {
    const Row rows[] = {
        {R"(push "still"; trace)", "start\nstill\nend"},
        {R"(push "foo"; getVariable; trace)", "start\nmain\nend"},
        {R"(push 0, "bogus"; callFunction; pop)", "start"},
        {R"(push 0, "nothing"; getVariable; push "f"; callMethod; pop)", "start\nend"},
        {R"(push 0, "_root"; getVariable; push "f"; callMethod; pop)", "start"},
        {R"(push 0, "Foo"; newObject; pop)", "start"},
        {R"(push 0, "nothing"; getVariable; push "f"; newMethod; pop)", "start\nend"},
        {R"(push 0, "_root"; getVariable; push "f"; newMethod; pop)", "start"},
        {R"(setTarget "_root"; push "told"; trace; setTarget "")", "start"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Joined(runAfterRemoval(row.after)), row.trace) << row.after;
    // A clip gone with its parent is as removed; inside tellTarget, once its target is gone too.
    for (const char* after :
         {R"(push 0, "f"; callFunction)", R"(setTarget "/c"; push 0, "f"; callFunction)"})
        EXPECT_EQ(Joined(runAfterRemoval(after, true)), "start") << after;
}

}  // namespace
