// The String methods and the string comparisons across argument kinds and SWF versions: one
// row a call, run as a movie of the row's version and checked by what it traces.

#include <gtest/gtest.h>

#include "ScriptRun.h"

namespace {

using avm1test::Joined;
using avm1test::RunScript;

struct Call {
    int version;
    const char* receiver;  // an assembler value
    const char* method;
    const char* arguments;  // assembler values, first to last
    const char* trace;
};

// "o" is an object whose valueOf gives 2 and whose toString gives "b"; a value named o in a
// row is that object.
constexpr const char* kValueObject =
    R"(push "o", "valueOf"; function () { push 2; return }; push "toString"
       function () { push "b"; return }; push 2; initObject; setVariable
)";

// clang-format off
const Call kCalls[] = {
    // charAt / charCodeAt: the index is a 32-bit integer; outside the text "" and NaN; a
    // character past the basic plane is two units, each alone U+FFFD.
    {8, R"("a\xF0\x9F\x98\x8Bb")", "charAt", "1", "\xEF\xBF\xBD"},
    {8, R"("a\xF0\x9F\x98\x8Bb")", "charCodeAt", "2", "56843"},
    {8, R"("abcd")", "charAt", "4294967299", "d"},
    {8, R"("abc")", "charAt", "", "a"},
    {8, R"("abc")", "charAt", "undefined", "a"},
    {8, R"("abc")", "charAt", "1.9", "b"},
    {8, R"("abc")", "charAt", "-1", ""},
    {8, R"("abc")", "charAt", "3", ""},
    {8, R"("abc")", "charAt", R"("2")", "c"},
    {8, R"("abc")", "charAt", R"("x")", "a"},
    {8, R"("abc")", "charAt", "NaN", "a"},
    {8, R"("abc")", "charCodeAt", "-1", "NaN"},
    {8, R"("abc")", "charCodeAt", "3", "NaN"},
    {5, R"("abc")", "charCodeAt", "3", "0"},
    // indexOf / lastIndexOf: a negative start is 0 for indexOf and finds nothing backwards.
    {8, R"("abcabc")", "indexOf", R"("c", -5)", "2"},
    {8, R"("abcabc")", "indexOf", R"("c", 3)", "5"},
    {8, R"("abcabc")", "indexOf", R"("c", 6)", "-1"},
    {8, R"("abcabc")", "indexOf", R"("", 9)", "-1"},
    {8, R"("abcabc")", "indexOf", R"("b", "2")", "4"},
    {8, R"("abcabc")", "lastIndexOf", R"("c")", "5"},
    {8, R"("abcabc")", "lastIndexOf", R"("c", 4)", "2"},
    {8, R"("abcabc")", "lastIndexOf", R"("c", -1)", "-1"},
    {8, R"("abcabc")", "lastIndexOf", R"("c", 99)", "5"},
    {8, R"("abcabc")", "lastIndexOf", "", "undefined"},
    {8, R"("abctestx")", "indexOf", R"("test", 4294967299)", "3"},
    {8, R"("x undefined")", "indexOf", "undefined", "2"},
    {5, R"("x undefined")", "indexOf", "undefined", "0"},
    {5, R"("x undefined")", "lastIndexOf", "undefined", "11"},
    // substr: a negative start counts from the end, a count below 1 is empty.
    {8, R"("abcdef")", "substr", "-2", "ef"},
    {8, R"("abcdef")", "substr", "-9, 2", "ab"},
    {8, R"("abcdef")", "substr", "1, -1", ""},
    {8, R"("abcdef")", "substr", "1, undefined", "bcdef"},
    {8, R"("abcdef")", "substr", "1, null", ""},
    {8, R"("abcdef")", "substr", "", "undefined"},
    {8, R"("abcdef")", "substr", "-4294967294, 4294967296", ""},
    // substring: negative and NaN ends are 0, the smaller end first.
    {8, R"("abcdef")", "substring", "4, 1", "bcd"},
    {8, R"("abcdef")", "substring", "-3, 2", "ab"},
    {8, R"("abcdef")", "substring", "NaN, 2", "ab"},
    {8, R"("abcdef")", "substring", "2, 99", "cdef"},
    {8, R"("abcdef")", "substring", "3, null", "abc"},
    {8, R"("abcdef")", "substring", "", "undefined"},
    // slice: negative ends count from the end, a reversed range is empty.
    {8, R"("abcdef")", "slice", "-3, -1", "de"},
    {8, R"("abcdef")", "slice", "4, 1", ""},
    {8, R"("abcdef")", "slice", "-99", "abcdef"},
    {8, R"("abcdef")", "slice", "2, undefined", "cdef"},
    // split (traced as its length, then its elements): limits, empty and missing separators,
    // empty text, and SWF 5's single-character rule.
    {6, R"("")", "split", R"("x", 0)", "1:"},
    {8, R"("")", "split", R"("x", -1)", "1:"},
    {8, R"("")", "split", R"("", 0)", "0:"},
    {5, R"("")", "split", R"("x", 0)", "0:"},
    {8, R"("a,b,c")", "split", R"(",", 2)", "2:a,b"},
    {8, R"("a,b,c")", "split", R"(",", 0)", "0:"},
    {8, R"("a,b,c")", "split", R"(",", -1)", "0:"},
    {8, R"("abc")", "split", R"("")", "3:a,b,c"},
    {8, R"("abc")", "split", R"("", 2)", "2:a,b"},
    {8, R"("a\xF0\x9F\x98\x8B")", "split", R"("")", "3:a,\xEF\xBF\xBD,\xEF\xBF\xBD"},
    {8, R"("a,b")", "split", "undefined, 0", "1:a,b"},
    {8, R"("a,b")", "split", "", "1:a,b"},
    {8, R"("a-|-b")", "split", R"("-|-")", "2:a,b"},
    {5, R"("a-|-b")", "split", R"("-|-")", "1:a-|-b"},
    {5, R"("aa")", "split", R"("", 0)", "1:aa"},
    {5, R"("aa")", "split", R"("aa", 0)", "0:"},
    {5, R"("a,b")", "split", "", "2:a,b"},
    {5, R"("axbxc")", "split", R"("x", undefined)", "3:a,b,c"},
    // Conversions of the receiver and the arguments.
    {8, R"("abc")", "charAt", "o", "c"},
    {8, R"("abcabc")", "indexOf", "o", "1"},
    {8, R"("ab")", "concat", "1, null, undefined", "ab1nullundefined"},
    {6, R"("ab")", "concat", "undefined", "ab"},
    {8, R"("aB\xC3\xA9")", "toUpperCase", "", "AB\xC3\x89"},
    {5, R"("aB\xE9")", "toUpperCase", "", "AB\xC3\x89"},
};
// clang-format on

std::string pushValue(const std::string& value) {
    return value == "o" ? "push \"o\"; getVariable\n" : "push " + value + "\n";
}

// The values of a list split at commas outside quotes.
std::vector<std::string> values(std::string_view list) {
    std::vector<std::string> out;
    std::string current;
    bool quoted = false;
    for (char c : list) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) {
            out.push_back(current);
            current.clear();
        } else if (c != ' ' || quoted) {
            current += c;
        }
    }
    if (!current.empty()) out.push_back(current);
    return out;
}

TEST(StringRules, MethodsAcrossArgumentKindsAndVersions) {
    for (const Call& c : kCalls) {
        std::vector<std::string> arguments = values(c.arguments);
        std::string script = kValueObject;
        for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) script += pushValue(*it);
        script += "push " + std::to_string(arguments.size()) + "\n" + pushValue(c.receiver) +
                  "push \"" + c.method + "\"; callMethod; ";
        // An array of one empty string and an empty array trace alike; their lengths do not.
        if (c.method == std::string_view("split"))
            script += "pushDuplicate; push \"length\"; getMember; push \":\"; add2; stackSwap; add2; ";
        script += "trace";
        EXPECT_EQ(Joined(RunScript(script, c.version)), c.trace)
            << c.receiver << "." << c.method << "(" << c.arguments << ") in SWF " << c.version;
    }
}

struct ActionCall {
    int version;
    const char* operands;  // assembler values, pushed first to last
    const char* action;
    const char* trace;
};

// The string actions: positions and counts are 32-bit integers (from 1, a negative count
// takes the rest) in UTF-16 units from SWF 6 on, bytes before; half a surrogate pair is
// U+FFFD, for ord and chr too.
const ActionCall kActionCalls[] = {
    {8, R"("\xF0\x9F\x98\x8B\xE8\x88\xAA", 1, 2)", "stringExtract", "\xF0\x9F\x98\x8B"},
    {8, R"("\xF0\x9F\x98\x8B\xE8\x88\xAA", 3, 1)", "mbStringExtract", "\xE8\x88\xAA"},
    {8, R"("a\xF0\x9F\x98\x8B", 2, 1)", "stringExtract", "\xEF\xBF\xBD"},
    {8, R"("abcdefgh", 4294967303, -4294967294)", "stringExtract", "gh"},
    {8, R"("abc", -5, -100)", "stringExtract", "abc"},
    {8, R"("abc", 2, 0)", "stringExtract", ""},
    {8, R"("abc", NaN, 2)", "stringExtract", "ab"},
    {5, R"("\xC3\xA9xy", 2, 2)", "stringExtract", "\xC2\xA9x"},
    {8, R"("\xF0\x9F\x98\x8B")", "charToAscii", "65533"},
    {8, R"("\xE8\x88\xAA")", "mbCharToAscii", "33322"},
    {5, R"("\xE8\x88\xAA")", "charToAscii", "232"},
    {8, R"("")", "charToAscii", "0"},
    {8, "55297", "asciiToChar", "\xEF\xBF\xBD"},
    {8, "65616", "mbAsciiToChar", "P"},
    {5, "321", "asciiToChar", "A"},
};

TEST(StringRules, StringActionsCountUnitsWithWrappingIntegers) {
    for (const ActionCall& c : kActionCalls) {
        std::string script;
        for (const std::string& operand : values(c.operands)) script += pushValue(operand);
        script += std::string(c.action) + "; trace";
        EXPECT_EQ(Joined(RunScript(script, c.version)), c.trace)
            << c.action << "(" << c.operands << ") in SWF " << c.version;
    }
}

struct Comparison {
    int version;
    const char* left;
    const char* right;
    const char* less;  // what <, >, lt and gt trace, one a line
};

// Strings order by character (a pair written as two sequences is one character past the
// basic plane); a string against a number compares numbers, NaN gives undefined. lt and gt
// always compare the texts.
const Comparison kComparisons[] = {
    {8, R"("a")", R"("b")", "true\nfalse\ntrue\nfalse"},
    {8, R"("B")", R"("a")", "true\nfalse\ntrue\nfalse"},
    {8, R"("ab")", R"("a")", "false\ntrue\nfalse\ntrue"},
    {8, R"("")", R"("")", "false\nfalse\nfalse\nfalse"},
    {8, R"("\xEF\xBD\xA1")", R"("\xED\xA0\x80\xED\xB0\x82")", "true\nfalse\ntrue\nfalse"},
    {8, R"("\xC3\xA9")", R"("z")", "false\ntrue\nfalse\ntrue"},
    {5, R"("\xE9")", R"("z")", "false\ntrue\nfalse\ntrue"},
    {8, R"("10")", "9", "false\ntrue\ntrue\nfalse"},
    {8, R"("10")", R"("9")", "true\nfalse\ntrue\nfalse"},
    {8, R"("x")", "1", "undefined\nundefined\nfalse\ntrue"},
    {8, "o", "3", "true\nfalse\nfalse\ntrue"},
};

TEST(StringRules, ComparisonsOrderByCharacter) {
    for (const Comparison& c : kComparisons) {
        std::string script = kValueObject;
        for (const char* op : {"less2", "greater", "stringLess", "stringGreater"})
            script += pushValue(c.left) + pushValue(c.right) + op + "; trace\n";
        EXPECT_EQ(Joined(RunScript(script, c.version)), c.less)
            << c.left << " against " << c.right << " in SWF " << c.version;
    }
}

}  // namespace
