// Error: a message and a name, and toString giving the message.

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"

namespace swf::avm1 {

void installErrorClass(Machine& m) {
    Object* proto = m.newObject();
    m.prototypes().error = proto;
    m.defineClass(m.global(), "Error", proto,
                  [](Machine& m, Object* self, std::span<const Value> args) {
                      // Called without new it makes nothing.
                      if (!m.constructing()) return Value();
                      if (!args.empty() && !args[0].isUndefined())
                          self->setOwn("message", args[0]);
                      return Value(self);
                  });
    proto->setOwn("message", Value("Error"), kDontEnum);
    proto->setOwn("name", Value("Error"), kDontEnum);
    // The message as it is, not converted: an object message stays an object.
    m.defineMethod(proto, "toString", [](Machine& m, Object* self, std::span<const Value>) {
        return m.get(Value(self), "message");
    });
}

}  // namespace swf::avm1
