#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "avm1/ScriptRun.h"

namespace {

using avm1test::Joined;
using avm1test::RunScript;

using avm1test::PushedArguments;

// name = [list]
std::string let(std::string_view name, std::string_view list) {
    return "push \"" + std::string(name) + "\", " + PushedArguments(list) + "; initArray; setVariable\n";
}

// trace(name.method(list))
std::string call(std::string_view name, std::string_view method, std::string_view list = "") {
    return "push " + PushedArguments(list) + ", \"" + std::string(name) + "\"; getVariable; push \"" +
           std::string(method) + "\"; callMethod; trace\n";
}

// trace(name) and trace(name.length)
std::string show(std::string_view name) {
    std::string get = "push \"" + std::string(name) + "\"; getVariable; ";
    return get + "trace; " + get + "push \"length\"; getMember; trace\n";
}

// Register 1: a compare function with `body` over its parameters x and y.
std::string compare(std::string_view body) {
    return "function \"cmp\" (x, y) { " + std::string(body) +
           " }\npush \"cmp\"; getVariable; storeRegister 1; pop\n";
}

// An object {id, n} pushed on the stack.
std::string record(std::string_view id, int n) {
    return "push \"id\", \"" + std::string(id) + "\", \"n\", " + std::to_string(n) +
           ", 2; initObject\n";
}

using Case = avm1test::ScriptCase;

// Each case's expectation is what the original player prints (the corpus cases of arrays
// show the constructor, slice, concat, shift and unshift with flags, and lengths that wrap).
TEST(ArrayClass, MethodsMatchThePlayer) {
    const std::vector<Case> cases = {
        {"constructor forms", 8,
         "push \"a\", 3, 1, \"Array\"; newObject; setVariable\n" + show("a") +
             "push \"a\", \"3\", 1, \"Array\"; newObject; setVariable\n" + show("a") +
             "push \"a\", -1, 1, \"Array\"; newObject; setVariable\n" + show("a") +
             "push \"a\", null, 1, \"Array\"; newObject; setVariable\n" + show("a") +
             // Called as a function, with two arguments and with `this` an array.
             "push \"a\", 2, 1, 2, \"Array\"; callFunction; setVariable\n" + show("a") +
             let("b", "\"b\"") +
             "push \"c\", \"c\", \"b\"; getVariable; push 2, \"Array\"; getVariable; "
             "push \"call\"; callMethod; setVariable\n" +
             show("b") + show("c"),
         "undefined,undefined,undefined\n3\n3\n1\n\n-1\nnull\n1\n1,2\n2\nb\n1\nc\n1"},
        {"push, pop, shift and unshift", 8,
         let("a", "1, 2, 3") + call("a", "push", "4, 5") + call("a", "pop") + call("a", "shift") +
             call("a", "unshift", "\"x\", \"y\"") + show("a") + let("e", "") + call("e", "pop") +
             call("e", "shift") + show("e"),
         "5\n5\n1\n5\nx,y,2,3,4\n5\nundefined\nundefined\n\n0"},
        {"splice forms", 8,
         let("a", "1, 2, 3, 4, 5") + call("a", "splice", "1, 2") + show("a") +
             call("a", "splice", "-1") + call("a", "splice", "1, 0, \"x\", \"y\"") + show("a") +
             call("a", "splice", "0, 2, \"z\"") + call("a", "splice") +
             call("a", "splice", "9, -1") + show("a"),
         "2,3\n1,4,5\n3\n5\n\n1,x,y,4\n4\n1,x\nundefined\n\nz,y,4\n3"},
        {"slice counts negative positions from the end", 8,
         let("a", "\"a\", \"b\", \"c\", \"d\", \"e\"") + call("a", "slice") +
             call("a", "slice", "3") + call("a", "slice", "0, -3") + call("a", "slice", "-2, 4") +
             call("a", "slice", "3, 2") + call("a", "slice", "1, undefined") +
             call("a", "slice", "1, null") + call("a", "slice", "1, \"3\""),
         "a,b,c,d,e\nd,e\na,b\nd\n\nb,c,d,e\n\nb,c"},
        {"concat flattens array arguments one level", 8,
         let("inner", "4, 5") + "push \"inner\"; getVariable; storeRegister 2; pop\n" +
             let("outer", "3, r:2") + "push \"outer\"; getVariable; storeRegister 3; pop\n" +
             let("a", "1") +
             "push \"d\", r:3, 2, 2, \"a\"; getVariable; push \"concat\"; callMethod; "
             "setVariable\n" +
             show("d") + show("a"),
         "1,2,3,4,5\n4\n1\n1"},
        {"join and toString print undefined by the version's rule", 8,
         let("a", "1, undefined, null, \"x\"") + call("a", "join") + call("a", "join", "\" - \"") +
             call("a", "toString") + "push \"h\", 2, 1, \"Array\"; newObject; setVariable\n" +
             call("h", "join", "\"+\""),
         "1,undefined,null,x\n1 - undefined - null - x\n1,undefined,null,x\nundefined+undefined"},
        {"join in a version 6 movie", 6,
         let("a", "1, undefined, null, \"x\"") + call("a", "join") +
             "push \"h\", 2, 1, \"Array\"; newObject; setVariable\n" + call("h", "join", "\"+\""),
         "1,,null,x\n+"},
        {"reverse", 8, let("a", "1, 2, 3") + call("a", "reverse") + show("a"), "3,2,1\n3,2,1\n3"},
        {"shift and unshift keep elements that may not be deleted or changed", 8,
         let("a", "1, 2, 3") +
             "push 6, \"1\", \"a\"; getVariable; push 3, \"ASSetPropFlags\"; "
             "callFunction; pop\n" +
             call("a", "shift") + show("a") + let("b", "1, 2, 3") +
             "push 6, \"1\", \"b\"; getVariable; push 3, \"ASSetPropFlags\"; callFunction; pop\n" +
             call("b", "unshift", "42, 43, 44") + show("b"),
         "1\n2,2\n2\n6\n42,2,44,1,2,3\n6"},
        {"length is a wrapping 32-bit number", 7,
         let("a", "") + "push \"a\"; getVariable; push \"4294967296\", \"x\"; setMember\n" +
             show("a") +
             "push \"a\"; getVariable; push 2147483647, \"y\"; setMember\n"
             "push \"a\"; getVariable; push \"length\"; getMember; trace\n"
             "push \"a\"; getVariable; push \"length\", 2; setMember\n" +
             show("a"),
         "undefined\n1\n-2147483648\nundefined,undefined\n2"},
        {"the methods work on any object through its own elements", 8,
         let("base", "\"a\", \"b\", \"c\"") +
             "push \"o\", \"length\", 3, 1; initObject; setVariable\n"
             "push \"o\"; getVariable; push \"__proto__\", \"base\"; getVariable; setMember\n"
             "push \"o\"; getVariable; trace\n" +
             call("o", "push", "\"x\"") + "push \"o\"; getVariable; push 3; getMember; trace\n",
         "undefined,undefined,undefined\n4\nx"},
        {"the sort flags", 8,
         "push \"Array\"; getVariable; push \"CASEINSENSITIVE\"; getMember; trace\n"
         "push \"Array\"; getVariable; push \"DESCENDING\"; getMember; trace\n"
         "push \"Array\"; getVariable; push \"UNIQUESORT\"; getMember; trace\n"
         "push \"Array\"; getVariable; push \"RETURNINDEXEDARRAY\"; getMember; trace\n"
         "push \"Array\"; getVariable; push \"NUMERIC\"; getMember; trace\n",
         "1\n2\n4\n8\n16"},
    };
    avm1test::ExpectTraces(cases);
}

TEST(ArrayClass, SortsAsThePlayerDoes) {
    // a = [{a,1}, {b,0}, {c,10}, {d,9}, {e,1}]
    const std::string records = "push \"a\"\n" + record("e", 1) + record("d", 9) + record("c", 10) +
                                record("b", 0) + record("a", 1) +
                                "push 5; initArray; setVariable\n";
    const std::vector<Case> cases = {
        {"string order by default, numbers too", 8,
         let("a", "10, 9, 1, \"B\", \"a\", \"b\", 100") + call("a", "sort") +
             let("n", "10, 9, 1, 100") + call("n", "sort", "16") + call("n", "sort", "18"),
         "1,10,100,9,B,a,b\n1,9,10,100\n100,10,9,1"},
        {"case-insensitive sorting is stable", 8,
         let("a", "\"b\", \"A\", \"c\", \"B\", \"a\"") + call("a", "sort", "1") +
             call("a", "sort", "3"),
         "A,a,b,B,c\nc,b,B,A,a"},
        {"UNIQUESORT answers 0 and leaves the array when two are equal", 8,
         let("a", "3, 1, 3") + call("a", "sort", "4") + call("a", "join") + let("b", "3, 1, 2") +
             call("b", "sort", "4"),
         "0\n3,1,3\n1,2,3"},
        {"RETURNINDEXEDARRAY answers the order and leaves the array", 8,
         let("a", "\"c\", \"a\", \"b\"") + call("a", "sort", "8") + call("a", "join") +
             call("a", "sort", "10"),
         "1,2,0\nc,a,b\n0,2,1"},
        {"holes sort as undefined", 8,
         "push \"a\", 3, 1, \"Array\"; newObject; setVariable\n"
         "push \"a\"; getVariable; push 1, \"b\"; setMember\n" +
             call("a", "sort"),
         "b,undefined,undefined"},
        {"a compare function, with and without DESCENDING", 8,
         compare("push \"x\"; getVariable; push \"y\"; getVariable; subtract; return") +
             let("a", "1, 3, 2, 10") + call("a", "sort", "r:1") + call("a", "sort", "r:1, 2"),
         "1,2,3,10\n10,3,2,1"},
        {"a compare function that answers garbage keeps every element", 8,
         compare("push \"q\"; return") + let("a", "3, 1, 2") + call("a", "sort", "r:1") +
             compare("push 1; return") + let("b", "1, 2, 3, 4, 5") +
             "push r:1, 1, \"b\"; getVariable; push \"sort\"; callMethod; pop\n"
             "push \"b\"; getVariable; push \"length\"; getMember; trace\n" +
             call("b", "sort"),
         "3,1,2\n5\n1,2,3,4,5"},
        {"a compare function that changes the array", 8,
         compare("push 0, \"a\"; getVariable; push \"pop\"; callMethod; pop; "
                 "push \"x\"; getVariable; push \"y\"; getVariable; subtract; return") +
             let("a", "3, 1, 2") + call("a", "sort", "r:1") + show("a"),
         "1,2,3\n1,2,3\n3"},
        {"a compare function that throws leaves the array", 8,
         compare("push \"boom\"; throw") + let("a", "3, 1, 2") + "try catch=\"e\" { " +
             call("a", "sort", "r:1") + " } catch { push \"e\"; getVariable; trace }\n" +
             call("a", "join"),
         "boom\n3,1,2"},
        {"sortOn one field, strings or numbers", 8,
         records + call("a", "sortOn", "\"n\", 8") + call("a", "sortOn", "\"n\", 24") +
             call("a", "sortOn", "\"n\", 26") + call("a", "sortOn", "\"id\", 12") +
             call("a", "sortOn", "\"n\", 12"),
         "1,0,4,2,3\n1,0,4,3,2\n2,3,0,4,1\n0,1,2,3,4\n0"},
        {"sortOn several fields with flags each", 8,
         records + let("names", "\"n\", \"id\"") +
             "push \"names\"; getVariable; storeRegister 3; pop\n" + let("flags", "26, 2") +
             "push \"flags\"; getVariable; storeRegister 0; pop\n" +
             call("a", "sortOn", "r:3, r:0"),
         "2,3,4,0,1"},
        {"sortOn sorts in place, stable", 8,
         records + "push 16, \"n\", 2, \"a\"; getVariable; push \"sortOn\"; callMethod; pop\n"
                   "push \"a\"; getVariable; push 1; getMember; push \"id\"; getMember; trace\n"
                   "push \"a\"; getVariable; push 2; getMember; push \"id\"; getMember; trace\n"
                   "push \"a\"; getVariable; push 4; getMember; push \"id\"; getMember; trace\n",
         "a\ne\nc"},
    };
    avm1test::ExpectTraces(cases);
}

}  // namespace
