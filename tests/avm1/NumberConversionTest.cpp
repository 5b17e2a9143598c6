#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/classes/UrlEscape.h"

namespace {

using namespace swf::avm1;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Both NaN, or equal with the same sign (so -0 and 0 differ).
bool same(double a, double b) {
    return std::isnan(a) ? std::isnan(b) : a == b && std::signbit(a) == std::signbit(b);
}

// clang-format off
// Texts the original player printed for these values (near ties included).
TEST(NumberConversion, NumberToStringPrintsFifteenDigitsAndSwitchesToExponents) {
    struct Case { double value; const char* text; };
    const Case cases[] = {
        {kNaN, "NaN"}, {kInf, "Infinity"}, {-kInf, "-Infinity"}, {0.0, "0"}, {-0.0, "0"},
        {0.1 + 0.2, "0.3"}, {-268, "-268"}, {11111111111111.111, "11111111111111.1"},
        {111111111111111.11, "111111111111111"}, {1111111111111111.1, "1.11111111111111e+15"},
        {1e15, "1e+15"}, {999999999999999.9, "1e+15"}, {-8.64e15, "-8.64e+15"}, {2e19, "2e+19"},
        {0.000123456789012346, "0.000123456789012346"}, {1e-98, "1e-98"},
        {1.23456789012346e-05, "0.0000123456789012346"}, {5.4 / 100000, "0.000054"},
        {1.23456789012346e-06, "1.23456789012346e-6"}, {5.4 / 1000000, "5.4e-6"},
        {0.0999999999999999, "0.0999999999999999"}, {0.9999999999999993, "0.999999999999999"},
        {9.999999999999995 / 10, "0.999999999999999"}, {2.123456789123455, "2.12345678912346"},
        {-0.1234567891234565, "-0.123456789123457"}, {5e-324, "4.94065645841247e-324"},
        {-1.234567891234565e-6, "-1.23456789123457e-6"}, {M_PI / 2, "1.5707963267949"},
        {1.7976931348623157e308, "1.79769313486231e+308"}, {1e21, "1e+21"}, {1.5e-7, "1.5e-7"},
        {1.234567891234565e308, "1.23456789123456e+308"}, {-127254175632347, "-127254175632347"},
        {1.234567891234565e-308, "1.23456789123457e-308"}, {5e-25, "5e-25"},
        {-0.001244567891234565, "-0.00124456789123456"}, {1e-5, "0.00001"},
        {0.001234567891234564, "0.00123456789123456"}, {0.8414709848078965, "0.841470984807897"},
        {0.30469265401539752, "0.304692654015397"}, {9.999999999999998e-99, "1e-98"},
    };
    for (const Case& c : cases) EXPECT_EQ(numberToString(c.value), c.text) << c.text;
}

TEST(NumberConversion, RadixPrintsTruncatedInt32) {
    struct Case { double value; int radix; const char* text; };
    const Case cases[] = {
        {10, 2, "1010"}, {6, 3, "20"}, {6, 8, "6"}, {6, 0, "6"}, {6, -2, "6"}, {6, 5, "11"},
        {-5, 2, "-101"}, {-11, 16, "-b"}, {16711680, 16, "ff0000"}, {255.9, 16, "ff"},
        {-255.9, 36, "-73"}, {0.5, 2, "0"}, {1.5, 10, "1.5"}, {-2147483648.0, 16, "-(0000000"},
        {kNaN, 2, "-/0000000000000000000000000000000"}, {4294967296.0, 16, "-(0000000"},
    };
    for (const Case& c : cases) EXPECT_EQ(numberToStringRadix(c.value, c.radix), c.text) << c.text;
}

TEST(NumberConversion, StringToNumberDependsOnTheSwfVersion) {
    struct Case { const char* text; double swf4, swf5, swf6; };
    const Case cases[] = {
        {"10", 10, 10, 10}, {"3e2", 300, 300, 300}, {"2.6", 2.6, 2.6, 2.6}, {"", 0, kNaN, kNaN},
        {" ", 0, kNaN, kNaN}, {"\n  2", 2, 2, 2}, {"\t\r12", 12, 12, 12}, {"2 ", 2, kNaN, kNaN},
        {"\r12\r", 12, kNaN, kNaN}, {"12.34A", 12.34, kNaN, kNaN}, {"ABC", 0, kNaN, kNaN},
        {"2e", 2, 2, 2}, {"-56e-", -56, -56, -56}, {"-56eu", -56, kNaN, kNaN},
        {"+.", 0, kNaN, kNaN},
        {" -2e-5", -0.00002, -0.00002, -0.00002}, {"123e-1", 12.3, 12.3, 12.3},
        {"Infinity", 0, kNaN, kNaN}, {"-Infinity", 0, kNaN, kNaN}, {"NaN", 0, kNaN, kNaN},
        {"0x10", 0, kNaN, 16}, {"0Xff000000", 0, kNaN, -16777216}, {"0x-2", 0, kNaN, -2},
        {"0x1999999981ffffff", 0, kNaN, -2113929217}, {"0x-ffffffff", 0, kNaN, 1},
        {" 0x2", 0, kNaN, kNaN}, {"-0x2", -0.0, kNaN, kNaN}, {"0xff000z", 0, kNaN, kNaN},
        {"010", 10, 10, 8}, {"-010", -10, -10, -8}, {"+077", 77, 77, 63}, {" 077", 77, 77, 77},
        {"037777777777", 37777777777, 37777777777, -1}, {"00", 0, 0, 0}, {"078", 78, 78, 78},
        {"-037777777777", -37777777777, -37777777777, 1},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(same(stringToNumber(c.text, 4), c.swf4)) << c.text;
        EXPECT_TRUE(same(stringToNumber(c.text, 5), c.swf5)) << c.text;
        EXPECT_TRUE(same(stringToNumber(c.text, 6), c.swf6)) << c.text;
        EXPECT_TRUE(same(stringToNumber(c.text, 10), c.swf6)) << c.text;
    }
}

TEST(NumberConversion, ParseIntAndParseFloatKeepThePlayersQuirks) {
    const std::string nines(400, '9');
    struct Case { const char* text; int radix; double value; };
    const Case ints[] = {
        {"", 0, kNaN}, {"123", 0, 123}, {"100", 2, 4}, {"100", 36, 1296}, {"100", 1, kNaN},
        {"100", 37, kNaN}, {"100", -1, kNaN}, {"undefined", 32, 33790067563981}, {"0xabc", 0, 2748},
        {"010", 2, 2}, {"-0100", 0, -64}, {"-0100z", 0, -100}, {"0x+0X100", 0, 0}, {"++1", 0, kNaN},
        {"0x100", 36, 1296}, {" 0x100", 36, 1540944}, {"-0x100", 36, 1540944}, {"0x", 0, kNaN},
        {" -0x100", 36, -1540944}, {"-0y100", 36, -1587600}, {"-0x100", 0, kNaN}, {"12aaa", 0, 12},
        {"0x-100", 0, -256}, {" 0x-100", 0, 0}, {"0x -100", 0, -256}, {"0-100", 0, 0},
        {"+0x123", 33, kNaN}, {"+0x123", 34, 1298259}, {"077", 0, 63}, {"  077", 0, 77},
        {"077 ", 0, 77}, {"  -077", 0, -77}, {"07658", 0, 7658}, {"0x  ", 16, kNaN},
        {"-1.234", 0, -1}, {" 6 7 8", 8, 6}, {"0x123", 8, 83}, {"8589934592", 16, 573538780562},
        {"8589934592", 5, kNaN}, {nines.c_str(), 0, kInf},
    };
    for (const Case& c : ints) EXPECT_TRUE(same(parseIntText(c.text, c.radix), c.value)) << c.text;

    struct FloatCase { const char* text; double value; };
    const FloatCase floats[] = {
        {"    99999.99999          ", 99999.99999}, {"0000.12345GIBBERISH", 0.12345}, {"1  2", 1},
        {"9e99999", kInf}, {".2E20E1", 2e19}, {"-034.1+e20", -34.1}, {"10e-", 10}, {"e10", kNaN},
        {"1e4294967297", 10}, {"1.2345.678", 1.2345678}, {"1.2345.6e50", 1.23456}, {"0xff", 0},
        {"3.45eE-5", 3.45}, {"Infinity", kNaN}, {"-", kNaN}, {"+.", kNaN}, {"", kNaN},
        {"  x1.234", kNaN}, {"-22222222222222222", -2.2222222222222222e16},
    };
    for (const FloatCase& c : floats) {
        EXPECT_EQ(numberToString(parseFloatText(c.text)), numberToString(c.value)) << c.text;
    }
    // Each fraction digit is added on its own, so this is not the nearest double to 0.1499999.
    EXPECT_TRUE(same(parseFloatText(".1499999"), 0.14999990000000005));
    EXPECT_TRUE(same(parseFloatText("4.5e-4"), parseFloatText("0.00045")));
}

TEST(NumberConversion, IntegerConversionsWrapModulo2To32) {
    struct Case { double value; int32_t int32; uint32_t uint32; double integer; };
    const Case cases[] = {
        {kNaN, 0, 0, 0}, {kInf, 0, 0, kInf}, {-kInf, 0, 0, -kInf}, {-1.9, -1, 4294967295u, -1},
        {2147483648.0, INT32_MIN, 2147483648u, 2147483648.0}, {4294967297.5, 1, 1, 4294967297},
        {-4294967297.0, -1, 4294967295u, -4294967297.0}, {1e300, 0, 0, 1e300},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toInt32(c.value), c.int32) << c.value;
        EXPECT_EQ(toUint32(c.value), c.uint32) << c.value;
        EXPECT_TRUE(same(toInteger(c.value), c.integer)) << c.value;
    }
}

TEST(UrlEscape, EscapesAllButAlphanumericsAndUnescapesBadSequencesAway) {
    EXPECT_EQ(urlEscape("AZaz09@*_+-./ \n"), "AZaz09%40%2A%5F%2B%2D%2E%2F%20%0A");
    EXPECT_EQ(urlEscape("\xC4\x80\xE3\x81\x82"), "%C4%80%E3%81%82");
    EXPECT_EQ(urlEscape(std::string("abc\0def", 7)), "abc");
    const std::pair<const char*, const char*> unescapes[] = {
        {"%40%2a%5F", "@*_"}, {"Hello+World", "Hello World"}, {"One%20+mo%2re", "One  moe"},
        {"%C4%80", "\xC4\x80"}, {"%u0100", "0100"}, {"aaa%", "aaa"}, {"aaa%z", "aaa"},
        {"aaa%zz", "aaaz"}, {"aaa%4", "aaa"}, {"aaa%4z", "aaa"}, {"aaa%4zz", "aaaz"}, {"%%", ""},
        {"%_a%@b%.c", "abc"}, {"ab%00cd", "ab"}, {"", ""},
    };
    for (const auto& [in, out] : unescapes) EXPECT_EQ(urlUnescape(in), out) << in;
    std::string every;
    for (int c = 1; c < 256; ++c) every += char(c);
    EXPECT_EQ(urlEscape(every).size(), 62u + 3 * (255 - 62));
    EXPECT_EQ(urlUnescape(urlEscape(every)), every);
}
// clang-format on

}  // namespace
