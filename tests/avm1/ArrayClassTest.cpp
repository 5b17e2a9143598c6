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
         "2,3\n1,4,5\n3\n5\n\n1,x,y,4\n4\n1,x\nundefined\nundefined\nz,y,4\n3"},
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
        {"a fraction names an element by its whole part, a nameless one is dropped; the "
         "methods read a length past __resolve; Array.prototype has none", 6,
         let("c", "") + "push \"c\"; getVariable; push \"\", 2; setMember\n"
             "push \"c\"; getVariable; push \"\"; getMember; typeOf; trace\n"
             "push \"c\"; getVariable; push 2.2, 2; setMember\n" + show("c") +
             "push \"t\", \"__resolve\"; function (n) { push \"asked\"; trace; push 2; return }\n"
             "push \"join\", \"Array\"; getVariable; push \"prototype\"; getMember; push \"join\"\n"
             "getMember; push 2; initObject; setVariable\n"
             "push 0, \"t\"; getVariable; push \"join\"; callMethod; trace\n"
             "push \"Array\"; getVariable; push \"prototype\"; getMember; push \"length\"\n"
             "getMember; typeOf; trace\n",
         "undefined\n,,\n3\n\nundefined"},
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

// trace(name) after `statement`, then each own name of `name` in enumeration order, one line
// each (`tag` keeps the labels apart).
std::string names(std::string_view name, std::string_view tag) {
    std::string t(tag);
    return "push \"" + std::string(name) + "\"; getVariable; enumerate2\n" + t +
           "next: storeRegister 0; push null; equals2; if " + t + "done; push r:0; trace; jump " +
           t + "next\n" + t + "done:\n";
}

// trace(name[index])
std::string element(std::string_view name, int index) {
    return "push \"" + std::string(name) + "\"; getVariable; push " + std::to_string(index) +
           "; getMember; trace\n";
}

// o = {1: "one", ..., 7: "seven", length: 6}: an object that is not an array.
std::string fakeArray(std::string_view method) {
    // initObject stores the last pair pushed first: 1 to 7, then length.
    return "push \"o\", \"length\", 6, \"7\", \"seven\", \"6\", \"six\", \"5\", \"five\", \"4\", "
           "\"four\", \"3\", \"three\", \"2\", \"two\", \"1\", \"one\", 8; initObject; setVariable\n"
           "push \"o\"; getVariable; push \"" +
           std::string(method) + "\", \"Array\"; getVariable; push \"prototype\"; getMember; push \"" +
           std::string(method) + "\"; getMember; setMember\n";
}

// The player sorts in place by a quicksort: each range's first element is the pivot, compared
// (as compare(pivot, element)) with every element of the range, itself included, and those it
// is greater than move before it. Only places whose element moved are stored again. DESCENDING
// reverses the ascending result; NUMERIC orders pairs of numbers by value and anything else as
// text; a compare function ignores UNIQUESORT. The orders below follow from that rule (the
// compare functions that answer always the same show the pivot's path).
TEST(ArrayClass, SortsAsThePlayerDoes) {
    // a = [{a,1}, {b,0}, {c,10}, {d,9}, {e,1}]
    const std::string records = "push \"a\"\n" + record("e", 1) + record("d", 9) + record("c", 10) +
                                record("b", 0) + record("a", 1) +
                                "push 5; initArray; setVariable\n";
    const std::string words = let("w", "\"But\", \"alphabet\", \"Different\", \"capitalization\"");
    const std::vector<Case> cases = {
        {"string order by default; NUMERIC orders numbers by value, the rest as text", 8,
         let("a", "10, 9, 1, \"B\", \"a\", \"b\", 100") + call("a", "sort") +
             let("n", "10, 9, 1, 100") + call("n", "sort", "16") + call("n", "sort", "18") +
             let("s", "\"10\", \"9\", 100, \"b\", \"A\"") + call("s", "sort", "16") +
             call("s", "sort", "17"),
         "1,10,100,9,B,a,b\n1,9,10,100\n100,10,9,1\n10,100,9,A,b\n10,100,9,A,b"},
        {"equal elements fall where the quicksort leaves them; DESCENDING reverses", 8,
         let("a", "\"b\", \"A\", \"c\", \"B\", \"a\"") + call("a", "sort", "1") +
             call("a", "sort", "3"),
         "a,A,b,B,c\nc,B,b,A,a"},
        {"a compare function answering always the same: -1 keeps, 1 rotates, 0 keeps", 8,
         words + compare("push -1; return") + call("w", "sort", "r:1") +
             compare("push 1; return") + call("w", "sort", "r:1") +
             compare("push 0; return") + call("w", "sort", "r:1"),
         "But,alphabet,Different,capitalization\nalphabet,Different,capitalization,But\n"
         "alphabet,Different,capitalization,But"},
        {"the pivot is compared with itself: 7 calls sort four elements in order, on no object", 8,
         let("w", "\"But\", \"Different\", \"alphabet\", \"capitalization\"") +
             "push \"calls\", 0; setVariable\n" +
             compare("push \"calls\", \"calls\"; getVariable; increment; setVariable; "
                     "push \"t\", \"this\"; getVariable; typeOf; setVariable; "
                     "push \"x\"; getVariable; push \"length\"; getMember; push \"y\"; "
                     "getVariable; push \"length\"; getMember; subtract; return") +
             call("w", "sort", "r:1") + "push \"calls\"; getVariable; trace; push \"t\"; "
                                        "getVariable; trace\n",
         "But,alphabet,Different,capitalization\n7\nundefined"},
        {"UNIQUESORT answers 0 and leaves the array, unless a compare function orders", 8,
         let("a", "3, 1, 3") + call("a", "sort", "4") + call("a", "join") + let("b", "3, 1, 2") +
             call("b", "sort", "4") +
             compare("push \"x\"; getVariable; push \"y\"; getVariable; subtract; return") +
             call("a", "sort", "r:1, 4"),
         "0\n3,1,3\n1,2,3\n1,3,3"},
        {"RETURNINDEXEDARRAY answers the order and leaves the array", 8,
         let("a", "\"c\", \"a\", \"b\"") + call("a", "sort", "8") + call("a", "join") +
             call("a", "sort", "10"),
         "1,2,0\nc,a,b\n0,2,1"},
        {"any object first is the compare function; a lone undefined sorts nothing", 8,
         let("a", "3, 1, 2") + "push 0; initObject; storeRegister 2; pop\n" +
             call("a", "sort", "r:2") + "push undefined, 1, \"a\"; getVariable; push \"sort\"; "
                                      "callMethod; typeOf; trace\n" +
             call("a", "join"),
         "3,1,2\nundefined\n3,1,2"},
        {"holes sort as undefined; only moved places are stored", 8,
         "push \"a\", 0, \"Array\"; newObject; setVariable\n"
         "push \"a\"; getVariable; push 4, 4; setMember\n"
         "push \"a\"; getVariable; push 16, 16; setMember\n" +
             call("a", "sort") + names("a", "h"),
         "16,4,undefined,undefined,undefined,undefined,undefined,undefined,undefined,undefined,"
         "undefined,undefined,undefined,undefined,undefined,undefined,undefined\n16\n4\n2\n1\n0"},
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
        {"sortOn: any object lists the names (by its own length); DESCENDING there keeps ties", 8,
         records + "push \"p\", \"length\", 1, \"0\", \"n\", 2; initObject; storeRegister 2\n" +
             call("a", "sortOn", "r:2, 10") + "setVariable; push 0; initObject; storeRegister 2\n"
             "push \"__proto__\", \"p\"; getVariable; setMember\n" + call("a", "sortOn", "r:2, 10"),
         "3,2,0,4,1\n0,1,2,3,4"},
        {"sortOn several fields with flags each", 8,
         records + let("names", "\"n\", \"id\"") +
             "push \"names\"; getVariable; storeRegister 3; pop\n" + let("flags", "26, 2") +
             "push \"flags\"; getVariable; storeRegister 0; pop\n" +
             call("a", "sortOn", "r:3, r:0"),
         "2,3,4,0,1"},
    };
    avm1test::ExpectTraces(cases);
}

// On an object that is not an array, shift, unshift and pop leave `length` as it was and keep
// elements past the end; splice stores its result in place and sets the length; reverse swaps
// pairs from the ends, each place stored again (last in enumeration order).
TEST(ArrayClass, MethodsOnPlainObjects) {
    const std::vector<Case> cases = {
        {"shift", 8, fakeArray("shift") + call("o", "shift") + names("o", "s") + element("o", 0) +
             element("o", 5) + "push \"o\"; getVariable; push \"length\"; getMember; trace\n",
         "undefined\n4\n3\n2\n1\n0\nshift\nlength\n7\n6\n5\none\nfive\n6"},
        {"unshift and pop", 8,
         fakeArray("unshift") + call("o", "unshift", "\"new\"") + names("o", "u") +
             element("o", 0) + element("o", 6) + fakeArray("pop") + call("o", "pop") +
             element("o", 5) + "push \"o\"; getVariable; push \"length\"; getMember; trace\n",
         "7\n0\n1\n2\n3\n4\n5\n6\nunshift\nlength\n7\nnew\nfive\nfive\nundefined\n6"},
        {"splice", 8,
         fakeArray("splice") + call("o", "splice", "2, 3, \"new1\", \"new2\"") +
             names("o", "p") + element("o", 3) + element("o", 4) + element("o", 5),
         "two,three,four\n0\nsplice\nlength\n7\n6\n5\n4\n3\n2\n1\nnew2\nfive\nfive"},
        {"reverse", 8,
         fakeArray("reverse") + call("o", "reverse") + names("o", "r"),
         "[object Object]\n3\n2\n4\n1\n5\n0\nreverse\nlength\n7\n6"},
        {"splice of an array stores its holes; a negative count does nothing", 8,
         "push \"a\", 0, \"Array\"; newObject; setVariable\n"
         "push \"a\"; getVariable; push 2, 2; setMember\n"
         "push \"a\"; getVariable; push 7, 7; setMember\n" +
             call("a", "splice", "3, 0") + names("a", "h") +
             call("a", "splice", "-1, -1, \"x\"") + show("a"),
         "\n6\n5\n4\n3\n1\n0\n7\n2\nundefined\n"
         "undefined,undefined,2,undefined,undefined,undefined,undefined,7\n8"},
    };
    avm1test::ExpectTraces(cases);
}

}  // namespace
