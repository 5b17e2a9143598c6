// String, Number, Boolean and Math: each script runs as the first frame of a movie of the
// given version, and what it traces is what the original player prints for it.

#include <gtest/gtest.h>

#include "ScriptRun.h"
#include "swf/avm1/machine/StringFunctions.h"
#include "swf/format/LetterCase.h"

namespace {

using avm1test::Joined;
using avm1test::RunScript;

using Case = avm1test::ScriptCase;

// "a\xF0\x9F\x98\x8B" is "a" and U+1F60B, two UTF-16 units; "\xEF\xBF\xBD" is U+FFFD.
const std::vector<Case> kCases = {
    {"length counts UTF-16 units", 8,
     R"(push "a\xF0\x9F\x98\x8Bb", "length"; getMember; trace
        push "s", "ab", 1, "String"; newObject; setVariable
        push "s"; getVariable; push "length"; getMember; trace
        push "s"; getVariable; typeOf; trace
        push 5, 1, "String"; callFunction; typeOf; trace)",
     "4\n2\nobject\nstring"},
    {"cut halves of a pair join again; a pair stored as halves equals it; alone one is U+FFFD", 8,
     R"(push 1, 1, "a\xF0\x9F\x98\x8B", "charAt"; callMethod; storeRegister 1; pop
        push 2, 1, "a\xF0\x9F\x98\x8B", "charAt"; callMethod; storeRegister 2; pop
        push "\xF0\x9F\x98\x8B", 1, 1; initObject; storeRegister 3; push r:1, r:2; add2; getMember
        trace; push r:3, r:2, 1, r:1, "concat"; callMethod; getMember; trace
        push "\xED\xA0\xBD\xED\xB8\x8B", "\xF0\x9F\x98\x8B"; equals2; trace
        push r:2, "b"; add2; trace)",
     "1\n1\ntrue\n\xEF\xBF\xBD" "b"},
    {"SWF 5 counts bytes; no halves join", 5, R"(push "\xC3\x85", "length"; getMember; trace
        push "\xED\xA0\xBD", "\xED\xB8\x8B"; add2; push "length"; getMember; trace)", "2\n6"},
    {"case mapping by the player's tables", 8,
     R"(push 0, "teST\xC3\xA9\xC3\x9F\xCF\x82", "toUpperCase"; callMethod; trace
        push 0, "\xC4\xB0\xCE\xA2Ab", "toLowerCase"; callMethod; trace)",
     "TEST\xC3\x89\xC3\x9F\xCE\xA2\ni\xCF\x82"
     "ab"},
    {"SWF 5 maps bytes as Latin-1", 5,
     R"(push 1, 1, 0, "a\xE0\xFF", "toUpperCase"; callMethod; push "charCodeAt"; callMethod; trace
        push 2, 1, 0, "a\xE0\xFF", "toUpperCase"; callMethod; push "charCodeAt"; callMethod; trace)",
     "192\n255"},
    {"methods on the wrong object; parsing reads a String object's own text", 8,
     R"(push "o", 5, 1, "Number"; newObject; setVariable
        push "o"; getVariable; push "b"; push "Boolean"; getVariable; push "prototype"; getMember
        push "toString"; getMember; setMember
        push "o"; getVariable; push "s"; push "String"; getVariable; push "prototype"; getMember
        push "valueOf"; getMember; setMember
        push 0, "o"; getVariable; push "b"; callMethod; trace
        push 0, "o"; getVariable; push "s"; callMethod; trace
        push 0, true, "toString"; callMethod; trace
        push "String"; getVariable; push "prototype"; getMember; push "toString"
        function () { push "replaced"; return }; setMember
        push "o", "10", 1, "String"; newObject; setVariable
        push "o"; getVariable; push 1, "parseInt"; callFunction; trace)",
     "undefined\n5\ntrue\n10"},
    {"int() is the 32-bit integer, wrapping", 8,
     R"(push -2147483649; toInteger; trace
        push 4294967297; toInteger; trace
        push -7.8; toInteger; trace
        push "Infinity"; getVariable; toInteger; trace
        push "NaN"; getVariable; toInteger; trace
        push " -7.8"; toInteger; trace)",
     "2147483647\n1\n-7\n0\n0\n-7"},
    {"Number", 8,
     R"(push "12", 1, "Number"; callFunction; trace
        push 0, "Number"; callFunction; trace
        push "Number"; getVariable; push "MIN_VALUE"; getMember; trace
        push "Number"; getVariable; push "MIN_VALUE"; getMember; push 2; divide; trace
        push "Number"; getVariable; push "NEGATIVE_INFINITY"; getMember; trace
        push "Number"; getVariable; push "MAX_VALUE", 1; setMember
        push "Number"; getVariable; push "MAX_VALUE"; delete; trace
        push "Number"; getVariable; push "MAX_VALUE"; getMember; push 1.7976931348623157e308
        strictEquals; trace
        push 16, 1, 255, "toString"; callMethod; trace
        push -2, 1, 5, "toString"; callMethod; trace)",
     "12\n0\n4.94065645841247e-324\n0\n-Infinity\nfalse\ntrue\nff\n5"},
    {"Math: missing arguments are NaN", 8,
     R"(push 0, "Math"; getVariable; push "min"; callMethod; trace
        push 0, "Math"; getVariable; push "max"; callMethod; trace
        push 1, 1, "Math"; getVariable; push "min"; callMethod; trace
        push 0, "Math"; getVariable; push "abs"; callMethod; trace
        push undefined, 2, 2, "Math"; getVariable; push "max"; callMethod; trace)",
     "Infinity\n-Infinity\nNaN\nNaN\nNaN"},
    {"Math: undefined given converts to 0 in SWF 6", 6,
     R"(push undefined, 2, 2, "Math"; getVariable; push "min"; callMethod; trace
        push undefined, 1, "Math"; getVariable; push "cos"; callMethod; trace)",
     "0\n1"},
    {"Math: functions and constants", 8,
     R"(push -12.5, 1, "Math"; getVariable; push "round"; callMethod; trace
        push 2.5, 1, "Math"; getVariable; push "round"; callMethod; trace
        push 10, 2, 2, "Math"; getVariable; push "pow"; callMethod; trace
        push -1, 1, "Math"; getVariable; push "acos"; callMethod; trace
        push "Math"; getVariable; push "PI", 3; setMember
        push "Math"; getVariable; push "PI"; getMember; trace
        push "Math"; getVariable; push "SQRT1_2"; getMember; trace
        push 0, "Math"; getVariable; push "random"; callMethod; push 1; less2; trace)",
     "-12\n3\n1024\n3.14159265358979\n3.14159265358979\n0.707106781186548\ntrue"},
    {"Math.pow: 2^0.5 a unit under the nearest double; whole powers exact", 8,
     R"(push "Math"; getVariable; push "pow"; getMember; storeRegister 1; pop
        push 0.5, 2, 2, r:1, undefined; callMethod; trace; push 20, 3, 2, r:1, undefined
        callMethod; trace; push -0.5, 2, 2, r:1, undefined; callMethod; trace
        push true, 1, r:1, undefined; callMethod; trace)",
     "1.41421356237309\n3486784401\n0.707106781186547\n1"},
    {"Math: the first two arguments convert in order, by name or number, known or not", 8,
     R"(push "a", "valueOf"; function () { push "a"; trace; push -2; return }; push 1; initObject
        setVariable
        push "b", "valueOf"; function () { push "b"; trace; push 3; return }; push 1; initObject
        setVariable
        push "b"; getVariable; push "b"; getVariable; push "a"; getVariable
        push 3, "Math"; getVariable; push "abs"; callMethod; trace
        push "b"; getVariable; push "b"; getVariable; push "a"; getVariable; push 3
        push 50, 200, 2, "ASnative"; callFunction; push undefined; callMethod; trace
        push 0; push 0, 200, 2, "ASnative"; callFunction; push undefined; callMethod; trace)",
     "a\nb\n2\na\nb\nNaN\nNaN"},
};

TEST(StringNumberMath, ScriptsTraceWhatTheOriginalPrints) {
    avm1test::ExpectTraces(kCases);
}

TEST(StringNumberMath, UnitsOfBrokenTextAndTheCaseTables) {
    using swf::avm1::fromUnits;
    using swf::avm1::toUnits;
    // A pair written as two three-byte halves (as some compilers store it) joins on the way back.
    EXPECT_EQ(fromUnits(toUnits("\xED\xA0\xBD\xED\xB8\x8B", 8), 8), "\xF0\x9F\x98\x8B");
    // Cut and stray bytes are units of their own value.
    EXPECT_EQ(toUnits("a\xF0\x9F", 8), (std::u16string{u'a', 0xF0, 0x9F}));
    EXPECT_EQ(fromUnits(u"\xDC00x", 8), "\xED\xB0\x80x");
    EXPECT_EQ(swf::avm1::unitAt("\xC3\xA9\xF0\x9F\x98\x8B", 2, 8), 0xDE0B);
    EXPECT_EQ(swf::avm1::unitAt("\xC3\xA9\xF0\x9F\x98\x8B", 3, 8), -1);
    EXPECT_EQ(swf::avm1::unitAt("\xC3\xA9", 1, 5), 0xA9);
    EXPECT_EQ(swf::avm1::stringLength("\xF0\x9F\x98\x8B\xC3", 8), 3u);
    EXPECT_EQ(swf::toUpperUnit(u'\x1F80'), u'\x1F88');
    EXPECT_EQ(swf::toLowerUnit(u'\x10A0'), u'\x10D0');
    EXPECT_EQ(swf::toLowerUnit(u'\xFFFF'), u'\xFFFF');
}

}  // namespace
