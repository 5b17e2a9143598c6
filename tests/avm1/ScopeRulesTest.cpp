// with blocks and the scope chain: what a name reads and where an assignment or a var goes,
// with objects, primitives, clips, nesting and functions made inside a block; paths. The expected
// lines are what the original player prints.

#include <gtest/gtest.h>

#include "ScriptRun.h"

namespace {

using avm1test::ScriptCase;

// o = {x: 1}
const char* kObject = R"(push "o", "x", 1, 1; initObject; setVariable
)";

TEST(ScopeRules, WithBlocksAndTheScopeChain) {
    const std::vector<ScriptCase> cases = {
        {"a with object answers first; assignments reach it only for names it has", 6,
         std::string(kObject) + R"(push "x", "outer"; setVariable
            push "o"; getVariable
            with { push "x"; getVariable; trace; push "x", 7; setVariable; push "y", 8; setVariable }
            push "o"; getVariable; push "x"; getMember; trace
            push "o"; getVariable; push "y"; getMember; trace
            push "x"; getVariable; trace
            push "y"; getVariable; trace)",
         "1\n7\nundefined\nouter\n8"},
        {"var in a frame script's with block goes to the timeline", 6,
         std::string(kObject) + R"(push "o"; getVariable; with { push "z", 9; defineLocal }
            push "o"; getVariable; push "z"; getMember; trace
            push "z"; getVariable; trace)",
         "undefined\n9"},
        {"var in a function's with block goes to the function's variables", 6,
         R"(function "g" () {
              push "o", "x", "o's", 1; initObject; defineLocal
              push "o"; getVariable
              with { push "x", 2; setVariable; push "w", 3; defineLocal }
              push "o"; getVariable; push "x"; getMember; trace
              push "o"; getVariable; push "w"; getMember; trace
              push "w"; getVariable; trace }
            push 0, "g"; callFunction; pop
            push "w"; getVariable; trace)",
         "2\nundefined\n3\nundefined"},
        {"a function made in a with block keeps the block's object", 6,
         R"(push "o", "x", "in o", 1; initObject; setVariable
            push "x", "outer"; setVariable
            push "o"; getVariable; with { function "f" () { push "x"; getVariable; trace } }
            push 0, "f"; callFunction; pop
            push "o"; getVariable; push "f"; getMember; typeOf; trace)",
         "in o\nundefined"},
        {"nested blocks: the inner object first", 8,
         R"(push "a", "x", "A", "y", "a", 2; initObject; setVariable
            push "b", "y", "B", 1; initObject; setVariable
            push "a"; getVariable
            with { push "b"; getVariable; with { push "x"; getVariable; trace
                                                push "y"; getVariable; trace } })",
         "A\nB"},
        {"a boxed number answers for its __proto__", 6,
         R"(push 4; with { push "__proto__"; getVariable; push "c", "three"; setMember }
            push "Number"; getVariable; push "prototype"; getMember; push "c"; getMember; trace)",
         "three"},
        {"primitives are boxed; undefined and null skip the block", 6,
         R"(push "abc"; with { push "length"; getVariable; trace }
            push undefined; with { push "undefined ran"; trace }
            push null; with { push "null ran"; trace }
            push 5; with { push "toString"; getVariable; typeOf; trace }
            push "after"; trace)",
         "3\nfunction\nafter"},
        {"an empty name past a name leads nowhere; a slash path names clips only", 7,
         std::string(kObject) + R"(push "o::x", "two"; setVariable
            push "o:::x", "three"; setVariable
            push "o"; getVariable; push "x"; getMember; trace
            push "o:x"; getVariable; trace
            push "o::::x"; getVariable; trace
            push "::o:x"; getVariable; trace
            push "p", "o", "o"; getVariable; push 1; initObject; setVariable
            push "p..o.x"; getVariable; trace
            push "/p"; getVariable; trace)",
         "two\ntwo\nundefined\ntwo\nundefined\nundefined"},
        {"a clip takes assignments to its own names, not inherited ones or children's", 8,
         R"(push 1, "mc", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop
            push 1, "kid", 2, "mc"; getVariable; push "createEmptyMovieClip"; callMethod; pop
            push "MovieClip"; getVariable; push "prototype"; getMember; push "up", 1; setMember
            push "mc"; getVariable; push "own", 1; setMember
            push "mc"; getVariable
            with { push "up", 2; setVariable; push "kid", 3; setVariable; push "own", 4; setVariable }
            push "mc"; getVariable; push "up"; getMember; trace
            push "up"; getVariable; trace
            push "mc"; getVariable; push "kid"; getMember; typeOf; trace
            push "kid"; getVariable; trace
            push "mc"; getVariable; push "own"; getMember; trace)",
         "1\n2\nmovieclip\n3\n4"},
        {"a clip: its properties and methods, this unchanged", 8,
         R"(push 1, "mc", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop
            push "mc"; getVariable
            with { push "_x", 5; setVariable; push "q", 3; setVariable
                   push 0, "getDepth"; callFunction; trace
                   push "_name"; getVariable; trace
                   push "this"; getVariable; trace }
            push "mc"; getVariable; push "_x"; getMember; trace
            push "mc"; getVariable; push "q"; getMember; trace
            push "q"; getVariable; trace)",
         "1\nmc\n_level0\n5\nundefined\n3"},
    };
    avm1test::ExpectTraces(cases);
}

}  // namespace
