// RegExp, String's pattern methods, UTF-16 positions, Date, JSON, Vector and the global
// functions, run as small ABC scripts and checked by what they trace.

#include <gtest/gtest.h>

#include <cmath>

#include "ScriptEmit.h"

namespace {

using namespace avm2test;

TEST(Avm2LanguageClasses, RegExpFollowsThePlayersDialect) {
    auto re = [](const char* source, const char* flags = "") { return New("RegExp", {Str(source), Str(flags)}); };
    const std::vector<Case> cases = {
        {"exec gives the match and its groups", Call(re("(\\d+)-(\\d+)"), "exec", {Str("a 12-34 b")}), "12-34,12,34"},
        {"exec's index", Get(Call(re("b+"), "exec", {Str("aabbb")}), "index"), "2"},
        {"a group that took no part is undefined",
         Call(Call(re("(a)|(b)"), "exec", {Str("b")}), "join", {Str("/")}), "b//b"},
        {"named groups are properties", Get(Call(re("(?P<year>\\d{4})-(?P<month>\\d\\d)"), "exec", {Str("on 2024-05")}), "month"),
         "05"},
        {"ignoreCase", Call(Str("xABCx"), "match", {re("b", "i")}), "B"},
        {"global match collects every match", Call(Str("a1b22c333"), "match", {re("\\d+", "g")}), "1,22,333"},
        {"no match is null", Call(Str("abc"), "match", {re("\\d")}), "null"},
        {"but an empty array with g", Get(Call(Str("abc"), "match", {re("\\d", "g")}), "length"), "0"},
        {"dot stops at a newline", Call(re("a.b"), "test", {Str("a\nb")}), "false"},
        {"but not with s", Call(re("a.b", "s"), "test", {Str("a\nb")}), "true"},
        {"x ignores spaces", Call(re("a b  c", "x"), "test", {Str("abc")}), "true"},
        {"multiline anchors", Call(Str("one\ntwo"), "match", {re("^t\\w+$", "m")}), "two"},
        {"lazy quantifier", Call(re("<.+?>"), "exec", {Str("<a><b>")}), "<a>"},
        {"counted repetition", Call(Str("aaaaa"), "match", {re("a{2,3}", "g")}), "aaa,aa"},
        {"back reference", Call(re("(\\w)\\1"), "exec", {Str("abccd")}), "cc,c"},
        {"lookahead", Call(Str("foobar foobaz"), "replace", {re("foo(?=baz)"), Str("X")}), "foobar Xbaz"},
        {"negative lookahead", Call(Str("foobar foobaz"), "replace", {re("foo(?!bar)"), Str("X")}), "foobar Xbaz"},
        {"lookbehind", Call(Str("cost: $42"), "match", {re("(?<=\\$)\\d+")}), "42"},
        {"classes with escapes and ranges", Call(Str("a-1_B c"), "replace", {re("[\\w-]", "g"), Str("")}), " "},
        {"negated class", Call(Str("a1b2"), "replace", {re("[^0-9]", "g"), Str("")}), "12"},
        {"word boundary", Call(Str("cat concat"), "replace", {re("\\bcat", "g"), Str("dog")}), "dog concat"},
        {"lastIndex moves with g", Get(After(re("o", "g"), [](AbcBuilder& abc, AbcCode& code) {
             code.op(OP_pushstring, abc.string("foo")).op(OP_callpropvoid, abc.publicName("exec"), 1);
         }), "lastIndex"), "2"},
        {"toString", Call(re("a/b", "gim"), "toString", {}), "/a/b/gim"},
        {"replace with $ patterns", Call(Str("john smith"), "replace", {re("(\\w+)\\s(\\w+)"), Str("$2, $1 ($&) $$")}),
         "smith, john (john smith) $"},
        {"replace with a function", Call(Str("a1bc"), "replace", {re("\\d|c", "g"), Global("isNaN")}), "afalsebtrue"},
        {"replace of text replaces the first", Call(Str("a.a.a"), "replace", {Str("."), Str("-")}), "a-a.a"},
        {"search", Call(Str("hello world"), "search", {re("o\\s")}), "4"},
        {"split on a pattern keeps captures", Call(Str("a1b2c"), "split", {re("(\\d)")}), "a,1,b,2,c"},
        {"split on an empty pattern", Call(Str("abc"), "split", {re("")}), "a,b,c"},
        {"split with a limit", Call(Str("a,b,c"), "split", {Str(","), Num(2)}), "a,b"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
}

TEST(Avm2LanguageClasses, CatastrophicBacktrackingEndsTheScript) {
    std::string text(40, 'a');
    std::string trace = TraceOf(Call(New("RegExp", {Str("(a+)+b")}), "test", {Str(text)}));
    EXPECT_NE(trace.find("Error #1502"), std::string::npos) << trace;
}

TEST(Avm2LanguageClasses, StringsCountUtf16Units) {
    const char* smile = "\xF0\x9F\x98\x80";  // U+1F600, two code units
    const std::vector<Case> cases = {
        {"length", Get(Str(std::string(smile) + "a"), "length"), "3"},
        {"charCodeAt gives the surrogates", Call(Str(smile), "charCodeAt", {Num(1)}), "56832"},
        {"charAt after the pair", Call(Str(std::string(smile) + "a"), "charAt", {Num(2)}), "a"},
        {"indexOf counts units", Call(Str("\xC3\xA9t\xC3\xA9"), "indexOf", {Str("t")}), "1"},
        {"fromCharCode joins a pair", Static("String", "fromCharCode", {Num(0xD83D), Num(0xDE00)}), smile},
        {"case mapping beyond ASCII", Call(Str("\xC3\xA9\xCE\xB1"), "toUpperCase", {}), "\xC3\x89\xCE\x91"},
        {"by the player's tables: \xC6\x81 lowers, \xC8\xBA (paired in later Unicode) stays",
         Call(Str("\xC6\x81\xC8\xBA"), "toLowerCase", {}), "\xC9\x93\xC8\xBA"},
        {"half a pair prints as U+FFFD", Call(Str(smile), "charAt", {Num(0)}), "\xEF\xBF\xBD"},
        {"texts order by their units, not their characters",
         [smile](AbcBuilder& abc, AbcCode& code) {
             Str("\xEF\xBD\xA1")(abc, code);
             Str(smile)(abc, code);
             code.op(OP_lessthan);
         },
         "false"},
        {"an undefined end is 0, not the default", Call(Str("abc"), "slice", {Num(1), Global("undefined")}), ""},
        {"null is found nowhere", Call(Str("a null"), "indexOf", {[](AbcBuilder&, AbcCode& code) { code.op(OP_pushnull); }}), "-1"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
}

TEST(Avm2LanguageClasses, DateReadsAndPrintsAsThePlayerDoes) {
    auto utc = [](std::vector<double> fields) {
        std::vector<Emit> args;
        for (double f : fields) args.push_back(Num(f));
        return New("Date", {Static("Date", "UTC", args)});
    };
    const std::vector<Case> cases = {
        {"UTC of a leap day", Static("Date", "UTC", {Num(2000), Num(1), Num(29), Num(12), Num(30)}), "951827400000"},
        {"two-digit years are 1900s", Static("Date", "UTC", {Num(99), Num(0)}), "915148800000"},
        {"UTC getters", Call(utc({2000, 1, 29, 12, 30}), "getUTCDay", {}), "2"},
        {"toUTCString", Call(utc({2000, 1, 29, 12, 30, 5}), "toUTCString", {}), "Tue Feb 29 12:30:05 2000 UTC"},
        {"month overflow moves the year",
         Call(After(utc({2000, 0, 31}), [](AbcBuilder& abc, AbcCode& code) {
                  code.op(OP_pushdouble, abc.doubleConstant(13)).op(OP_callpropvoid, abc.publicName("setUTCMonth"), 1);
              }), "toUTCString", {}),
         "Sat Mar 3 00:00:00 2001 UTC"},
        {"property access", Get(utc({1969, 11, 31, 23, 59, 59, 999}), "millisecondsUTC"), "999"},
        {"parse reads what toUTCString prints", Static("Date", "parse", {Str("Tue Feb 29 12:30:05 2000 UTC")}), "951827405000"},
        {"parse with an offset", Static("Date", "parse", {Str("Thu Jan 1 01:00:00 GMT+0100 1970")}), "0"},
        {"parse of junk", Static("Date", "parse", {Str("not a date")}), "NaN"},
        {"an invalid date", Call(New("Date", {Num(NAN)}), "toString", {}), "Invalid Date"},
        {"setters of an invalid date stay NaN", Call(New("Date", {Num(NAN)}), "setUTCHours", {Num(1)}), "NaN"},
        {"time clip", Call(New("Date", {Num(8.64e15 + 1)}), "getTime", {}), "NaN"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
}

TEST(Avm2LanguageClasses, VectorsAreTypedAndMayBeFixed) {
    auto ints = [] { return Construct(VectorOf("int"), {}); };
    const std::vector<Case> cases = {
        {"elements are coerced", Stored(Having(ints(), "push", {Num(1.9), Str("7")}), 2, Num(-3.5)), "1,7,-3"},
        {"numeric vectors start at zero", Construct(VectorOf("Number"), {Num(3)}), "0,0,0"},
        {"others at null", Construct(VectorOf("String"), {Num(2)}), "null,null"},
        {"slice keeps the type", Call(Call(Having(ints(), "push", {Num(1), Num(2), Num(3)}), "slice", {Num(1)}), "concat", {ints()}),
         "2,3"},
        {"length", Get(Having(ints(), "unshift", {Num(5), Num(6)}), "length"), "2"},
        {"removeAt", Having(Having(ints(), "push", {Num(1), Num(2), Num(3)}), "removeAt", {Num(-2)}), "1,3"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
    EXPECT_EQ(ThrownBy(Get(ints(), "0")), "RangeError: Error #1125: The index 0 is out of range 0.");
    EXPECT_EQ(ThrownBy(Having(Construct(VectorOf("int"), {Num(2), Num(1)}), "push", {Num(1)})),
              "RangeError: Error #1126: Cannot change the length of a fixed Vector.");
    EXPECT_EQ(ThrownBy(Stored(ints(), 1, Num(1))), "RangeError: Error #1125: The index 1 is out of range 0.");
}

TEST(Avm2LanguageClasses, JsonReadsAndWritesAsThePlayerDoes) {
    auto parse = [](const char* text) { return Static("JSON", "parse", {Str(text)}); };
    auto stringify = [](Emit value, std::vector<Emit> more = {}) {
        std::vector<Emit> args{std::move(value)};
        args.insert(args.end(), more.begin(), more.end());
        return Static("JSON", "stringify", args);
    };
    const std::vector<Case> cases = {
        {"round trip", stringify(parse("{\"a\":[1,2.5,\"x\\u0041\\n\"],\"b\":{\"c\":null,\"d\":true}}")),
         "{\"a\":[1,2.5,\"xA\\n\"],\"b\":{\"c\":null,\"d\":true}}"},
        {"indent", stringify(parse("{\"a\":[1]}"), {Global("undefined"), Num(2)}), "{\n  \"a\": [\n    1\n  ]\n}"},
        {"a list of names picks and orders", stringify(parse("{\"a\":1,\"b\":2,\"c\":3}"), {New("Array", {Str("c"), Str("a"), Str("c")})}),
         "{\"c\":3,\"a\":1}"},
        {"non-finite numbers are null", stringify(New("Array", {Num(NAN), Num(1)})), "[null,1]"},
        {"nothing to write is null", stringify(Global("undefined")), "null"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
    EXPECT_EQ(ThrownBy(parse("{\"a\":}")), "SyntaxError: Error #1132: Invalid JSON parse input.");
    EXPECT_EQ(ThrownBy(parse("[1,]")), "SyntaxError: Error #1132: Invalid JSON parse input.");
}

TEST(Avm2LanguageClasses, GlobalFunctionsEscapeText) {
    auto global = [](const char* name, const char* text) {
        return [name, text](AbcBuilder& abc, AbcCode& code) {
            code.op(OP_findpropstrict, abc.publicName(name)).op(OP_pushstring, abc.string(text));
            code.op(OP_callproperty, abc.publicName(name), 1);
        };
    };
    const std::vector<Case> cases = {
        {"escape", global("escape", "a b+\xC3\xA9\xE2\x82\xAC"), "a%20b+%E9%u20AC"},
        {"unescape", global("unescape", "a%20b%u20AC%zz"), "a b\xE2\x82\xAC%zz"},
        {"encodeURI keeps the reserved", global("encodeURI", "http://x/a b?\xC3\xA9"), "http://x/a%20b?%C3%A9"},
        {"encodeURIComponent does not", global("encodeURIComponent", "a/b?"), "a%2Fb%3F"},
        {"decodeURI keeps escaped reserved", global("decodeURI", "%2F%C3%A9"), "%2F\xC3\xA9"},
        {"decodeURIComponent", global("decodeURIComponent", "%2F%F0%9F%98%80"), "/\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceOf(c.value), c.trace) << c.name;
    EXPECT_EQ(ThrownBy(global("decodeURI", "%E9")), "URIError: Error #1052: Invalid URI passed to decodeURI function.");
    EXPECT_EQ(ThrownBy(Static("Number", "acos", {})),
              "ArgumentError: Error #1063: Argument count mismatch on Number/acos(). Expected 1, got 0.");
    EXPECT_EQ(TraceOf(Static("Number", "max", {Num(2), Num(5), Num(3)})), "5");
}

}  // namespace
