// Conversions of objects to numbers and text (which method runs, how often and in which
// order), __resolve and super, and `var` with paths: traces the original player prints.

#include <gtest/gtest.h>

#include "ScriptRun.h"

namespace {

// An object whose valueOf (or toString) traces `name` and answers `result`.
std::string noisy(const std::string& name, const std::string& method, const std::string& result) {
    return "push \"" + name + "\", \"" + method + "\"; function () { push \"" + name +
           "\"; trace; push " + result + "; return }; push 1; initObject; setVariable\n";
}

const std::string kBoth =
    R"(push "o", "valueOf"; function () { push "v"; trace; push 0; initObject; return }
       push "toString"; function () { push "s"; trace; push 5; return }
       push 2; initObject; setVariable
)";

const std::vector<avm1test::ScriptCase> kCases = {
    {"startDrag reads the limits only when its constrain flag is 1, else leaves them stacked", 8,
     noisy("a", "valueOf", "5") + noisy("c", "valueOf", "2") + noisy("d", "valueOf", "1") +
         R"(push "a"; getVariable; push "c"; getVariable; push "d"; getVariable; push "t"; startDrag
            push 0, "d"; getVariable; push true, "t"; startDrag)", "d\nc\nd\na"},
    {"a valueOf giving an object runs again for the number; toString must give text", 8,
     kBoth + R"(push "o"; getVariable; push 1; add2; trace
                push "x"; push "o"; getVariable; add2; trace)",
     "v\nv\nNaN\nv\ns\nx[type Object]"},
    {"trace of an object whose toString throws prints its name for an object; the error goes on",
     8,
     R"(push "o", "toString"; function () { push "no"; throw }; push 1; initObject; setVariable
        try catch="e" { push "o"; getVariable; trace }
        catch { push "caught "; push "e"; getVariable; add2; trace })",
     "[type Object]\ncaught no"},
    {"setProperty converts the value as its property would, with no target or read-only", 8,
     R"(push "v", "valueOf"; function () { push "v"; trace; push 1; return }; push 1; initObject
        setVariable
        push "t", "toString"; function () { push "t"; trace; push "x"; return }; push 1
        initObject; setVariable
        push "nowhere", 0, "v"; getVariable; setProperty
        push "nowhere", 13, "t"; getVariable; setProperty
        push "", 5, "v"; getVariable; setProperty
        push "", 15, "v"; getVariable; setProperty)",
     "v\nt\nv"},
    {"setProperty leaves the property alone for a text that is no number, in SWF 4 code too", 4,
     R"(push "", 0, 100; setProperty; push "", 0, "nope"; setProperty; push "", 6, "nope"
        setProperty; push "", 0; getProperty; push "", 6; getProperty; add; trace)",
     "200"},
    {"an object whose valueOf is no function stands for undefined", 7,
     R"(push "o", "valueOf", undefined, 1; initObject; setVariable
        push "x"; push "o"; getVariable; add2; trace
        push "o"; getVariable; push 1; add2; trace)",
     "xundefined\nNaN"},
    {"an object whose valueOf is no function stands for undefined", 5,
     R"(push "o", "valueOf", undefined, 1; initObject; setVariable
        push "x"; push "o"; getVariable; add2; trace
        push "o"; getVariable; push 1; add2; trace)",
     "x\n1"},
    {"conversions look past __resolve", 7,
     R"(push "o", "__proto__", null, "__resolve"
        function (n) { push "r"; trace; push "String"; getVariable; return }
        push 2; initObject; setVariable
        push "o"; getVariable; push 1; add2; trace
        push "o"; getVariable; trace)",
     "NaN\n[type Object]"},
    {"__resolve: the first on the chain that holds an object; one from addProperty says nothing", 7,
     R"(push "P", "__resolve"; function (n) { push "p:"; push "n"; getVariable; add2; return }
        push 1; initObject; setVariable
        push "o", "__proto__"; push "P"; getVariable; push "__resolve", 42, 2; initObject; setVariable
        push "o"; getVariable; push "x"; getMember; trace
        push "o"; getVariable; push "__resolve"; push "_root"; getVariable; setMember
        push "o"; getVariable; push "y"; getMember; trace
        push "o"; getVariable; push "__resolve"; push 0; initObject; setMember
        push "o"; getVariable; push "z"; getMember; trace
        push "q", 0; initObject; setVariable
        push null; function () { push "r"; return }; push "__resolve", 3, "q"; getVariable
        push "addProperty"; callMethod; pop
        push "q"; getVariable; push "w"; getMember; trace)",
     "p:x\np:y\nundefined\nundefined"},
    {"super passes a clip in the chain by, and super() looks past __resolve", 7,
     R"(push "o", 0; initObject; setVariable
        push "o"; getVariable; push "__proto__"; push "_root"; getVariable; setMember
        push "_root"; getVariable; push "f"; function () { push "root f"; return }; setMember
        push "o"; getVariable; push "g"
        function () { push 0, "super"; getVariable; push "f"; callMethod; return }; setMember
        push 0, "o"; getVariable; push "g"; callMethod; trace
        push "P", "__resolve"
        function (n) { push "resolved"; trace; push "Object"; getVariable; return }
        push 1; initObject; setVariable
        push "q", "__proto__"; push "P"; getVariable; push 1; initObject; setVariable
        push "q"; getVariable; push "h"
        function () { push 0, "super"; getVariable; push undefined; callMethod; return }; setMember
        push 0, "q"; getVariable; push "h"; callMethod; trace)",
     "undefined\nundefined"},
    {"isNaN of nothing is true; of undefined it follows the version", 6,
     R"(push 0, "isNaN"; callFunction; trace
        push undefined, 1, "isNaN"; callFunction; trace)",
     "true\nfalse"},
    {"less than: an object left an object is false at once, a clip is NaN", 6,
     noisy("a", "valueOf", "1") +
         R"(push 0; initObject; push "a"; getVariable; less2; trace
            push "a"; getVariable; push 0; initObject; less2; trace
            push 2; push "a"; getVariable; less2; trace
            push "this"; getVariable; push 1; less2; trace)",
     "false\na\nfalse\na\nfalse\nundefined"},
    {"the SWF 4 operators convert in the player's order", 8,
     noisy("a", "valueOf", "5") + noisy("b", "valueOf", "2") + noisy("c", "toString", "\"C\"") +
         noisy("d", "toString", "\"D\"") +
         R"(push "a"; getVariable; push "b"; getVariable; subtract; trace
            push "a"; getVariable; push "b"; getVariable; multiply; trace
            push "a"; getVariable; push "b"; getVariable; divide; trace
            push "a"; getVariable; push "b"; getVariable; equals; trace
            push "c"; getVariable; push "d"; getVariable; stringAdd; trace)",
     "b\na\n3\na\nb\n10\nb\na\n2.5\nb\na\nfalse\nd\nc\nCD"},
    {"a date's + takes its toString from SWF 6", 6,
     R"(push "d", 0, 1, "Date"; newObject; setVariable
        push "d"; getVariable; push "valueOf"; function () { push "v"; return }; setMember
        push "d"; getVariable; push "toString"; function () { push "s"; return }; setMember
        push "<"; push "d"; getVariable; add2; trace)",
     "<s"},
    {"a date's + takes its valueOf in SWF 5", 5,
     R"(push "d", 0, 1, "Date"; newObject; setVariable
        push "d"; getVariable; push "valueOf"; function () { push "v"; return }; setMember
        push "d"; getVariable; push "toString"; function () { push "s"; return }; setMember
        push "<"; push "d"; getVariable; add2; trace)",
     "<v"},
    {"a target operand that is an object names the path its text gives", 8,
     noisy("t", "toString", "\"/\"") + R"(push "t"; getVariable; push 4; getProperty; trace)",
     "t\n1"},
    {"var with a path outside functions sets the variable the path names", 6,
     R"(push "/:a", "A"; defineLocal
        push "_root"; getVariable; push "a"; getMember; trace
        push "/:c"; defineLocal2
        push "c", 1, "_root"; getVariable; push "hasOwnProperty"; callMethod; trace
        push "/nowhere/:d", "D"; defineLocal
        push "/nowhere/:d"; getVariable; trace)",
     "A\ntrue\nundefined"},
    {"var with a path in a function is a local of that very name", 6,
     R"(function "f" () {
            push "/:b", "B"; defineLocal
            push "_root"; getVariable; push "b"; getMember; trace
            function "g" () { push "this"; getVariable; push "/:b"; getMember; trace }
            push 0, "g"; callFunction; pop
        }
        push 0, "f"; callFunction; pop)",
     "undefined\nB"},
};

TEST(ConversionOrder, ScriptsTraceWhatTheOriginalPrints) {
    avm1test::ExpectTraces(kCases);
}

}  // namespace
