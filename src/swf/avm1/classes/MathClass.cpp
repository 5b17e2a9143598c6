// Math. Every method converts its first two arguments, whether it uses them or not (their
// valueOf runs, in order); an argument not given is NaN, even where undefined converts to 0.

#include <cmath>
#include <limits>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"

namespace swf::avm1 {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
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

void defineUnary(Machine& m, Object* math, std::string_view name, double (*f)(double)) {
    m.defineMethod(math, name, [f](Machine& m, Object*, std::span<const Value> args) {
        return Value(f(operands(m, args).a));
    });
}

void defineBinary(Machine& m, Object* math, std::string_view name, double (*f)(double, double)) {
    m.defineMethod(math, name, [f](Machine& m, Object*, std::span<const Value> args) {
        Operands o = operands(m, args);
        return Value(f(o.a, o.b));
    });
}

}  // namespace

void installMathClass(Machine& m) {
    Object* math = m.newObject();
    m.global()->setOwn("Math", Value(math), kDontEnum);

    constexpr uint16_t kConstant = kDontEnum | kDontDelete | kReadOnly;
    math->setOwn("E", Value(M_E), kConstant);
    math->setOwn("LN10", Value(M_LN10), kConstant);
    math->setOwn("LN2", Value(M_LN2), kConstant);
    math->setOwn("LOG10E", Value(M_LOG10E), kConstant);
    math->setOwn("LOG2E", Value(M_LOG2E), kConstant);
    math->setOwn("PI", Value(M_PI), kConstant);
    math->setOwn("SQRT1_2", Value(M_SQRT1_2), kConstant);
    math->setOwn("SQRT2", Value(M_SQRT2), kConstant);

    defineUnary(m, math, "abs", [](double x) { return std::fabs(x); });
    defineUnary(m, math, "acos", [](double x) { return std::acos(x); });
    defineUnary(m, math, "asin", [](double x) { return std::asin(x); });
    defineUnary(m, math, "atan", [](double x) { return std::atan(x); });
    defineUnary(m, math, "ceil", [](double x) { return std::ceil(x); });
    defineUnary(m, math, "cos", [](double x) { return std::cos(x); });
    defineUnary(m, math, "exp", [](double x) { return std::exp(x); });
    defineUnary(m, math, "floor", [](double x) { return std::floor(x); });
    defineUnary(m, math, "log", [](double x) { return std::log(x); });
    // Halves round up, -12.5 to -12.
    defineUnary(m, math, "round", [](double x) { return std::floor(x + 0.5); });
    defineUnary(m, math, "sin", [](double x) { return std::sin(x); });
    defineUnary(m, math, "sqrt", [](double x) { return std::sqrt(x); });
    defineUnary(m, math, "tan", [](double x) { return std::tan(x); });
    defineBinary(m, math, "atan2", [](double y, double x) { return std::atan2(y, x); });
    defineBinary(m, math, "pow", [](double x, double y) { return std::pow(x, y); });

    // Without arguments the identity of each; with one, the missing second is NaN.
    m.defineMethod(math, "min", [](Machine& m, Object*, std::span<const Value> args) {
        if (args.empty()) return Value(kInfinity);
        Operands o = operands(m, args);
        return Value(std::isnan(o.a) || std::isnan(o.b) ? kNaN : std::min(o.a, o.b));
    });
    m.defineMethod(math, "max", [](Machine& m, Object*, std::span<const Value> args) {
        if (args.empty()) return Value(-kInfinity);
        Operands o = operands(m, args);
        return Value(std::isnan(o.a) || std::isnan(o.b) ? kNaN : std::max(o.a, o.b));
    });
    m.defineMethod(math, "random", [](Machine& m, Object*, std::span<const Value> args) {
        operands(m, args);
        return Value(m.random());
    });
}

}  // namespace swf::avm1
