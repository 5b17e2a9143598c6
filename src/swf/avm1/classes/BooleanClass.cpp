// Boolean.

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/PrimitiveObject.h"

namespace swf::avm1 {
namespace {

// The methods answer undefined on anything but a Boolean object.
const Value* ownBoolean(Object* self) {
    auto* p = dynamic_cast<PrimitiveObject*>(self);
    return p && p->value().isBool() ? &p->value() : nullptr;
}

Value booleanConstruct(Machine& m, Object* self, std::span<const Value> args) {
    bool constructing = m.constructing();
    // Boolean() called without an argument gives undefined, not false.
    if (!constructing && args.empty()) return Value();
    Value b(!args.empty() && m.toBoolean(args[0]));
    if (!constructing) return b;
    if (auto* p = dynamic_cast<PrimitiveObject*>(self)) p->setValue(b);
    return Value(self);
}

Object* makeBoolean(Machine& m, Object* prototype) {
    return m.heap().make<PrimitiveObject>(prototype, Value(false));
}

Value booleanToString(Machine&, Object* self, std::span<const Value>) {
    const Value* b = ownBoolean(self);
    return b ? Value(b->asBool() ? "true" : "false") : Value();
}

Value booleanValueOf(Machine&, Object* self, std::span<const Value>) {
    const Value* b = ownBoolean(self);
    return b ? *b : Value();
}

constexpr NativeMember kBooleanMethods[] = {
    native::method("toString", booleanToString).numbered(107, 1),
    native::method("valueOf", booleanValueOf).numbered(107, 0),
};

}  // namespace

void installBooleanClass(Machine& m) {
    Object* proto = m.heap().make<PrimitiveObject>(m.prototypes().object, Value(false));
    m.prototypes().boolean = proto;
    installClass(m, m.global(), proto,
                 {"Boolean", booleanConstruct, makeBoolean, {107, 2}, {}, kBooleanMethods});
}

}  // namespace swf::avm1
