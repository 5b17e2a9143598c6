#include "swf/avm1/machine/NumberConversion.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace swf::avm1 {

namespace {

constexpr uint64_t kTenTo15 = 1000000000000000ull;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Value of c as a digit of any radix up to 36, or 99.
int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

size_t skipSpaces(std::string_view s, size_t pos) {
    while (pos < s.size() && isSpace(s[pos])) ++pos;
    return pos;
}

// 10^n by repeated squaring. The player scales with powers made this way, and their rounding
// decides the last printed digit of values such as Number.MAX_VALUE ("1.79769313486231e+308").
double powerOfTen(uint64_t n) {
    double result = 1.0;
    double base = 10.0;
    for (; n != 0; n >>= 1) {
        if (n & 1) result *= base;
        base *= base;
    }
    return result;
}

double applyExponent(double value, int64_t exponent) {
    if (exponent == 0 || value == 0) return value;
    if (exponent > 0) return value * powerOfTen(uint64_t(exponent));
    // Small exponents multiply by the reciprocal power: "4.5e-4" equals "0.00045" read figure
    // by figure.
    return value * (1.0 / powerOfTen(uint64_t(-exponent)));
}

// x (positive, finite) as digits * 10^(exponent - 14) with digits of exactly 15 figures.
struct Decimal15 {
    uint64_t digits;
    int exponent;
};

// x * 10^power with the powers above; scaling down divides.
double scaleByPowerOfTen(double x, int power) {
    if (power <= 0) return x / powerOfTen(uint64_t(-power));
    constexpr int kLargestPower = 300;
    if (power > kLargestPower) {  // subnormal x: the full power would overflow
        x *= powerOfTen(uint64_t(power - kLargestPower));
        power = kLargestPower;
    }
    return x * powerOfTen(uint64_t(power));
}

// The player scales x to two integer figures, takes a tenth of that, and then reads the figures
// off one at a time, rounding half up on the sixteenth. Each step rounds as doubles do, which
// decides near ties: sin(1) prints 0.841470984807897, 0.30469265401539752 prints
// 0.304692654015397, Number.MAX_VALUE 1.79769313486231e+308.
Decimal15 toDecimal15(double x) {
    int exponent = int(std::floor(std::log10(x)));
    double scaled = scaleByPowerOfTen(x, 1 - exponent);
    for (int attempt = 0; attempt < 4 && (scaled < 10 || scaled >= 100); ++attempt) {
        int next = scaled < 10 ? exponent - 1 : exponent + 1;
        double rescaled = scaleByPowerOfTen(x, 1 - next);
        if (rescaled < 10 || rescaled >= 100) break;  // on a power of ten, both miss by a hair
        exponent = next;
        scaled = rescaled;
    }
    if (scaled >= 100) {
        scaled /= 10;
        ++exponent;
    } else if (scaled < 10) {
        scaled *= 10;
        --exponent;
    }
    double rest = std::clamp(scaled, 10.0, 100.0) / 10;
    uint64_t digits = 0;
    int sixteenth = 0;
    for (int figure = 0; figure < 16; ++figure) {
        int digit = std::clamp(int(rest), 0, 9);
        rest = (rest - digit) * 10;
        if (figure < 15) {
            digits = digits * 10 + uint64_t(digit);
        } else {
            sixteenth = digit;
        }
    }
    if (sixteenth >= 5) ++digits;
    if (digits >= kTenTo15) {
        digits /= 10;
        ++exponent;
    }
    return {digits, exponent};
}

struct Scan {
    double value;
    size_t end;
    bool found;
};

// [sign] digits and dots [e [sign] digits] from pos, the way parseFloat reads them: dots after
// the first are skipped ("1.2.3" is 1.23) but then no exponent follows, the exponent wraps as a
// 32-bit integer, and an 'e' without digits counts as e0. Each fraction digit is added on its
// own, which is not correctly rounded (".1499999" gives 0.14999990000000005).
Scan scanDecimal(std::string_view s, size_t pos) {
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) negative = s[pos++] == '-';
    double value = 0;
    double scale = 1;
    int dots = 0;
    bool found = false;
    for (; pos < s.size(); ++pos) {
        if (s[pos] == '.') {
            ++dots;
            continue;
        }
        if (!isDigit(s[pos])) break;
        found = true;
        int digit = s[pos] - '0';
        if (dots == 0) {
            value = value * 10 + digit;
        } else {
            scale /= 10;
            value += digit * scale;
        }
    }
    if (!found) return {kNaN, pos, false};
    if (dots <= 1 && pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) negativeExponent = s[pos++] == '-';
        uint32_t exponent = 0;
        for (; pos < s.size() && isDigit(s[pos]); ++pos) exponent = exponent * 10 + (s[pos] - '0');
        value = applyExponent(value, int32_t(negativeExponent ? 0u - exponent : exponent));
    }
    return {negative ? -value : value, pos, true};
}

// Whitespace, one sign and at least one digit of `radix` that reach the end of s, as a 32-bit
// signed integer (the digits wrap modulo 2^32).
double wrappedInteger(std::string_view s, size_t pos, int radix) {
    pos = skipSpaces(s, pos);
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) negative = s[pos++] == '-';
    if (pos == s.size()) return kNaN;
    uint32_t value = 0;
    for (; pos < s.size(); ++pos) {
        int digit = digitValue(s[pos]);
        if (digit >= radix) return kNaN;
        value = value * uint32_t(radix) + uint32_t(digit);
    }
    return double(int32_t(negative ? 0u - value : value));
}

// [sign] 0 followed only by octal digits.
bool isOctalText(std::string_view s) {
    size_t pos = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
    if (pos >= s.size() || s[pos] != '0') return false;
    return std::all_of(s.begin() + pos, s.end(), [](char c) { return c >= '0' && c <= '7'; });
}

bool hasHexPrefix(std::string_view s, size_t pos) {
    return s.size() > pos + 1 && s[pos] == '0' && (s[pos + 1] == 'x' || s[pos + 1] == 'X');
}

}  // namespace

std::string numberToString(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0) return "0";
    Decimal15 decimal = toDecimal15(std::fabs(value));
    std::string digits = std::to_string(decimal.digits);
    digits.erase(digits.find_last_not_of('0') + 1);
    int exponent = decimal.exponent;
    std::string text = value < 0 ? "-" : "";
    if (exponent >= 15 || exponent < -5) {
        text += digits[0];
        if (digits.size() > 1) text.append(".").append(digits, 1);
        text += exponent > 0 ? "e+" : "e-";
        text += std::to_string(std::abs(exponent));
    } else if (exponent < 0) {
        text.append("0.").append(size_t(-exponent - 1), '0').append(digits);
    } else {
        auto integerDigits = size_t(exponent + 1);
        text.append(digits, 0, integerDigits);
        if (digits.size() <= integerDigits) {
            text.append(integerDigits - digits.size(), '0');
        } else {
            text.append(".").append(digits, integerDigits);
        }
    }
    return text;
}

std::string numberToStringRadix(double value, int radix) {
    if (radix < 2 || radix > 36 || radix == 10) return numberToString(value);
    // The player's float to int conversion yields INT32_MIN for NaN and out-of-range values.
    int32_t integer = (value > -2147483649.0 && value < 2147483648.0)
                          ? int32_t(value)
                          : std::numeric_limits<int32_t>::min();
    if (integer == 0) return "0";
    // Negating INT32_MIN leaves it negative, so its "digits" are negative remainders that the
    // player turns into characters below '0' (e.g. "-(0000000" in hex).
    int32_t rest = integer < 0 ? int32_t(0u - uint32_t(integer)) : integer;
    std::string text;
    while (rest != 0) {
        int digit = rest % radix;
        text += char(digit < 10 ? '0' + digit : 'a' + digit - 10);
        rest /= radix;
    }
    if (integer < 0) text += '-';
    std::reverse(text.begin(), text.end());
    return text;
}

double stringToNumber(std::string_view text, int swfVersion) {
    if (swfVersion <= 4) {
        double value = parseFloatText(text);
        return std::isnan(value) ? 0 : value;
    }
    if (swfVersion >= 6) {
        // Only at the very start: " 0x10" and "-0x10" are NaN, " 010" is decimal.
        if (hasHexPrefix(text, 0)) return wrappedInteger(text, 2, 16);
        if (isOctalText(text)) return wrappedInteger(text, 0, 8);
    }
    Scan scan = scanDecimal(text, skipSpaces(text, 0));
    return scan.found && scan.end == text.size() ? scan.value : kNaN;
}

double parseIntText(std::string_view text, int radix) {
    bool radixGiven = radix != 0;
    if (radixGiven && (radix < 2 || radix > 36)) return kNaN;
    size_t start = 0;
    size_t afterSign = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    if (hasHexPrefix(text, afterSign)) {
        // The player skips two characters from the start even after a sign, so "-0x100" reads
        // "x100": NaN in hex, 1540944 with radix 36, the sign lost.
        start = 2;
        if (!radixGiven) radix = 16;
    } else if (!radixGiven) {
        radix = isOctalText(text) ? 8 : 10;
    }
    size_t pos = skipSpaces(text, start);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    double value = 0;
    bool found = false;
    for (; pos < text.size(); ++pos) {
        int digit = digitValue(text[pos]);
        if (digit >= radix) break;
        value = value * radix + digit;
        found = true;
    }
    if (!found) return kNaN;
    return negative ? -value : value;
}

double parseFloatText(std::string_view text) {
    Scan scan = scanDecimal(text, skipSpaces(text, 0));
    return scan.found ? scan.value : kNaN;
}

uint32_t toUint32(double value) {
    if (!std::isfinite(value)) return 0;
    double wrapped = std::fmod(std::trunc(value), 4294967296.0);
    if (wrapped < 0) wrapped += 4294967296.0;
    return uint32_t(wrapped);
}

int32_t toInt32(double value) {
    return int32_t(toUint32(value));
}

double toInteger(double value) {
    if (std::isnan(value)) return 0;
    return std::trunc(value);
}

}  // namespace swf::avm1
