#include "swf/avm1/machine/Activation.h"

#include <algorithm>
#include <cmath>

#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/machine/StringFunctions.h"

namespace swf::avm1 {

using enum ActionCode;

Activation::Outcome Activation::runAdd(Step&) {
    auto [a, b] = popNumbers();
    push(Value(a + b));
    return Outcome::Normal;
}

Activation::Outcome Activation::runSubtract(Step&) {
    auto [a, b] = popNumbers(true);
    push(Value(a - b));
    return Outcome::Normal;
}

Activation::Outcome Activation::runMultiply(Step&) {
    auto [a, b] = popNumbers();
    push(Value(a * b));
    return Outcome::Normal;
}

Activation::Outcome Activation::runDivide(Step&) {
    auto [a, b] = popNumbers(true);
    if (swf4() && b == 0)
        push(Value("#ERROR#"));
    else
        push(Value(a / b));
    return Outcome::Normal;
}

Activation::Outcome Activation::runEquals(Step&) {
    auto [a, b] = popNumbers(true);
    pushBool(a == b);
    return Outcome::Normal;
}

Activation::Outcome Activation::runLess(Step&) {
    auto [a, b] = popNumbers();
    pushBool(a < b);
    return Outcome::Normal;
}

Activation::Outcome Activation::runAnd(Step&) {
    bool b = machine_.toBoolean(pop()), a = machine_.toBoolean(pop());
    pushBool(a && b);
    return Outcome::Normal;
}

Activation::Outcome Activation::runOr(Step&) {
    bool b = machine_.toBoolean(pop()), a = machine_.toBoolean(pop());
    pushBool(a || b);
    return Outcome::Normal;
}

Activation::Outcome Activation::runNot(Step&) {
    pushBool(!machine_.toBoolean(pop()));
    return Outcome::Normal;
}

Activation::Outcome Activation::runStringEquals(Step&) {
    auto [a, b] = popStrings();
    pushBool(sameText(a, b, version_));
    return Outcome::Normal;
}

Activation::Outcome Activation::runStringLess(Step&) {
    auto [a, b] = popStrings();
    pushBool(compareText(a, b, version_) < 0);
    return Outcome::Normal;
}

Activation::Outcome Activation::runStringGreater(Step&) {
    auto [a, b] = popStrings();
    pushBool(compareText(a, b, version_) > 0);
    return Outcome::Normal;
}

Activation::Outcome Activation::runStringLength(Step& step) {
    std::string s = machine_.toString(pop());
    push(Value(static_cast<double>(
        step.record.code == kStringLength && version_ < 6 ? s.size() : stringLength(s, version_))));
    return Outcome::Normal;
}

Activation::Outcome Activation::runStringExtract(Step& step) {
    // Index (from 1) and count are 32-bit integers; a negative count takes the rest. From
    // SWF 6 on both count UTF-16 units, so half a surrogate pair can come out alone.
    int32_t count = toInt32(machine_.toNumber(pop()));
    int32_t index = toInt32(machine_.toNumber(pop()));
    int version = step.record.code == kStringExtract && version_ < 6 ? 5 : version_;
    std::u16string units = toUnits(machine_.toString(pop()), version);
    size_t from = std::min<size_t>(index > 1 ? size_t(index - 1) : 0, units.size());
    size_t n = count < 0 ? units.size() : size_t(count);
    push(Value(fromUnits(std::u16string_view(units).substr(from, n), version)));
    return Outcome::Normal;
}

Activation::Outcome Activation::runStringAdd(Step&) {
    auto [a, b] = popStrings();
    Machine::checkLength(a.size() + b.size());
    appendText(a, b, version_);
    push(Value(std::move(a)));
    return Outcome::Normal;
}

Activation::Outcome Activation::runCharToAscii(Step& step) {
    std::string s = machine_.toString(pop());
    // From SWF 6 on, ord works in UTF-16 units as mbord does; half a pair reads as U+FFFD.
    int32_t unit =
        unitAt(s, 0, step.record.code == kCharToAscii && version_ < 6 ? 5 : version_);
    if (unit >= 0xD800 && unit < 0xE000) unit = 0xFFFD;
    push(Value(static_cast<double>(std::max(unit, 0))));
    return Outcome::Normal;
}

Activation::Outcome Activation::runAsciiToChar(Step& step) {
    double code = machine_.toNumber(pop());
    uint32_t c = std::isnan(code) ? 0 : static_cast<uint32_t>(toInt32(code));
    bool bytes = step.record.code == kAsciiToChar && version_ < 6;
    c = bytes ? (c & 0xFF) : (c & 0xFFFF);
    // Code 0 ends a string: the character is the empty string.
    push(Value(c == 0 ? std::string()
                      : fromUnits(std::u16string(1, static_cast<char16_t>(c)), bytes ? 5 : version_)));
    return Outcome::Normal;
}

Activation::Outcome Activation::runToInteger(Step&) {
    push(Value(static_cast<double>(toInt32(machine_.toNumber(pop())))));
    return Outcome::Normal;
}

Activation::Outcome Activation::runRandomNumber(Step&) {
    double max = machine_.toNumber(pop());
    int32_t limit = std::isnan(max) ? 0 : toInt32(max);
    push(Value(limit <= 0
                   ? 0.0
                   : static_cast<double>(machine_.randomBelow(static_cast<uint32_t>(limit)))));
    return Outcome::Normal;
}

Activation::Outcome Activation::runModulo(Step&) {
    auto [a, b] = popNumbers();
    push(Value(std::fmod(a, b)));
    return Outcome::Normal;
}

Activation::Outcome Activation::runAdd2(Step&) {
    Value b = pop(), a = pop();
    push(machine_.add(a, b));
    return Outcome::Normal;
}

Activation::Outcome Activation::runLess2(Step&) {
    Value b = pop(), a = pop();
    Value r = machine_.lessThan(a, b);
    if (r.isBool())
        pushBool(r.asBool());
    else
        push(std::move(r));
    return Outcome::Normal;
}

Activation::Outcome Activation::runGreater(Step&) {
    Value b = pop(), a = pop();
    Value r = machine_.lessThan(b, a);
    if (r.isBool())
        pushBool(r.asBool());
    else
        push(std::move(r));
    return Outcome::Normal;
}

Activation::Outcome Activation::runEquals2(Step&) {
    Value b = pop(), a = pop();
    pushBool(machine_.equals(a, b));
    return Outcome::Normal;
}

Activation::Outcome Activation::runStrictEquals(Step&) {
    Value b = pop(), a = pop();
    pushBool(machine_.strictEquals(a, b));
    return Outcome::Normal;
}

Activation::Outcome Activation::runToNumber(Step&) {
    push(Value(machine_.toNumber(pop())));
    return Outcome::Normal;
}

Activation::Outcome Activation::runToString(Step&) {
    push(Value(machine_.toString(pop())));
    return Outcome::Normal;
}

Activation::Outcome Activation::runIncrement(Step&) {
    push(Value(machine_.toNumber(pop()) + 1));
    return Outcome::Normal;
}

Activation::Outcome Activation::runDecrement(Step&) {
    push(Value(machine_.toNumber(pop()) - 1));
    return Outcome::Normal;
}

Activation::Outcome Activation::runBitwise(Step& step) {
    Value bv = pop(), av = pop();
    int32_t a = machine_.toInt32(av), b = machine_.toInt32(bv);
    uint32_t shift = static_cast<uint32_t>(b) & 31;
    double r = 0;
    switch (step.record.code) {
        case kBitAnd:
            r = a & b;
            break;
        case kBitOr:
            r = a | b;
            break;
        case kBitXor:
            r = a ^ b;
            break;
        case kBitLShift:
            r = static_cast<int32_t>(static_cast<uint32_t>(a) << shift);
            break;
        case kBitRShift:
            r = a >> shift;
            break;
        // The player keeps the unsigned result in a signed integer: 0xFFFFFFFF >>> 0
        // is -1.
        default:
            r = static_cast<int32_t>(static_cast<uint32_t>(a) >> shift);
            break;
    }
    push(Value(r));
    return Outcome::Normal;
}

}  // namespace swf::avm1
