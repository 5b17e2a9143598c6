// Math. Every method converts its first two arguments, whether it uses them or not (their
// valueOf runs, in order); an argument not given is NaN, even where undefined converts to 0.

#include <cmath>
#include <limits>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"

namespace swf::avm1 {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct Operands {
    double a = kNaN, b = kNaN;
};

Operands operands(Machine& m, std::span<const Value> args) {
    Operands o;
    if (!args.empty()) o.a = m.toNumber(args[0]);
    if (args.size() > 1) o.b = m.toNumber(args[1]);
    return o;
}

template <double (*F)(double)>
Value unary(Machine& m, Object*, std::span<const Value> args) {
    return Value(F(operands(m, args).a));
}

template <double (*F)(double, double)>
Value binary(Machine& m, Object*, std::span<const Value> args) {
    Operands o = operands(m, args);
    return Value(F(o.a, o.b));
}

double absolute(double x) { return std::fabs(x); }
double arcCosine(double x) { return std::acos(x); }
double arcSine(double x) { return std::asin(x); }
double arcTangent(double x) { return std::atan(x); }
double ceiling(double x) { return std::ceil(x); }
double cosine(double x) { return std::cos(x); }
double exponential(double x) { return std::exp(x); }
double floorOf(double x) { return std::floor(x); }
double logarithm(double x) { return std::log(x); }
// Halves round up, -12.5 to -12.
double rounded(double x) { return std::floor(x + 0.5); }
double sine(double x) { return std::sin(x); }
double squareRoot(double x) { return std::sqrt(x); }
double tangent(double x) { return std::tan(x); }
double arcTangent2(double y, double x) { return std::atan2(y, x); }
// The player raises 2 to y * log2|x|: the power of 2 of the nearest whole exponent times
// 1 + (2^f - 1) for the fraction f left, that last term rounded to a double before the 1 is
// added (so 2^0.5 comes out one unit below the nearest double). Zeros, infinities and NaN
// follow the usual rules.
double power(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y) || x == 0 || y == 0) return std::pow(x, y);
    bool integral = std::nearbyint(y) == y;
    if (x < 0 && !integral) return kNaN;
    long double magnitude = std::fabs(x);
    long double exponent = static_cast<long double>(y) * std::log2(magnitude);
    // Far past the range of doubles either way: nothing to round.
    if (std::fabs(exponent) > 2200) return std::pow(x, y);
    long double whole = std::nearbyint(exponent);
    constexpr long double kLn2 = 0.693147180559945309417232121458176568L;
    double excess = static_cast<double>(std::expm1((exponent - whole) * kLn2));
    double result = std::ldexp(1.0 + excess, static_cast<int>(whole));
    bool odd = integral && std::fmod(y, 2.0) != 0;
    return x < 0 && odd ? -result : result;
}

// Without arguments the identity of each; with one, the missing second is NaN.
Value minimum(Machine& m, Object*, std::span<const Value> args) {
    if (args.empty()) return Value(kInfinity);
    Operands o = operands(m, args);
    return Value(std::isnan(o.a) || std::isnan(o.b) ? kNaN : std::min(o.a, o.b));
}

Value maximum(Machine& m, Object*, std::span<const Value> args) {
    if (args.empty()) return Value(-kInfinity);
    Operands o = operands(m, args);
    return Value(std::isnan(o.a) || std::isnan(o.b) ? kNaN : std::max(o.a, o.b));
}

Value randomFraction(Machine& m, Object*, std::span<const Value> args) {
    operands(m, args);
    return Value(m.random());
}

// ASnative(200, n) for a number without a method: the arguments are converted all the same.
Value noMethod(Machine& m, Object*, std::span<const Value> args) {
    operands(m, args);
    return Value(kNaN);
}

using native::constant;
using native::method;

constexpr NativeMember kMathMembers[] = {
    constant("E", M_E),
    constant("LN10", M_LN10),
    constant("LN2", M_LN2),
    constant("LOG10E", M_LOG10E),
    constant("LOG2E", M_LOG2E),
    constant("PI", M_PI),
    constant("SQRT1_2", M_SQRT1_2),
    constant("SQRT2", M_SQRT2),
    method("abs", unary<absolute>).numbered(200, 0),
    method("acos", unary<arcCosine>).numbered(200, 16),
    method("asin", unary<arcSine>).numbered(200, 15),
    method("atan", unary<arcTangent>).numbered(200, 14),
    method("ceil", unary<ceiling>).numbered(200, 13),
    method("cos", unary<cosine>).numbered(200, 4),
    method("exp", unary<exponential>).numbered(200, 7),
    method("floor", unary<floorOf>).numbered(200, 12),
    method("log", unary<logarithm>).numbered(200, 8),
    method("round", unary<rounded>).numbered(200, 10),
    method("sin", unary<sine>).numbered(200, 3),
    method("sqrt", unary<squareRoot>).numbered(200, 9),
    method("tan", unary<tangent>).numbered(200, 6),
    method("atan2", binary<arcTangent2>).numbered(200, 5),
    method("pow", binary<power>).numbered(200, 17),
    method("min", minimum).numbered(200, 1),
    method("max", maximum).numbered(200, 2),
    method("random", randomFraction).numbered(200, 11),
};

}  // namespace

void installMathClass(Machine& m) {
    Object* math = m.newObject();
    m.global()->setOwn("Math", Value(math), kDontEnum);
    installMembers(m, math, kMathMembers);
    m.natives().addTableDefault(200, noMethod);
}

}  // namespace swf::avm1
