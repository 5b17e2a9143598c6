// Object.watch and unwatch: what the watcher is shown as the old value, what is stored, and
// when it is not called; how deep watchers and getter/setter pairs run inside themselves. The expected lines are what the original player prints.

#include <gtest/gtest.h>

#include <string>

#include "ScriptRun.h"

namespace {

using avm1test::ScriptCase;

// w(prop, old, new) traces its arguments and stores new + "!".
const std::string kWatcher = R"(
    function "w" (prop, old, nv) {
        push "watch "; push "prop"; getVariable; add2; push " old "; add2
        push "old"; getVariable; add2; push " new "; add2; push "nv"; getVariable; add2; trace
        push "nv"; getVariable; push "!"; add2; return }
)";

// Watches `property` of the object in variable `object` with w.
std::string Watch(const char* object, const char* property) {
    return kWatcher + "push \"w\"; getVariable; push \"" + property + "\", 2, \"" + object +
           "\"; getVariable; push \"watch\"; callMethod; pop\n";
}

// o.x's setter and getter count their calls in n and reach o.x again; a.x's setter assigns
// b.x and b.x's a.x, each pair counting on its own.
const char* kSelfCallingPair = R"(
    push "n", 0; setVariable
    push "o", 0; initObject; setVariable
    function "get" () { push "n"; push "n"; getVariable; increment; setVariable
                        push "this"; getVariable; push "x"; getMember; return }
    function "set" (v) { push "n"; push "n"; getVariable; increment; setVariable
                         push "this"; getVariable; push "x", "f"; setMember }
    push "set"; getVariable; push "get"; getVariable; push "x", 3, "o"; getVariable
    push "addProperty"; callMethod; pop
    push "o"; getVariable; push "x", "b"; setMember; push "n"; getVariable; trace
    push "o"; getVariable; push "x"; getMember; trace; push "n"; getVariable; trace
    push "n", 0; setVariable
    push "a", 0; initObject; setVariable; push "b", 0; initObject; setVariable
    function "toB" (v) { push "n"; push "n"; getVariable; increment; setVariable
                         push "b"; getVariable; push "x", 1; setMember }
    function "toA" (v) { push "n"; push "n"; getVariable; increment; setVariable
                         push "a"; getVariable; push "x", 1; setMember }
    push "toB"; getVariable; push "get"; getVariable; push "x", 3, "a"; getVariable
    push "addProperty"; callMethod; pop
    push "toA"; getVariable; push "get"; getVariable; push "x", 3, "b"; getVariable
    push "addProperty"; callMethod; pop
    push "a"; getVariable; push "x", 1; setMember; push "n"; getVariable; trace
)";

TEST(WatchRules, OldValuesStoredValuesAndWhenTheWatcherRuns) {
    const std::string getterSetterPair = R"(
        push "o", 0; initObject; setVariable
        function "get" () { push "get x"; trace; push "g"; return }
        function "set" (v) { push "set "; push "v"; getVariable; add2; trace }
        push "set"; getVariable; push "get"; getVariable; push "x", 3, "o"; getVariable
        push "addProperty"; callMethod; pop
    )";
    const std::vector<ScriptCase> cases = {
        {"a plain property: the watcher's result is stored", 8,
         R"(push "o", "x", 1, 1; initObject; setVariable)" + Watch("o", "x") +
             R"(push "o"; getVariable; push "x", 2; setMember
                push "o"; getVariable; push "x"; getMember; trace)",
         "watch x old 1 new 2\n2!"},
        {"a getter/setter pair: no getter runs for the old value, the setter gets the result", 8,
         getterSetterPair + Watch("o", "x") + R"(push "o"; getVariable; push "x", 4; setMember)",
         "watch x old undefined new 4\nset 4!"},
        {"addProperty keeps the value it replaces, which a watcher sees as the old value", 8,
         R"(push "o", "x", 3, 1; initObject; setVariable
)" + getterSetterPair.substr(
             getterSetterPair.find("function")) + R"(push "p", "__proto__", "o"; getVariable
            push 1; initObject; setVariable)" + Watch("p", "x") +
             R"(push "p"; getVariable; push "x", 4; setMember)",
         "watch x old 3 new 4\nset 4!"},
        {"an inherited value is the old value; the result is stored on the object watched", 8,
         R"(push "o", "x", 1, 1; initObject; setVariable
            push "p", 0; initObject; setVariable
            push "p"; getVariable; push "__proto__", "o"; getVariable; setMember)" +
             Watch("p", "x") +
             R"(push "p"; getVariable; push "x", 2; setMember
                push "p"; getVariable; push "x"; getMember; trace
                push "o"; getVariable; push "x"; getMember; trace)",
         "watch x old 1 new 2\n2!\n1"},
        {"a property made by the assignment has no old value", 6,
         R"(push "o", 0; initObject; setVariable)" + Watch("o", "y") +
             R"(push "o"; getVariable; push "y", 1; setMember
                push "o"; getVariable; push "y"; getMember; trace)",
         "watch y old  new 1\n1!"},
        {"before SWF 7 a watcher's own assignment to its property does not call it again", 6,
         R"(push "o", 0; initObject; setVariable
            function "again" () { push "watcher"; trace
                                  push "this"; getVariable; push "x", 5; setMember; push 7; return }
            push "again"; getVariable; push "x", 2, "o"; getVariable; push "watch"; callMethod; pop
            push "o"; getVariable; push "x", 1; setMember)",
         "watcher"},
        {"from SWF 7 a watcher runs inside itself 65 levels deep", 7,
         R"(push "n", 0; setVariable
            function "again" () { push "n"; push "n"; getVariable; increment; setVariable
                                  push "this"; getVariable; push "x", 5; setMember; push 7; return }
            push "again"; getVariable; push "x", 2, "o"; push 0; initObject; setVariable
            push "o"; getVariable; push "watch"; callMethod; pop
            push "o"; getVariable; push "x", 1; setMember; push "n"; getVariable; trace)",
         "65"},
        {"getter/setter pairs run inside themselves 65 levels from SWF 7, one before; past that "
         "a getter reads the outermost assignment",
         7, kSelfCallingPair, "65\nb\n130\n130"},
        {"the same pairs before SWF 7", 6, kSelfCallingPair, "1\nb\n2\n2"},
        {"addProperty over a watched plain property: the watcher's answer is kept, a pair put "
         "over a pair calls none; unwatch fails on a pair until it is deleted", 7,
         R"(push "o", "x", 1, 1; initObject; setVariable)" + Watch("o", "x") +
             getterSetterPair.substr(getterSetterPair.find("function")) +
             R"(push "set"; getVariable; push "get"; getVariable; push "x", 3, "o"; getVariable
                push "addProperty"; callMethod; pop
                push "x", 1, "o"; getVariable; push "unwatch"; callMethod; trace
                push "o"; getVariable; push "x", 2; setMember
                push "o"; getVariable; push "x"; delete; pop
                push "x", 1, "o"; getVariable; push "unwatch"; callMethod; trace)",
         "watch x old 1 new undefined\nfalse\nwatch x old undefined! new 2\nset 2!\ntrue"},
        {"unwatch answers whether there was a watch, and the watcher runs no more", 8,
         R"(push "o", "x", 1, 1; initObject; setVariable)" + Watch("o", "x") +
             R"(push "x", 1, "o"; getVariable; push "unwatch"; callMethod; trace
                push "x", 1, "o"; getVariable; push "unwatch"; callMethod; trace
                push "o"; getVariable; push "x", 3; setMember
                push "o"; getVariable; push "x"; getMember; trace)",
         "true\nfalse\n3"},
    };
    avm1test::ExpectTraces(cases);
}

}  // namespace
