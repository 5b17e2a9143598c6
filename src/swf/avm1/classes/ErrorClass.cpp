// Error: a message and a name, and toString giving the message.

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"

namespace swf::avm1 {
namespace {

Value errorConstruct(Machine& m, Object* self, std::span<const Value> args) {
    // Called without new it makes nothing.
    if (!m.constructing()) return Value();
    if (!args.empty() && !args[0].isUndefined()) self->setOwn("message", args[0]);
    return Value(self);
}

// The message as it is, not converted: an object message stays an object.
Value errorToString(Machine& m, Object* self, std::span<const Value>) {
    return m.get(Value(self), "message");
}

constexpr NativeMember kErrorMethods[] = {
    native::text("message", "Error", kDontEnum),
    native::text("name", "Error", kDontEnum),
    native::method("toString", errorToString),
};

}  // namespace

void installErrorClass(Machine& m) {
    Object* proto = m.newObject();
    m.prototypes().error = proto;
    installClass(m, m.global(), proto, {"Error", errorConstruct, nullptr, {}, {}, kErrorMethods});
}

}  // namespace swf::avm1
