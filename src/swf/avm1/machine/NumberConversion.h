#pragma once
// Number <-> string conversions of ActionScript 1/2 as the original player does them, quirks
// included. Strings are byte strings; only ASCII characters take part in any number syntax.

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace swf::avm1 {

inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// trace(), String() and concatenation: "NaN", "Infinity", "-Infinity", "0" for both zeros,
// otherwise 15 significant digits without trailing zeros, in exponent form ("1e+15",
// "1.5e-7") when the decimal exponent is >= 15 or < -5.
std::string numberToString(double value);

// Number.prototype.toString(radix). Radix 10 or outside 2..36 prints as numberToString. Other
// radixes print the value truncated to a 32-bit integer; NaN, infinities and values outside
// the int32 range become INT32_MIN, which the player prints with characters below '0'.
std::string numberToStringRadix(double value, int radix);

// ToNumber of a string for the given SWF version:
//  <= 4: the longest numeric prefix as parseFloat reads it, 0 when there is none;
//     5: a decimal number after optional leading whitespace and nothing after it, else NaN
//        ("" and "Infinity" are NaN);
//  >= 6: as 5, and "0x.." hex and "0.." octal (an optional sign before the 0) give the 32-bit
//        signed integer of their digits.
double stringToNumber(std::string_view text, int swfVersion);

// parseInt(text, radix). radix 0 means none was given: then "0x" gives hex and a text that is
// all octal digits after an optional sign and a leading 0 gives octal. A radix that was given
// but converts to 0 (0, NaN, undefined) makes parseInt NaN in the player: pass -1 for it.
double parseIntText(std::string_view text, int radix);
// parseFloat(text): leading whitespace, then the longest numeric prefix; NaN without digits.
double parseFloatText(std::string_view text);

int32_t toInt32(double value);    // ECMA-262 ToInt32: NaN and infinities 0, modulo 2^32.
uint32_t toUint32(double value);  // ECMA-262 ToUint32.
double toInteger(double value);   // ECMA-262 ToInteger: NaN 0, truncated, infinities kept.

}  // namespace swf::avm1
