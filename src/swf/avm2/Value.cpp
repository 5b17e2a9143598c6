#include "swf/avm2/Value.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace swf::avm2 {

const std::string& Value::asString() const {
    static const std::string empty;
    return s_ ? *s_ : empty;
}

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

double stringToNumber(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    if (begin == end) return 0;
    std::string_view s(text.data() + begin, end - begin);
    bool negative = false;
    std::string_view body = s;
    if (body[0] == '+' || body[0] == '-') {
        negative = body[0] == '-';
        body.remove_prefix(1);
    }
    if (body == "Infinity") return negative ? -INFINITY : INFINITY;
    if (body.size() > 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X')) {
        double value = 0;
        for (char c : body.substr(2)) {
            int digit = (c >= '0' && c <= '9') ? c - '0'
                        : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                        : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                 : -1;
            if (digit < 0) return NAN;
            value = value * 16 + digit;
        }
        return negative ? -value : value;
    }
    // Digits, one point, an exponent: nothing else (no "inf", "nan" or hex floats).
    size_t i = 0;
    bool digits = false;
    while (i < body.size() && body[i] >= '0' && body[i] <= '9') ++i, digits = true;
    if (i < body.size() && body[i] == '.') {
        ++i;
        while (i < body.size() && body[i] >= '0' && body[i] <= '9') ++i, digits = true;
    }
    if (!digits) return NAN;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        size_t j = i + 1;
        if (j < body.size() && (body[j] == '+' || body[j] == '-')) ++j;
        size_t expDigits = j;
        while (j < body.size() && body[j] >= '0' && body[j] <= '9') ++j;
        if (j == expDigits) return NAN;
        i = j;
    }
    if (i != body.size()) return NAN;
    std::string copy(s);
    return std::strtod(copy.c_str(), nullptr);
}

std::string numberToString(double d) {
    if (std::isnan(d)) return "NaN";
    if (d == 0) return "0";
    if (std::isinf(d)) return d < 0 ? "-Infinity" : "Infinity";
    std::string sign = d < 0 ? "-" : "";
    d = std::fabs(d);
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific);
    std::string sci(buf, result.ptr);
    size_t e = sci.find('e');
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (sci[i] != '.') digits += sci[i];
    int exponent = std::atoi(sci.c_str() + e + 1);
    int k = static_cast<int>(digits.size());
    int n = exponent + 1;
    if (k <= n && n <= 21) return sign + digits + std::string(static_cast<size_t>(n - k), '0');
    if (0 < n && n <= 21) return sign + digits.substr(0, static_cast<size_t>(n)) + "." + digits.substr(static_cast<size_t>(n));
    if (-6 < n && n <= 0) return sign + "0." + std::string(static_cast<size_t>(-n), '0') + digits;
    // Past 1e21 the player keeps 15 significant digits, cut rather than rounded
    // ("1.79769313486231e+308").
    if (n > 21 && k > 15) {
        digits.erase(15);
        digits.erase(digits.find_last_not_of('0') + 1);
        k = static_cast<int>(digits.size());
    }
    std::string mantissa = digits.substr(0, 1);
    if (k > 1) mantissa += "." + digits.substr(1);
    return sign + mantissa + "e" + (n - 1 >= 0 ? "+" : "-") + std::to_string(std::abs(n - 1));
}

std::string numberToRadixString(double d, int radix) {
    if (std::isnan(d)) return "NaN";
    if (std::isinf(d)) return d < 0 ? "-Infinity" : "Infinity";
    bool negative = d < 0;
    double whole = std::floor(std::fabs(d));
    std::string out;
    const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
    do {
        double q = std::floor(whole / radix);
        out.insert(out.begin(), digits[static_cast<int>(whole - q * radix)]);
        whole = q;
    } while (whole >= 1 && out.size() < 1100);
    return negative ? "-" + out : out;
}

int32_t toInt32(double d) {
    return static_cast<int32_t>(toUint32(d));
}

uint32_t toUint32(double d) {
    if (!std::isfinite(d)) return 0;
    double t = std::trunc(d);
    double m = std::fmod(t, 4294967296.0);
    if (m < 0) m += 4294967296.0;
    return static_cast<uint32_t>(m);
}

const char* primitiveTypeName(const Value& v) {
    switch (v.kind()) {
        case Value::Kind::Undefined: return "undefined";
        case Value::Kind::Null: return "object";
        case Value::Kind::Boolean: return "boolean";
        case Value::Kind::Number: return "number";
        case Value::Kind::String: return "string";
        case Value::Kind::Object: return "object";
    }
    return "undefined";
}

bool isIntValue(double d) {
    return d >= -2147483648.0 && d <= 2147483647.0 && std::trunc(d) == d && !(d == 0 && std::signbit(d));
}

bool isUintValue(double d) {
    return d >= 0 && d <= 4294967295.0 && std::trunc(d) == d && !(d == 0 && std::signbit(d));
}

}  // namespace swf::avm2
