// Number: the constructor (a conversion when called as a function), its constants and the
// methods of Number.prototype.

#include <cmath>
#include <limits>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/machine/PrimitiveObject.h"

namespace swf::avm1 {
namespace {

// The number of a Number object; the methods answer undefined for anything else.
bool ownNumber(Object* self, double& out) {
    auto* p = dynamic_cast<PrimitiveObject*>(self);
    if (!p || !p->value().isNumber()) return false;
    out = p->value().asNumber();
    return true;
}

Value numberConstruct(Machine& m, Object* self, std::span<const Value> args) {
    bool constructing = m.constructing();
    Value n(args.empty() ? 0.0 : m.toNumber(args[0]));
    if (!constructing) return n;
    if (auto* p = dynamic_cast<PrimitiveObject*>(self)) p->setValue(n);
    return Value(self);
}

Object* makeNumber(Machine& m, Object* prototype) {
    return m.heap().make<PrimitiveObject>(prototype, Value(0.0));
}

Value numberToString(Machine& m, Object* self, std::span<const Value> args) {
    double n;
    if (!ownNumber(self, n)) return Value();
    // numberToStringRadix prints radixes outside 2..36 in decimal.
    int radix = args.empty() || args[0].isUndefined() ? 10 : m.toInt32(args[0]);
    return Value(numberToStringRadix(n, radix));
}

Value numberValueOf(Machine&, Object* self, std::span<const Value>) {
    double n;
    return ownNumber(self, n) ? Value(n) : Value();
}

using native::constant;
using native::method;
using Limits = std::numeric_limits<double>;

constexpr NativeMember kNumberStatics[] = {
    constant("MAX_VALUE", Limits::max()),
    constant("MIN_VALUE", Limits::denorm_min()),
    constant("NaN", Limits::quiet_NaN()),
    constant("NEGATIVE_INFINITY", -Limits::infinity()),
    constant("POSITIVE_INFINITY", Limits::infinity()),
};

constexpr NativeMember kNumberMethods[] = {
    method("toString", numberToString).numbered(106, 1),
    method("valueOf", numberValueOf).numbered(106, 0),
};

}  // namespace

void installNumberClass(Machine& m) {
    // The prototype holds no number: its own valueOf answers undefined, so in SWF 5 it equals
    // null and undefined.
    Object* proto = m.newObject();
    m.prototypes().number = proto;
    installClass(m, m.global(), proto,
                 {"Number", numberConstruct, makeNumber, {106, 2}, kNumberStatics, kNumberMethods});
}

}  // namespace swf::avm1
