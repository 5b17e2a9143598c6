// The stack the action code of a frame shares: traces the original player prints.

#include <gtest/gtest.h>

#include "ScriptRun.h"
#include "support/ActionBuilder.h"

namespace {

const std::vector<avm1test::ScriptCase> kCases = {
    {"a function sees none of its caller's values and leaves its own under its result", 6,
     R"(push "r"
        function "f" () { push "a", "b"; pop; pop; pop; push "c" }
        push 0, "f"; callFunction; pop
        trace
        trace
        trace)",
     "c\nr\nundefined"},
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
