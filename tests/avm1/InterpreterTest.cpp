// The interpreter's language core: each script runs as the first frame of a movie of the
// given version, and what it traces must be what the original player prints.

#include <gtest/gtest.h>

#include "ScriptRun.h"
#include "support/ActionBuilder.h"

namespace {

using avm1test::ExpectTraces;
using avm1test::Joined;
using avm1test::RunScript;

// A method of a subclass reads super; then whether the class holds its own constructor.
const char* kSuperAndConstructor = R"(function "A" () { }; function "B" () { }
    push "B"; getVariable; push "A"; getVariable; extends; push "B"; getVariable; push "prototype"
    getMember; push "g"; function () { push "super"; getVariable; typeOf; trace }; setMember
    push 0, "B"; newObject; push "g"; callMethod; pop
    push "constructor", 1, "B"; getVariable; push "hasOwnProperty"; callMethod; trace
    push "B"; getVariable; push "prototype"; getMember; push "__constructor__"; getMember
    typeOf; trace)";

// Equality of objects: a String and a Number object of the same figures, the Number
// prototype and undefined, two plain objects.
const char* kObjectEquality = R"(push "12", 1, "String"; newObject; push 12, 1, "Number"; newObject
    equals2; trace
    push "Number"; getVariable; push "prototype"; getMember; push undefined; equals2; trace
    push 0; initObject; push 0; initObject; equals2; trace)";

// The TextField class: its prototype, a method on it, and what an instance inherits from.
const char* kTextFieldClass = R"(push "TextField"; getVariable; push "prototype"; getMember
    typeOf; trace
    push "o", 0, "TextField"; newObject; setVariable
    push "o"; getVariable; push "getTextFormat"; getMember; typeOf; trace
    push "o"; getVariable; push "__proto__"; getMember; typeOf; trace)";

// C.prototype = new B(), B.prototype = new A(); only A and B have who(), B's calling
// super.who(). Which super B's method sees depends on the version.
const char* kInheritedSuperCall = R"(function "A" () { }
    function "B" () { }
    function "C" () { }
    push "A"; getVariable; push "prototype"; getMember; push "who"
    function () { push "A"; return }
    setMember
    push "B"; getVariable; push "prototype", 0, "A"; newObject; setMember
    push "B"; getVariable; push "prototype"; getMember; push "who"
    function () { push 0, "super"; getVariable; push "who"; callMethod; push ".B"; add2; return }
    setMember
    push "C"; getVariable; push "prototype", 0, "B"; newObject; setMember
    push 0, "C"; newObject; storeRegister 2; pop
    push 0, r:2, "who"; callMethod; trace)";

const char* kSkippingSuperCall = R"(function "A" () { }; function "B" () { }; function "C" () { }
    function "F" () { }; push "A"; getVariable; push "prototype"; getMember; push "__proto__", "F"
    getVariable; push "prototype"; getMember; setMember; push "F"; getVariable; push "prototype"
    getMember; push "who"; function () { push 0, "super"; getVariable; push "who"; callMethod
                                         push "F"; add2; return }
    setMember; push "B"; getVariable; push "prototype", 0, "A"; newObject; setMember
    push "C"; getVariable; push "prototype", 0, "B"; newObject; setMember
    push "C"; getVariable; push "prototype"; getMember; push "who"
    function () { push 0, "super"; getVariable; push "who"; callMethod; push "C"; add2; return }
    setMember; push 0; push 0, "C"; newObject; push "who"; callMethod; trace)";

// Fourteen with blocks, one in another, each counting itself in n.
std::string nestedWiths() {
    std::string level = "push \"o\"; getVariable; with { push \"n\", \"n\"; getVariable\n";
    std::string script = "push \"n\", 0; setVariable\npush \"o\", 0; initObject; setVariable\n";
    for (int i = 0; i < 14; ++i) script += level + "increment; setVariable\n";
    return script + std::string(14, '}') + "\npush \"n\"; getVariable; trace";
}

const std::vector<avm1test::ScriptCase> kCases = {
    {"a fourteenth with block inside thirteen is skipped", 6, nestedWiths(), "13"},
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
        push 1, "x"; less2; trace
        push "", "0"; less2; trace
        push "o", 0; initObject; setVariable
        push "o"; getVariable; push "valueOf"; function () { push "_root"; getVariable; return }
        setMember
        push "_root"; getVariable; push "o"; getVariable; equals2; trace)",
     "0\n1\n2\ntrue\nundefined\nfalse\ntrue"},
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
    {"super() of a native class gives the instance its value; an instance does not", 8,
     R"(function "Yes" (v) { push "v"; getVariable; push 1, "super"; callFunction; pop }
        push "Yes"; getVariable; push "Boolean"; getVariable; extends
        push 42, 1, "Yes"; newObject; trace
        function "Later" () {}
        push "Later"; getVariable; push "prototype", 0, "Date"; newObject; setMember
        push 0, 0, "Later"; newObject; push "getYear"; callMethod; trace)",
     "true\nundefined"},
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
    {"a NaN equals itself passed on, no other NaN; NaN and Number.NaN are one", 8,
     R"(push "z", 0, 0; divide; setVariable
        push "z"; getVariable; push "z"; getVariable; equals2; trace
        push "z"; getVariable; push "NaN"; getVariable; equals2; trace
        push "NaN"; getVariable; push "Number"; getVariable; push "NaN"; getMember; strictEquals
        trace
        push "NaN", "NaN"; getVariable; equals2; trace
        push 0, 0; divide; push 0, 0; divide; strictEquals; trace)",
     "true\nfalse\ntrue\nfalse\nfalse"},
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
    {"a new function takes its prototype and constructor from _global.Function as it is then", 8,
     R"(push "_global"; getVariable; push "Function"; function () { }; setMember; push "Function"
        getVariable; push "prototype", "p", "hi", 1; initObject; setMember; function "u" () { }
        push "u"; getVariable; push "p"; getMember; trace; push "u"; getVariable; push "constructor"
        getMember; push "Function"; getVariable; strictEquals; trace; push "Function"; getVariable
        push "prototype", 8; setMember; push 0, 1, 2, "ASnative"; callFunction; push "__proto__"
        getMember; trace; push "_global"; getVariable; push "Function", 8; setMember
        function "v" () { }; push "v"; getVariable; push "constructor"; getMember; trace)",
     "hi\ntrue\n8\nundefined"},
    {"a clip in the prototype chain lends nothing, nor what is above it", 8,
     R"(push "_root"; getVariable; push "b", "hi"; setMember; push "n", 0; initObject; setVariable
        push "n"; getVariable; push "__proto__", "_root"; getVariable; setMember; push "n"
        getVariable; push "b"; getMember; trace; push "n"; getVariable; push "_x"; getMember; trace
        push "n"; getVariable; push "__proto__"; getMember; push "b"; getMember; trace)",
     "undefined\nundefined\nhi"},
    {"a script's pair without a setter keeps what is assigned, for its getter past the bound", 8,
     R"(push "o", 0; initObject; setVariable; push null; function () { push "this"; getVariable
        push "p"; getMember; return }; push "p", 3, "o"; getVariable; push "addProperty"; callMethod
        pop; push "o"; getVariable; push "p", 5; setMember; push "o"; getVariable; push "p"; getMember
        trace)",
     "5"},
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
    {"super came with SWF 6", 5, kSuperAndConstructor, "undefined\nundefined\nundefined"},
    {"SWF 6 has super; a script's function holds its constructor", 6, kSuperAndConstructor,
     "object\ntrue\nfunction"},
    {"up to SWF 6 super is above the object's own prototype", 6, kInheritedSuperCall, "A.B.B"},
    {"from SWF 7 super is above where the method was found", 7, kInheritedSuperCall, "A.B"},
    {"from SWF 7 a method found two prototypes past super's (F's) runs from the one between", 7,
     kSkippingSuperCall, "undefinedFFC"},
    {"SWF 5 compares objects by their values", 5, kObjectEquality, "true\ntrue\nfalse"},
    {"SWF 6 compares objects by identity", 6, kObjectEquality, "false\nfalse\nfalse"},
    {"SWF 5 sees TextField without prototype or methods", 5, kTextFieldClass,
     "undefined\nundefined\nobject"},
    {"SWF 6 sees TextField's prototype", 6, kTextFieldClass, "object\nfunction\nobject"},
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
    {"tellTarget moves variables to the target; a bad path or an object leaves none", 7,
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
        setTarget ""
        push "o", 0; initObject; setVariable
        setTarget "o"
        push "_target"; getVariable; trace
        setTarget "")",
     "/c\nroot\nin c\nundefined\nroot\n/"},

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

    {"a call or new of a primitive with no method name boxes it, then answers undefined", 8,
     R"(push "_global"; getVariable; push "String"
        function (v) { push "boxed "; push "v"; getVariable; add2; trace }
        setMember
        push 0, "text", undefined; callMethod; trace
        push 0, "again", ""; newMethod; trace
        push 0, 5, undefined; callMethod; trace)",
     "boxed text\nundefined\nboxed again\nundefined\nundefined"},

    {"endless loops stop", 8, R"(loop: jump loop)",
     "Error: the script ran too long in one frame (more than 5,000,000 actions); the script was "
     "stopped."},
};

TEST(Interpreter, ScriptsTraceWhatTheOriginalPrints) {
    ExpectTraces(kCases);
}

// "ctor implements iface, ...": ImplementsOp's pushes.
std::string Implements(const std::string& ctor, const std::vector<std::string>& interfaces) {
    std::string code;
    for (const std::string& i : interfaces) code += "push " + i + "; getVariable\n";
    return code + "push " + std::to_string(interfaces.size()) + ", " + ctor +
           "; getVariable; implementsOp\n";
}

// Traces `o instanceof <name>`.
std::string IsA(const std::string& name) {
    return "push \"o\"; getVariable; push " + name + "; getVariable; instanceOf; trace\n";
}

// instanceof reads the constructor's own "prototype" as stored (no getter, nothing inherited;
// a primitive boxed by the global class) and looks for it on the object's chain and among
// the interfaces of each prototype there. A class takes its interfaces once, each by the
// prototype it has then: a plain object, else nothing that matches.
TEST(Interpreter, InstanceofAndImplements) {
    const std::string classes = R"(function "A" () { }
        function "B" () { }
        function "C" () { }
        function "D" () { }
        function "X" () { }
    )";
    const std::string makeO = "push \"o\", 0, \"C\"; newObject; setVariable\n";
    const std::string getter =
        R"(push null; function () { push "getter ran"; trace; push 1; return }
           push "prototype", 3)";
    const std::vector<avm1test::ScriptCase> cases = {
        {"the chain of the object, and only an own prototype", 7,
         classes + R"(push "C"; getVariable; push "B"; getVariable; extends
            push "P", "__proto__"; push "C"; getVariable; push 1; initObject; setVariable
            push "N", "prototype", 5, 1; initObject; setVariable)" + "\n" + makeO +
             IsA("\"C\"") + IsA("\"B\"") + IsA("\"Object\"") + IsA("\"A\"") + IsA("\"P\"") +
             IsA("\"N\"") + IsA("\"nothing\""),
         "true\ntrue\ntrue\nfalse\nfalse\nfalse\nfalse"},
        {"no getter runs: the value the getter replaced counts", 7,
         classes + Implements("\"C\"", {"\"A\""}) + makeO + getter +
             R"(; push "A"; getVariable; push "addProperty"; callMethod; pop
            )" + getter + R"(; push "C"; getVariable; push "addProperty"; callMethod; pop
            )" + IsA("\"A\"") + IsA("\"C\""),
         "true\ntrue"},
        {"an interface counts by the prototype it had when implemented", 7,
         classes + R"(push "old"; push "A"; getVariable; push "prototype"; getMember; setVariable
            )" + Implements("\"C\"", {"\"A\""}) + R"(push "A"; getVariable; push "prototype", 0; initObject; setMember
            push "H", "prototype"; push "old"; getVariable; push 1; initObject; setVariable
            )" + makeO + IsA("\"A\"") + IsA("\"H\""),
         "false\ntrue"},
        {"a class takes its interfaces once; none given leaves it open; undefined holds a place", 7,
         classes + Implements("\"C\"", {}) + Implements("\"C\"", {"\"A\""}) +
             Implements("\"C\"", {"\"B\""}) + "push undefined, 1, \"D\"; getVariable; implementsOp\n" +
             Implements("\"D\"", {"\"A\""}) + makeO + IsA("\"A\"") + IsA("\"B\"") +
             R"(push "o", 0, "D"; newObject; setVariable)" + "\n" + IsA("\"A\""),
         "true\nfalse\nfalse"},
        {"a clip or a primitive as an interface's prototype matches nothing; a clip's own "
         "prototype member counts", 7,
         classes + R"(push 1, "m", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod
            push "M"; stackSwap; setVariable
            push "M"; getVariable; push "prototype"; push "B"; getVariable; push "prototype"
            getMember; setMember
            push "R", "prototype", "_root"; getVariable; push 1; initObject; setVariable
            push "S", "prototype", "text", 1; initObject; setVariable
            )" + Implements("\"C\"", {"\"R\"", "\"S\"", "\"M\""}) + makeO + IsA("\"R\"") +
             IsA("\"B\"") + IsA("\"M\""),
         "false\ntrue\ntrue"},
        {"SWF 5: new TextField() is one by the prototype hidden from the version", 5,
         "push \"o\", 0, \"TextField\"; newObject; setVariable\n" + IsA("\"TextField\""), "true"},
        {"a primitive prototype is boxed by whatever the global class is now", 7,
         classes + R"(push "_global"; getVariable; push "String"
            function (v) { push "boxed "; push "v"; getVariable; add2; trace }
            setMember
            push "S", "prototype", "text", 1; initObject; setVariable
            )" + makeO + IsA("\"S\""),
         "boxed text\nfalse"},
        {"interfaces of interfaces count, their __proto__ chains do not, a loop ends", 7,
         classes + Implements("\"A\"", {"\"X\""}) + Implements("\"C\"", {"\"A\""}) +
             Implements("\"X\"", {"\"A\""}) +
             R"(push "X"; getVariable; push "prototype"; getMember; push "__proto__"
            push "B"; getVariable; push "prototype"; getMember; setMember
            )" + makeO + IsA("\"X\"") + IsA("\"B\"") + IsA("\"D\""),
         "true\nfalse\nfalse"},
        {"a cast answers the object or null by the same rule", 7,
         classes + Implements("\"C\"", {"\"A\""}) + makeO +
             R"(push "A"; getVariable; push "o"; getVariable; castOp; push "o"; getVariable
            strictEquals; trace
            push "B"; getVariable; push "o"; getVariable; castOp; trace)",
         "true\nnull"},
    };
    ExpectTraces(cases);
}

// Calls nest as deep as the movie's ScriptLimits allows, the action list counted as one level
// (256 without the tag); past that the list ends and the next frame's scripts run.
TEST(Interpreter, RecursionStopsAtTheMoviesLimit) {
    using swftest::ActionBuilder;
    // Below two the engine keeps two levels, for the events the host calls.
    const std::pair<int, int> limitsAndCalls[] = {{-1, 255}, {5, 4}, {2, 1}, {0, 1}};
    for (const auto& [limit, calls] : limitsAndCalls) {
        SCOPED_TRACE(limit);
        swftest::SwfWriter movie;
        movie.version(7);
        if (limit >= 0) {
            const uint8_t body[] = {uint8_t(limit), 0, 10, 0};
            movie.tag(65, body);
        }
        movie.doAction(ActionBuilder::assemble(R"(push "n", 0; setVariable
                  function "down" () { push "n"; push "n"; getVariable; increment; setVariable
                                       push 0, "down"; callFunction }
                  try catch="e" { push 0, "down"; callFunction; pop } catch { push "caught"; trace }
                  push "not reached"; trace)"))
            .showFrame()
            .doAction(ActionBuilder::assemble(R"(push "n"; getVariable; trace)"))
            .showFrame();
        EXPECT_EQ(avm1test::Joined(avm1test::RunMovie(movie, 2)), std::to_string(calls));
    }
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
