// The interpreter's language core: each script runs as the first frame of a movie of the
// given version, and what it traces must be what the original player prints.

#include <gtest/gtest.h>

#include "ScriptRun.h"

namespace {

using avm1test::ExpectTraces;
using avm1test::Joined;
using avm1test::RunScript;

const std::vector<avm1test::ScriptCase> kCases = {
    {"arithmetic and concatenation", 8,
     R"(push 1, 2; add2; trace
        push "1", 2; add2; trace
        push 7, 2; modulo; trace
        push 1, 3; divide; trace
        push 0.1, 0.2; add2; trace
        push 1, 0; divide; trace
        push -1, 0; divide; trace
        push 0, 0; divide; trace)",
     "3\n12\n1\n0.333333333333333\n0.3\nInfinity\n-Infinity\nNaN"},
    {"swf 4 arithmetic", 4,
     R"(push "2", "3"; add; trace
        push 1, 0; divide; trace
        push 0; not; trace
        push 2, 3; less; trace)",
     "5\n#ERROR#\n1\n1"},
    {"undefined by version", 6, R"(push "a"; push "x"; getVariable; add2; trace)", "a"},
    {"undefined by version", 7, R"(push "a"; push "x"; getVariable; add2; trace)", "aundefined"},
    {"names ignore case before 7", 6,
     R"(push "Abc", 1; setVariable; push "aBC"; getVariable; trace)", "1"},
    {"names keep case from 7", 7,
     R"(push "Abc", 1; setVariable; push "aBC"; getVariable; trace)", "undefined"},
    {"functions, locals and closures", 8,
     R"(function "outer" (n) {
            push "k", 10; defineLocal
            function (m) { push "k"; getVariable; push "m"; getVariable; add2; return }
            return
        }
        push 5, 1, "outer"; callFunction
        storeRegister 1; pop
        push 1, 1, r:1, undefined; callMethod; trace
        push "k"; getVariable; trace
        function "setter" () { push "free", "set"; setVariable }
        push 0, "setter"; callFunction; pop
        push "free"; getVariable; trace)",
     "11\nundefined\nset"},
    {"define function 2 registers and preloads", 8,
     R"(function2 "f" (r:3="a", "b") flags=preloadThis|preloadArguments regs=4 {
            push r:3, "b"; getVariable; add2; push r:2; push "length"; getMember; add2; return
        }
        push 3, 2, 2, "f"; callFunction; trace)",
     "7"},
    {"exceptions cross calls and finally runs", 8,
     R"(function "thrower" () { push "boom"; throw }
        try catch="e" {
            push 0, "thrower"; callFunction; pop
            push "not reached"; trace
        } catch {
            push "caught "; push "e"; getVariable; add2; trace
        } finally {
            push "finally"; trace
        }
        push "after"; trace)",
     "caught boom\nfinally\nafter"},
    {"an uncaught exception ends the script with the warning", 8,
     R"(push "before"; trace; push "Oh no!"; throw; push "after"; trace)",
     "before\nWarning: Uncaught exception, Oh no!"},
    {"with finds members first", 8,
     R"(push "x", "outer"; setVariable
        push "x", "inner", 1; initObject
        with { push "x"; getVariable; trace }
        push "x"; getVariable; trace)",
     "inner\nouter"},
    {"loops and comparisons", 8,
     R"(push "i", 0; setVariable
        loop:
        push "i"; getVariable; push 3; less2; not; if done
        push "i"; getVariable; trace
        push "i"; push "i"; getVariable; increment; setVariable
        jump loop
        done:
        push "a", "b"; less2; trace
        push 1, "x"; less2; trace)",
     "0\n1\n2\ntrue\nundefined"},
    {"enumeration visits an object literal in its written order", 8,
     R"(push "a", 1, "b", 2, "c", 3, 3; initObject; storeRegister 1; pop
        push r:1; enumerate2
        next:
        pushDuplicate; push null; equals2; if end
        trace; jump next
        end: pop)",
     "a\nb\nc"},
    {"prototypes, instanceof and super", 8,
     R"(function "Base" () { push "this"; getVariable; push "kind", "base"; setMember }
        function "Sub" () { push 0, "super"; callFunction; pop }
        push "Sub"; getVariable; push "Base"; getVariable; extends
        push "Base"; getVariable; push "prototype"; getMember; push "hello"
        function () { push "hi from "; push "this"; getVariable; push "kind"; getMember; add2; return }
        setMember
        push 0, "Sub"; newObject; storeRegister 1; pop
        push 0, r:1, "hello"; callMethod; trace
        push r:1; push "Base"; getVariable; instanceOf; trace
        push r:1; push "Sub"; getVariable; instanceOf; trace)",
     "hi from base\ntrue\ntrue"},
    {"getters, setters and __resolve", 8,
     R"(push 0, "Object"; newObject; storeRegister 1; pop
        function "get" () { push 42; return }
        function "set" (v) { push "set to "; push "v"; getVariable; add2; trace }
        push "set"; getVariable; push "get"; getVariable; push "p", 3, r:1, "addProperty"; callMethod; pop
        push r:1, "p"; getMember; trace
        push r:1, "p", 7; setMember
        push r:1, "__resolve"
        function (name) { push "no "; push "name"; getVariable; add2; return }
        setMember
        push r:1, "q"; getMember; trace)",
     "42\nset to 7\nno q"},
    {"typeof", 8,
     R"(push 1; typeOf; trace; push "s"; typeOf; trace; push true; typeOf; trace
        push null; typeOf; trace; push undefined; typeOf; trace
        push 0, "Object"; newObject; typeOf; trace
        function () { }
        typeOf; trace
        push "_root"; getVariable; typeOf; trace)",
     "number\nstring\nboolean\nnull\nundefined\nobject\nfunction\nmovieclip"},
    {"recursion stops at the player's depth without a word", 8,
     R"(function "down" () { push 0, "down"; callFunction; return }
        try catch="e" { push 0, "down"; callFunction; pop } catch { push "caught"; trace }
        push "not reached"; trace)",
     ""},
    {"a frame calling itself stops at the same depth", 8,
     R"(push "n"; getVariable; push undefined; strictEquals; not; if again
        push "n", 1; setVariable
        push "once"; trace
        again: push "1"; call
        push "not reached"; trace)",
     "once"},
    {"a looped prototype chain ends the script", 8,
     R"(push "o", 0; initObject; setVariable
        push "o"; getVariable; push "__proto__"; push "o"; getVariable; setMember
        push "o"; getVariable; push "p", 1; setMember
        push "o"; getVariable; push "p"; getMember; trace
        push "o"; getVariable; push "missing"; getMember; trace
        push "not reached"; trace)",
     "1"},
    {"getters nest 65 deep, then read undefined", 8,
     R"(push "n", 0; setVariable
        push 0, "Object"; newObject; storeRegister 1; pop
        function "get" () {
            push "n"; push "n"; getVariable; increment; setVariable
            push "o"; getVariable; push "p"; getMember; return
        }
        push "o", r:1; setVariable
        push null; push "get"; getVariable; push "p", 3, r:1, "addProperty"; callMethod; pop
        push r:1, "p"; getMember; trace
        push "n"; getVariable; trace)",
     "undefined\n65"},
    {"swf 4 comparisons give numbers, its functions follow swf 5", 4,
     R"(push 1, 1; equals2; trace
        push 1, 2; less2; trace
        function "f" () { push 1, 1; equals2; trace; push 4, 0; divide; trace }
        push 0, "f"; callFunction; pop)",
     "1\n1\ntrue\nInfinity"},
    {"Object and Function called without new", 8,
     R"(push 0, "Object"; callFunction; storeRegister 1; trace
        push r:1; typeOf; trace
        push r:1, "__proto__"; getMember; trace
        push 0, "Function"; callFunction; trace
        push true, 1, "Function"; callFunction; trace
        push 2, 1, 2, "Function"; callFunction; trace)",
     "[type Object]\nobject\nundefined\n[type Object]\ntrue\n1"},
    {"this may be assigned, for the rest of the run", 8,
     R"(function "f" () { push "this", 1234; setVariable; push "this"; getVariable; typeOf; trace }
        push "this", "test"; setVariable
        push "this"; getVariable; trace
        push 0, "f"; callFunction; pop
        push "this"; getVariable; trace)",
     "test\nnumber\ntest"},
    {"an object literal wider than the stack makes nothing", 8,
     R"(push "a", "b", "c", d:4294967297; initObject; trace; trace; trace; trace)",
     "undefined\nc\nb\na"},
    {"the main timeline has no parent register: _global takes it", 8,
     R"(function2 "f" () flags=suppressThis|suppressArguments|suppressSuper|preloadParent|preloadGlobal regs=3 {
            push r:1; trace; push r:2; trace
        }
        push 0, "f"; callFunction; pop)",
     "[type Object]\nundefined"},
    {"DefineFunction2 code past its registers reaches the frame's", 8,
     R"(push 3; storeRegister 3; pop
        function2 "f" () flags=suppressThis|suppressArguments|suppressSuper regs=2 {
            push r:3; trace; push 9; storeRegister 3; pop
        }
        push 0, "f"; callFunction; pop
        push r:3; trace)",
     "3\n9"},
    {"a preload takes its register even when suppressed", 8,
     R"(function2 "f" () flags=preloadThis|suppressThis|preloadArguments|suppressArguments regs=3 {
            push r:1; trace; push r:2; trace
        }
        push 7, 1, "f"; callFunction; pop)",
     "undefined\n7"},
    {"a function is called on the scope object it was found on", 8,
     R"(push "name", "timeline"; setVariable
        function "who" () { push "this"; getVariable; push "name"; getMember; trace }
        push 0, "who"; callFunction; pop
        push "name", "with object", "who"; push "who"; getVariable; push 2; initObject
        with { push 0, "who"; callFunction; pop }
        function "outer" () {
            function "inner" () { push "this"; getVariable; push "name"; getMember; trace }
            push 0, "inner"; callFunction; pop
        }
        push 0, "outer"; callFunction; pop)",
     "timeline\nwith object\nundefined"},
    {"super is above the prototype of the method's object", 8,
     R"(push "f"
        function () { push "super"; getVariable; trace }
        push 1; initObject; storeRegister 1; pop
        push 0, r:1, "f"; callMethod; pop
        function "A" () { }
        function "B" () { }
        push "B"; getVariable; push "A"; getVariable; extends
        push "B"; getVariable; push "prototype"; getMember; push "g"
        function () { push "super"; getVariable; trace }
        setMember
        push 0, "B"; newObject; storeRegister 2; pop
        push 0, r:2, "g"; callMethod; pop)",
     "[type Object]\n[object Object]"},
    {"swf 5 functions close over nothing", 5,
     R"(function "f" () {
            push "foo", "f"; defineLocal
            function () { push "foo"; getVariable; trace }
            return
        }
        push "foo", "root"; setVariable
        push 0, "f"; callFunction; storeRegister 1; pop
        push 0, r:1, undefined; callMethod; pop)",
     "root"},
    {"later functions do", 6,
     R"(function "f" () {
            push "foo", "f"; defineLocal
            function () { push "foo"; getVariable; trace }
            return
        }
        push "foo", "root"; setVariable
        push 0, "f"; callFunction; storeRegister 1; pop
        push 0, r:1, undefined; callMethod; pop)",
     "f"},
    {"swf 5 finds no this where it was preloaded", 5,
     R"(function2 "f" () flags=preloadThis regs=2 { push r:1; trace; push "this"; getVariable; trace }
        push 0, "f"; callFunction; pop)",
     "_level0\nundefined"},
    {"tellTarget moves variables to the target; a bad path leaves none", 7,
     R"(push "x", "root"; setVariable
        push 1, "c", 2, "this"; getVariable; push "createEmptyMovieClip"; callMethod; pop
        setTarget "c"
        push "x", "in c"; setVariable
        push "", 11; getProperty; trace
        setTarget ""
        push "x"; getVariable; trace
        push "c"; getVariable; push "x"; getMember; trace
        setTarget "nothing"
        push "", 13; getProperty; trace
        push "x"; getVariable; trace
        setTarget "")",
     "/c\nroot\nin c\nundefined\nroot"},

    // call and apply take a missing, undefined or null `this` as _global; a primitive is boxed
    // through the global class of its type as it is now (a script's function runs as its
    // constructor), and is _global when that global is no function.
    {"the this of call and apply", 8,
     R"(function "me" () { push "this"; getVariable; return }
        push "_global"; getVariable; storeRegister 1; pop
        push 0, "me"; getVariable; push "call"; callMethod; push r:1; strictEquals; trace
        push null, 1, "me"; getVariable; push "apply"; callMethod; push r:1; strictEquals; trace
        push undefined, 1, "me"; getVariable; push "call"; callMethod; push r:1; strictEquals; trace
        push 5, 1, "me"; getVariable; push "call"; callMethod; typeOf; trace
        function "MyNumber" (v) { push "made of "; push "v"; getVariable; add2; trace }
        push "_global"; getVariable; push "Number", "MyNumber"; getVariable; setMember
        push 5, 1, "me"; getVariable; push "call"; callMethod; push "__constructor__"; getMember
        push "MyNumber"; getVariable; strictEquals; trace
        push "_global"; getVariable; push "Number", "text"; setMember
        push 5, 1, "me"; getVariable; push "call"; callMethod; push r:1; strictEquals; trace
        push 5, "toString"; getMember; typeOf; trace)",
     "true\ntrue\ntrue\nobject\nmade of 5\ntrue\ntrue\nundefined"},

    {"endless loops stop", 8, R"(loop: jump loop)",
     "Error: the script ran too long in one frame (more than 5,000,000 actions); the script was "
     "stopped."},
};

TEST(Interpreter, ScriptsTraceWhatTheOriginalPrints) {
    ExpectTraces(kCases);
}

TEST(Interpreter, HostileBytecodeEndsQuietly) {
    // Cut records, jumps out of the block, bad registers and pools, an unbalanced stack.
    const char* scripts[] = {
        "push r:200; trace; push c:9; trace; pop; pop; pop; trace",
        "jump 30000; push \"x\"; trace",
        "push 1; if -30000; push \"y\"; trace",  // a branch out of the block ends it
        "push 99999999, \"Array\"; newObject; pop; push \"z\"; trace",
    };
    std::string all;
    for (const char* s : scripts) all += Joined(RunScript(s)) + "|";
    EXPECT_EQ(all, "undefined\nundefined\nundefined|||z|");
}

}  // namespace
