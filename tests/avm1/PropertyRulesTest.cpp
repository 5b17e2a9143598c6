// Properties hidden by ASSetPropFlags' version bits, __proto__ by any case where names ignore
// case, what delete may remove, and a clip's children and a text field's display properties in
// for..in and hasOwnProperty. The expected
// lines are what the original player prints.

#include <gtest/gtest.h>

#include "ScriptRun.h"

namespace {

using avm1test::ScriptCase;

// b.m is a getter/setter pair ("got", and a setter that traces); a inherits from b and has
// its own m = 1, which the script hides with the flags it pushes as FLAGS.
const char* kHidden = R"(
    push "b", 0, "Object"; newObject; setVariable
    function "get" () { push "got"; return }
    function "set" (v) { push "setter "; push "v"; getVariable; add2; trace }
    push "set"; getVariable; push "get"; getVariable; push "m", 3, "b"; getVariable
    push "addProperty"; callMethod; pop
    push "a", "m", 1, 1; initObject; setVariable
    push "a"; getVariable; push "__proto__", "b"; getVariable; setMember
    push FLAGS, "m", "a"; getVariable; push 3, "ASSetPropFlags"; callFunction; pop
    push "a"; getVariable; push "m"; getMember; trace
    push "a"; getVariable; push "m", 2; setMember
    push "a"; getVariable; push "m"; getMember; trace
    push FLAGS, "m", "a"; getVariable; push 3, "ASSetPropFlags"; callFunction; pop
    push "a"; getVariable; push "m"; delete; trace
    push "a"; getVariable; push "m"; getMember; trace
)";

std::string hiddenWith(const char* flags) {
    std::string script = kHidden;
    for (size_t at; (at = script.find("FLAGS")) != std::string::npos;) script.replace(at, 5, flags);
    return script;
}

// Two clips under _root, then for..in over _root counts the clips it meets.
const char* kChildren = R"(
    push 1, "one", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop
    push 2, "two", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop
    push "v", 5; setVariable
    push "clips", 0; setVariable
    push "_root"; getVariable; enumerate2
    next: storeRegister 0; push null; equals2; if done
    push "_root"; getVariable; push r:0; getMember; typeOf; push "movieclip"; equals2; not
    if next
    push "clips", "clips"; getVariable; increment; setVariable
    jump next
    done: push "clips"; getVariable; trace
    push "one", 1, "_root"; getVariable; push "hasOwnProperty"; callMethod; trace
    push "v", 1, "_root"; getVariable; push "hasOwnProperty"; callMethod; trace
    push 10, 10, 0, 0, 3, "t", 6, "_root"; getVariable; push "createTextField"; callMethod; pop
    push "_alpha", 1, "t"; getVariable; push "hasOwnProperty"; callMethod; trace
)";

// What a function reads through its prototype chain.
const char* kFunctionChain = R"(function "f" () {}
            push "f"; getVariable; push "call"; getMember; typeOf; trace
            push "String"; getVariable; push "__proto__"; getMember; typeOf; trace
            push "f: ", "f"; getVariable; add2; trace
            push "v: ", "String"; getVariable; push "prototype"; getMember; push "valueOf"; getMember
            add2; trace
            push 128, 0, "__proto__", "String"; getVariable; push 4, "ASSetPropFlags"; callFunction
            pop; push "String"; getVariable; push "__proto__"; getMember; typeOf; trace)";

TEST(PropertyRules, HiddenPropertiesProtoAndChildren) {
    const std::vector<ScriptCase> cases = {
        // Hidden before SWF 8: the inherited getter answers; an assignment replaces the hidden
        // property without running the inherited setter; a hidden property can be deleted.
        {"an own property hidden from SWF 7", 7, hiddenWith("4096"), "got\n2\ntrue\ngot"},
        {"an own property hidden from SWF 6 only", 6, hiddenWith("256"), "got\n2\ntrue\ngot"},
        {"the same flags leave SWF 8 alone", 8, hiddenWith("4096"), "1\n2\ntrue\ngot"},
        {"the SWF 7 bit keeps an assigned own property hidden; an inherited setter it hides "
         "still takes assignments", 6,
         hiddenWith("1024") + "push 1024, \"m\", \"b\"; getVariable; push 3, \"ASSetPropFlags\"\n"
                              "callFunction; pop\npush \"a\"; getVariable; push \"m\", 5; setMember\n",
         "got\ngot\ntrue\ngot\nsetter 5"},
        {"__proto__ by any case in SWF 6", 6,
         R"(push "o", 0; initObject; setVariable
            push "o"; getVariable; push "__PROTO__"; getMember; push "Object"; getVariable
            push "prototype"; getMember; strictEquals; trace
            push "o"; getVariable; push "__Proto__"; delete; trace
            push "o"; getVariable; push "__proto__"; getMember; trace)",
         "true\ntrue\nundefined"},
        {"__proto__ is case-sensitive from SWF 7", 7,
         R"(push "o", 0; initObject; setVariable
            push "o"; getVariable; push "__PROTO__"; getMember; trace)",
         "undefined"},
        {"the player's methods and a function's prototype are kept from delete", 6,
         R"(push "String"; getVariable; push "prototype"; getMember; push "toString"; delete
            trace
            function "f" () {}
            push "f"; getVariable; push "prototype"; delete; trace
            push "f"; getVariable; push "prototype"; getMember; typeOf; trace)",
         "false\nfalse\nobject"},
        {"SWF 5 functions inherit nothing", 5, kFunctionChain,
         "undefined\nundefined\nf: [type Function]\nv: \nobject"},
        {"SWF 6 functions inherit", 6, kFunctionChain,
         "function\nobject\nf: [type Function]\nv: [type Function]\nobject"},
        {"Object.prototype is read-only; the player leaves a global o null", 7,
         R"(push "Object"; getVariable; push "prototype", 6; setMember
            push "Object"; getVariable; push "prototype"; getMember; typeOf; trace
            push "o"; getVariable; trace)", "object\nnull"},
        {"a function's own variables stay; delete with no object deletes the variable", 6,
         R"(push "e", "timeline"; setVariable
            function "g" () { push "e", "local"; defineLocal; push "e"; delete2; trace
                              push "e"; getVariable; trace }
            push 0, "g"; callFunction; pop
            push undefined, "e"; delete; trace
            push "e"; getVariable; trace)",
         "false\nlocal\ntrue\nundefined"},
        {"an instance of a class whose prototype is a number reads it as __proto__", 7,
         R"(function "F" () {}
            push "F"; getVariable; push "prototype", 8; setMember
            push "o", 0, "F"; newObject; setVariable
            push "o"; getVariable; push "__proto__"; getMember; trace
            push "o"; getVariable; push "toString"; getMember; typeOf; trace)",
         "8\nundefined"},
        {"a clip's transform is there before SWF 8, hidden", 6,
         R"(push "MovieClip"; getVariable; push "prototype"; getMember; push "transform"; getMember
            typeOf; trace
            push "transform", 1, "MovieClip"; getVariable; push "prototype"; getMember
            push "hasOwnProperty"; callMethod; trace)",
         "undefined\ntrue"},
        {"for..in lists a name hidden from the version, once, though it reads undefined", 7,
         R"(push "b", "m", 1, 1; initObject; setVariable
            push "o", "a", 1, "m", 2, 2; initObject; setVariable
            push "o"; getVariable; push "__proto__", "b"; getVariable; setMember
            push 4096, "m", "o"; getVariable; push 3, "ASSetPropFlags"; callFunction; pop
            push "o"; getVariable; enumerate2
            next: storeRegister 0; push null; equals2; if done
            push r:0; trace; jump next
            done: push "o"; getVariable; push "m"; getMember; trace)",
         "a\nm\n1"},
        {"from SWF 7 delete with no object deletes nothing", 7,
         R"(push "e", "timeline"; setVariable
            push undefined, "e"; delete; trace
            push "e"; getVariable; trace)",
         "false\ntimeline"},
        // Names fold by the player's own case table, in objects small and indexed and among
        // children: letters beyond ASCII fold, pairs later Unicode versions added do not.
        {"names beyond ASCII fold in SWF 6", 6,
         "push \"o\", 0; initObject; setVariable\n"
         "push \"o\"; getVariable; push \"\xC3\x84\xC7\xB1\", 1; setMember\n"
         "push \"o\"; getVariable; push \"\xC3\xA4\xC7\xB3\"; getMember; trace\n"
         "push \"o\"; getVariable; push \"\xC8\xBA\", 2; setMember\n"
         "push \"o\"; getVariable; push \"\xE2\xB1\xA5\"; getMember; trace\n"
         "push \"p\", 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19\n"
         "push 20, 21, 11; initObject; setVariable\n"
         "push \"p\"; getVariable; push \"\xD0\x96\", 3; setMember\n"
         "push \"p\"; getVariable; push \"\xD0\xB6\"; getMember; trace\n"
         "push 1, \"clip\xC3\x84\", 2, \"this\"; getVariable\n"
         "push \"createEmptyMovieClip\"; callMethod; pop\n"
         "push \"clip\xC3\xA4\"; getVariable; trace",
         "1\nundefined\n3\n_level0.clip\xC3\x84"},
        {"SWF 5 has no _global", 5, R"(push "_global"; getVariable; typeOf; trace)", "undefined"},
        {"SWF 5 sees Object's later methods only once unhidden", 5,
         R"(push "Object"; getVariable; push "prototype"; getMember; push "hasOwnProperty"
            getMember; typeOf; trace
            push "o", 0; initObject; setVariable
            push "watch", 1, "o"; getVariable; push "isPrototypeOf"; callMethod; trace
            push 128, 0, null, "Object"; getVariable; push "prototype"; getMember
            push 4, "ASSetPropFlags"; callFunction; pop
            push "watch", 1, "o"; getVariable; push "hasOwnProperty"; callMethod; trace)",
         "undefined\nundefined\nfalse"},
        {"children enumerate but are not own properties, nor a text field's display "
         "properties", 8, kChildren, "2\nfalse\ntrue\nfalse"},
        {"for..in on a clip lists its properties, newest first, then its children from the "
         "top depth down, whenever they were made", 8,
         R"(push "v", 1; setVariable
            push 1, "low", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop
            push 3, "high", 2, "_root"; getVariable; push "createEmptyMovieClip"; callMethod; pop
            push "w", 2; setVariable
            push "_root"; getVariable; enumerate2
            next: storeRegister 0; push null; equals2; if done
            push r:0; trace; jump next
            done:)",
         "w\nv\n$version\nhigh\nlow"},
    };
    avm1test::ExpectTraces(cases);
}

}  // namespace
