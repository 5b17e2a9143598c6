// The stack the action code of a frame shares: traces the original player prints.

#include <gtest/gtest.h>

#include "ScriptRun.h"
#include "support/ActionBuilder.h"

namespace {

const std::vector<avm1test::ScriptCase> kCases = {
    {"a function pops what its caller pushed and leaves its own under its result", 6,
     R"(push "kept", "v", 5; function "f" () { setVariable; push "a", "b"; pop; push "c" }
        push 0, "f"; callFunction; pop; push "v"; getVariable; trace; trace; trace; trace)",
     "5\nc\na\nkept"},
};

TEST(SharedStack, ScriptsTraceWhatTheOriginalPrints) {
    avm1test::ExpectTraces(kCases);
}

TEST(SharedStack, FrameScriptsShareTheStackUntilTheFrameEnds) {
    using swftest::ActionBuilder;
    swftest::SwfWriter movie;
    movie.doAction(ActionBuilder::assemble(R"(push "kept")"))
        .doAction(ActionBuilder::assemble(R"(trace; push "dropped")"))
        .showFrame()
        .doAction(ActionBuilder::assemble("trace"))
        .showFrame();
    EXPECT_EQ(avm1test::Joined(avm1test::RunMovie(movie, 2)), "kept\nundefined");
}

}  // namespace
