// Video: the class of embedded video objects. Pictures wait for a decoder, so attaching a
// stream or clearing shows nothing new; the methods are there for scripts that call them.

#include "swf/avm1/Builtins.h"
#include "swf/avm1/Machine.h"

namespace swf::avm1 {

void installVideoClass(Machine& m) {
    Object* proto = m.newObject();
    m.defineClass(m.global(), "Video", proto,
                  [](Machine&, Object*, std::span<const Value>) { return Value(); });
    auto nothing = [](Machine&, Object*, std::span<const Value>) { return Value(); };
    m.defineMethod(proto, "attachVideo", nothing);
    m.defineMethod(proto, "clear", nothing);
}

}  // namespace swf::avm1
