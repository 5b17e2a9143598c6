// The stack the action code of a frame shares, and instanceof through interfaces of
// interfaces: traces the original player prints.

#include <gtest/gtest.h>

#include "ScriptRun.h"
#include "support/ActionBuilder.h"

namespace {

const std::string kInterfaces =
    R"(function "Red" () { }
       function "Pink" () { }
       function "C" () { }
       function "X" () { }
       push "Red"; getVariable; push 1, "Pink"; getVariable; implementsOp
       push "Pink"; getVariable; push 1, "C"; getVariable; implementsOp
)";

const std::vector<avm1test::ScriptCase> kCases = {
    {"a function sees none of its caller's values and leaves its own under its result", 6,
     R"(push "r"
        function "f" () { push "a", "b"; pop; pop; pop; push "c" }
        push 0, "f"; callFunction; pop
        trace
        trace
        trace)",
     "c\nr\nundefined"},
    {"an interface counts with the interfaces it implements", 6,
     kInterfaces + R"(push 0, "C"; newObject; push "Red"; getVariable; instanceOf; trace
                      push 0, "C"; newObject; push "Pink"; getVariable; instanceOf; trace
                      push 0, "Pink"; newObject; push "C"; getVariable; instanceOf; trace)",
     "true\ntrue\nfalse"},
    {"interfaces implementing each other end the search", 6,
     kInterfaces + R"(push "Pink"; getVariable; push 1, "Red"; getVariable; implementsOp
                      push 0, "C"; newObject; push "X"; getVariable; instanceOf; trace)",
     "false"},
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
