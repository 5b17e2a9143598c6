// Number, int, uint and Math.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "swf/avm2/Builtins.h"
#include "swf/avm2/Machine.h"

namespace swf::avm2 {
namespace {

double thisNumber(Machine& m, const Value& self, const char* method) {
    if (self.isNumber()) return self.asNumber();
    if (Object* o = self.asObject(); o && (o == m.builtins().number->prototype || o == m.builtins().intClass->prototype ||
                                           o == m.builtins().uintClass->prototype))
        return 0;
    m.throwError("TypeError", 1004, std::string("Method Number.prototype.") + method + " was invoked on an incompatible object.");
}

std::string fixed(double d, int digits) {
    if (std::isnan(d)) return "NaN";
    if (std::fabs(d) >= 1e21) return numberToString(d);
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", digits, d);
    return buf;
}

// The mantissa's digits rounded when `rounded`, else cut from the exact decimal expansion, as
// toExponential does.
std::string exponential(double d, int digits, bool rounded) {
    // A double's exact expansion has at most 767 significant digits.
    char buf[1024];
    std::snprintf(buf, sizeof buf, "%.*e", rounded ? digits : 780, d);
    std::string s = buf;
    size_t e = s.find('e');
    size_t point = s.find('.');
    std::string mantissa = s.substr(0, e);
    if (!rounded) mantissa = digits == 0 ? s.substr(0, point) : s.substr(0, point + 1 + static_cast<size_t>(digits));
    int exp = std::atoi(s.c_str() + e + 1);
    return mantissa + "e" + (exp < 0 ? "-" : "+") + std::to_string(std::abs(exp));
}

std::string precision(double d, int digits) {
    if (d == 0) return digits > 1 ? "0." + std::string(static_cast<size_t>(digits - 1), '0') : "0";
    int exp = static_cast<int>(std::floor(std::log10(std::fabs(d))));
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*e", digits - 1, d);
    exp = std::atoi(std::strchr(buf, 'e') + 1);
    // Small values stay in fixed notation, however many zeros that takes.
    if (exp >= digits) return exponential(d, digits - 1, true);
    return fixed(d, std::max(0, digits - 1 - exp));
}

void installNumberMethods(Machine& m, Object* proto) {
    m.defineMethod(proto, "toString", [](Machine& m, const Value& self, std::span<const Value> args) {
        double d = thisNumber(m, self, "toString");
        Value r = argAt(args, 0);
        int radix = r.isUndefined() ? 10 : m.toInt(r);
        if (radix < 2 || radix > 36)
            m.throwError("RangeError", 1003, "The radix argument must be between 2 and 36; got " + std::to_string(radix) + ".");
        return Value::string(radix == 10 ? numberToString(d) : numberToRadixString(d, radix));
    }, 1);
    m.defineMethod(proto, "toLocaleString", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(numberToString(thisNumber(m, self, "toLocaleString")));
    });
    m.defineMethod(proto, "valueOf", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(thisNumber(m, self, "valueOf"));
    });
    m.defineMethod(proto, "toFixed", [](Machine& m, const Value& self, std::span<const Value> args) {
        double d = thisNumber(m, self, "toFixed");
        double digits = m.toNumber(argAt(args, 0));
        if (std::isnan(digits)) digits = 0;
        if (digits < 0 || digits > 20)
            m.throwError("RangeError", 1002, "Number.toFixed has a range of 0 to 20. " + numberToString(digits) + " is out of range.");
        return Value::string(fixed(d, static_cast<int>(digits)));
    }, 1);
    m.defineMethod(proto, "toExponential", [](Machine& m, const Value& self, std::span<const Value> args) {
        double d = thisNumber(m, self, "toExponential");
        double digits = m.toNumber(argAt(args, 0));
        if (std::isnan(digits)) digits = 0;
        if (digits < 0 || digits > 20)
            m.throwError("RangeError", 1002, "Number.toExponential has a range of 0 to 20. " + numberToString(digits) + " is out of range.");
        if (!std::isfinite(d)) return Value::string(numberToString(d));
        return Value::string(exponential(d, static_cast<int>(digits), false));
    }, 1);
    m.defineMethod(proto, "toPrecision", [](Machine& m, const Value& self, std::span<const Value> args) {
        double d = thisNumber(m, self, "toPrecision");
        if (argAt(args, 0).isUndefined()) return Value::string(numberToString(d));
        double digits = m.toNumber(argAt(args, 0));
        if (std::isnan(digits)) digits = 0;
        if (digits < 1 || digits > 21)
            m.throwError("RangeError", 1002, "Number.toPrecision has a range of 1 to 21. " + numberToString(digits) + " is out of range.");
        if (!std::isfinite(d)) return Value::string(numberToString(d));
        return Value::string(precision(d, static_cast<int>(digits)));
    }, 1);
}

double parseIntText(const std::string& text, int radix) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' || text[i] == '\f' || text[i] == '\v')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if ((radix == 0 || radix == 16) && i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        i += 2;
        radix = 16;
    }
    if (radix == 0) radix = 10;
    if (radix < 2 || radix > 36) return NAN;
    double value = 0;
    bool any = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'z' ? c - 'a' + 10 : c >= 'A' && c <= 'Z' ? c - 'A' + 10 : 99;
        if (digit >= radix) break;
        value = value * radix + digit;
        any = true;
    }
    if (!any) return NAN;
    return negative ? -value : value;
}

}  // namespace

void installNumberClasses(Machine& m) {
    const Machine::Builtins& b = m.builtins();
    b.number->call = [](Machine& m, const Value&, std::span<const Value> args) {
        return Value::number(args.empty() ? 0 : m.toNumber(args[0]));
    };
    b.number->construct = [](Machine& m, std::span<const Value> args) {
        return Value::number(args.empty() ? 0 : m.toNumber(args[0]));
    };
    b.intClass->call = [](Machine& m, const Value&, std::span<const Value> args) {
        return Value::number(args.empty() ? 0 : m.toInt(args[0]));
    };
    b.intClass->construct = [](Machine& m, std::span<const Value> args) {
        return Value::number(args.empty() ? 0 : m.toInt(args[0]));
    };
    b.uintClass->call = [](Machine& m, const Value&, std::span<const Value> args) {
        return Value::number(args.empty() ? 0 : m.toUint(args[0]));
    };
    b.uintClass->construct = [](Machine& m, std::span<const Value> args) {
        return Value::number(args.empty() ? 0 : m.toUint(args[0]));
    };
    for (ClassObject* c : {b.number, b.intClass, b.uintClass}) {
        installNumberMethods(m, c->prototype);
        c->setOwn("length", Value::number(1));
    }
    auto constant = [&](ClassObject* c, const char* name, double v) {
        Binding binding;
        binding.kind = Binding::Kind::Const;
        binding.slot = c->classTraits->addSlot(0, SlotType::Number, Value::number(v));
        c->classTraits->bind(m.namespaces().publicNs(), name, binding);
        c->slots().resize(c->classTraits->slotCount());
        c->slots()[binding.slot] = Value::number(v);
    };
    constant(b.number, "NaN", NAN);
    constant(b.number, "POSITIVE_INFINITY", INFINITY);
    constant(b.number, "NEGATIVE_INFINITY", -INFINITY);
    constant(b.number, "MAX_VALUE", 1.7976931348623157e308);
    constant(b.number, "MIN_VALUE", 4.9406564584124654e-324);
    constant(b.intClass, "MAX_VALUE", 2147483647);
    constant(b.intClass, "MIN_VALUE", -2147483648.0);
    constant(b.uintClass, "MAX_VALUE", 4294967295.0);
    constant(b.uintClass, "MIN_VALUE", 0);

    m.defineGlobal("", "parseInt", Value::object(m.newNative([](Machine& m, const Value&, std::span<const Value> args) {
        Value r = argAt(args, 1);
        return Value::number(parseIntText(m.toString(argAt(args, 0)), r.isUndefined() ? 0 : m.toInt(r)));
    }, 2)));
    m.defineGlobal("", "parseFloat", Value::object(m.newNative([](Machine& m, const Value&, std::span<const Value> args) {
        std::string s = m.toString(argAt(args, 0));
        size_t i = 0;
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
        // The longest prefix that reads as a number.
        for (size_t end = s.size(); end > i; --end) {
            std::string prefix = s.substr(i, end - i);
            if (prefix.find_first_of("xX") != std::string::npos) continue;
            double d = stringToNumber(prefix);
            if (!std::isnan(d) && prefix.back() != ' ') return Value::number(d);
        }
        return Value::number(NAN);
    }, 1)));

    // Math is a class of statics alone: neither called nor constructed.
    ClassObject* math = m.defineClass("", "Math", m.builtins().object);
    math->sealed = true;
    math->call = [](Machine& m, const Value&, std::span<const Value>) -> Value {
        m.throwError("TypeError", 1075, "Math is not a function.");
    };
    math->construct = [](Machine& m, std::span<const Value>) -> Value {
        m.throwError("TypeError", 1076, "Math is not a constructor.");
    };
    math->setOwn("PI", Value::number(M_PI));
    math->setOwn("E", Value::number(M_E));
    math->setOwn("LN10", Value::number(M_LN10));
    math->setOwn("LN2", Value::number(M_LN2));
    math->setOwn("LOG10E", Value::number(M_LOG10E));
    math->setOwn("LOG2E", Value::number(M_LOG2E));
    math->setOwn("SQRT1_2", Value::number(M_SQRT1_2));
    math->setOwn("SQRT2", Value::number(M_SQRT2));
    for (const char* name : {"PI", "E", "LN10", "LN2", "LOG10E", "LOG2E", "SQRT1_2", "SQRT2"}) math->setEnumerable(name, false);
    using Fn1 = double (*)(double);
    struct Unary {
        const char* name;
        Fn1 fn;
    };
    static const Unary unary[] = {
        {"abs", [](double x) { return std::fabs(x); }},   {"acos", [](double x) { return std::acos(x); }},
        {"asin", [](double x) { return std::asin(x); }},  {"atan", [](double x) { return std::atan(x); }},
        {"ceil", [](double x) { return std::ceil(x); }},  {"cos", [](double x) { return std::cos(x); }},
        {"exp", [](double x) { return std::exp(x); }},    {"floor", [](double x) { return std::floor(x); }},
        {"log", [](double x) { return std::log(x); }},    {"sin", [](double x) { return std::sin(x); }},
        {"sqrt", [](double x) { return std::sqrt(x); }},  {"tan", [](double x) { return std::tan(x); }},
        {"round", [](double x) {
             double r = std::floor(x + 0.5);
             return r == 0 && x < 0 ? -0.0 : r;
         }},
    };
    for (const Unary& u : unary) {
        Fn1 fn = u.fn;
        m.defineMethod(math, u.name, [fn](Machine& m, const Value&, std::span<const Value> args) {
            return Value::number(fn(m.toNumber(argAt(args, 0))));
        }, 1);
    }
    m.defineMethod(math, "atan2", [](Machine& m, const Value&, std::span<const Value> args) {
        return Value::number(std::atan2(m.toNumber(argAt(args, 0)), m.toNumber(argAt(args, 1))));
    }, 2);
    m.defineMethod(math, "pow", [](Machine& m, const Value&, std::span<const Value> args) {
        double x = m.toNumber(argAt(args, 0)), y = m.toNumber(argAt(args, 1));
        if (std::isnan(y) || (std::fabs(x) == 1 && std::isinf(y))) return Value::number(NAN);
        return Value::number(std::pow(x, y));
    }, 2);
    m.defineMethod(math, "max", [](Machine& m, const Value&, std::span<const Value> args) {
        double r = -INFINITY;
        for (const Value& v : args) {
            double d = m.toNumber(v);
            if (std::isnan(d)) return Value::number(NAN);
            if (d > r || (d == 0 && r == 0 && !std::signbit(d))) r = d;
        }
        return Value::number(r);
    }, 2);
    m.defineMethod(math, "min", [](Machine& m, const Value&, std::span<const Value> args) {
        double r = INFINITY;
        for (const Value& v : args) {
            double d = m.toNumber(v);
            if (std::isnan(d)) return Value::number(NAN);
            if (d < r || (d == 0 && r == 0 && std::signbit(d))) r = d;
        }
        return Value::number(r);
    }, 2);
    m.defineMethod(math, "random", [](Machine&, const Value&, std::span<const Value>) {
        static std::mt19937_64 engine(12345);
        return Value::number(std::uniform_real_distribution<double>(0, 1)(engine));
    });
}

}  // namespace swf::avm2
