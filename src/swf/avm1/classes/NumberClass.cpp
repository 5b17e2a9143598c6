// Number: the constructor (a conversion when called as a function), its constants and the
// methods of Number.prototype.

#include <cmath>
#include <limits>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
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

}  // namespace

void installNumberClass(Machine& m) {
    Object* proto = m.heap().make<PrimitiveObject>(m.prototypes().object, Value(0.0));
    m.prototypes().number = proto;
    Function* ctor = m.defineClass(
        m.global(), "Number", proto,
        [](Machine& m, Object* self, std::span<const Value> args) {
            bool constructing = m.constructing();
            Value n(args.empty() ? 0.0 : m.toNumber(args[0]));
            if (!constructing) return n;
            if (auto* p = dynamic_cast<PrimitiveObject*>(self)) p->setValue(n);
            return Value(self);
        },
        [](Machine& m, Object* prototype) -> Object* {
            return m.heap().make<PrimitiveObject>(prototype, Value(0.0));
        });
    constexpr uint16_t kConstant = kDontEnum | kDontDelete | kReadOnly;
    using Limits = std::numeric_limits<double>;
    ctor->setOwn("MAX_VALUE", Value(Limits::max()), kConstant);
    ctor->setOwn("MIN_VALUE", Value(Limits::denorm_min()), kConstant);
    ctor->setOwn("NaN", Value(Limits::quiet_NaN()), kConstant);
    ctor->setOwn("NEGATIVE_INFINITY", Value(-Limits::infinity()), kConstant);
    ctor->setOwn("POSITIVE_INFINITY", Value(Limits::infinity()), kConstant);

    m.defineMethod(proto, "toString", [](Machine& m, Object* self, std::span<const Value> args) {
        double n;
        if (!ownNumber(self, n)) return Value();
        // numberToStringRadix prints radixes outside 2..36 in decimal.
        int radix = args.empty() || args[0].isUndefined() ? 10 : m.toInt32(args[0]);
        return Value(numberToStringRadix(n, radix));
    });
    m.defineMethod(proto, "valueOf", [](Machine&, Object* self, std::span<const Value>) {
        double n;
        return ownNumber(self, n) ? Value(n) : Value();
    });
}

}  // namespace swf::avm1
