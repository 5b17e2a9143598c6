// setInterval, setTimeout and their clear functions across their argument forms: a function
// or an object and a method name, extra arguments, ids, bad first arguments and clearing
// from inside the callback. Movies of 24 frames a second run for three frames.

#include <gtest/gtest.h>

#include "ScriptRun.h"

namespace {

// f traces its two arguments; o.m traces o.n, counts it up and clears interval `id` at 2.
const char* kCallbacks = R"(
    function "f" (a, b) { push "f "; push "a"; getVariable; add2; push " "; add2
                          push "b"; getVariable; add2; trace }
    push "o", "n", 0, 1; initObject; setVariable
    push "o"; getVariable; push "m"
    function () { push "m "; push "this"; getVariable; push "n"; getMember; add2; trace
                  push "this"; getVariable; push "n"; push "this"; getVariable; push "n"
                  getMember; increment; setMember
                  push "this"; getVariable; push "n"; getMember; push 2; equals2; not; if keep
                  push "id"; getVariable; push 1, "clearInterval"; callFunction; pop
                  keep: }
    setMember
)";

struct Row {
    const char* name;
    const char* script;
    const char* trace;
};

TEST(TimerRules, ArgumentFormsIdsAndClearing) {
    const Row rows[] = {
        {"ids count up across both kinds; a timeout fires once with its extra arguments",
         R"(push "y", "x", 30, "f"; getVariable; push 4, "setTimeout"; callFunction; trace
            push 30, "f"; getVariable; push 2, "setTimeout"; callFunction; trace)",
         "1\n2\nf x y\nf undefined undefined"},
        {"the object form calls the method on the object; clearing inside stops it",
         R"(push "id", 40, "m", "o"; getVariable; push 3, "setInterval"; callFunction
            setVariable)",
         "m 0\nm 1"},
        {"the method is looked up when the timer fires",
         R"(push 30, "later", "o"; getVariable; push 3, "setTimeout"; callFunction; pop
            push "o"; getVariable; push "later"; push "f"; getVariable; setMember)",
         "f undefined undefined"},
        {"no function, no object or no delay: no timer",
         R"(push 0, "setInterval"; callFunction; trace
            push 5, "nope", 2, "setInterval"; callFunction; trace
            push "f"; getVariable; push 1, "setInterval"; callFunction; trace
            push 1, "clearInterval"; callFunction; trace)",
         "undefined\nundefined\nundefined\nundefined"},
        {"a cleared id stays cleared; negative and NaN delays fire at the next frame",
         R"(push -5, "f"; getVariable; push 2, "setTimeout"; callFunction; pop
            push "NaN"; getVariable; push "f"; getVariable; push 2, "setTimeout"; callFunction
            push 1, "clearTimeout"; callFunction; pop)",
         "f undefined undefined"},
        {"what a call queues runs before the next timer fires",
         R"(function "gone" () { push 1, "c", 2, "_root"; getVariable
                                 push "createEmptyMovieClip"; callMethod; pop
                                 push "c"; getVariable; push "onUnload"
                                 function () { push "unloaded"; trace }; setMember
                                 push 0, "c"; getVariable; push "removeMovieClip"; callMethod
                                 pop }
            push 1, "gone"; getVariable; push 2, "setTimeout"; callFunction; pop
            push "second", 1, "f"; getVariable; push 3, "setTimeout"; callFunction; pop)",
         "unloaded\nf second undefined"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(avm1test::Joined(avm1test::RunScript(std::string(kCallbacks) + row.script, 8, 3)),
                  row.trace)
            << row.name;
}

}  // namespace
