// Microphone: this player has no microphone, so there is none to get and the list of names
// is empty.

#include "swf/avm1/ArrayObject.h"
#include "swf/avm1/Builtins.h"
#include "swf/avm1/Machine.h"

namespace swf::avm1 {

void installMicrophoneClass(Machine& m) {
    Object* proto = m.newObject();
    Function* ctor =
        m.defineClass(m.global(), "Microphone", proto,
                      [](Machine&, Object*, std::span<const Value>) { return Value(); });
    m.defineMethod(
        ctor, "get", [](Machine&, Object*, std::span<const Value>) { return Value(Null{}); }, 0);
    m.defineAccessor(
        ctor, "names",
        [](Machine& m, Object*, std::span<const Value>) { return Value(m.newArray()); }, {},
        kReadOnly);
    auto nothing = [](Machine&, Object*, std::span<const Value>) { return Value(); };
    for (const char* name : {"setSilenceLevel", "setRate", "setGain", "setUseEchoSuppression",
                             "setCodec", "setFramesPerPacket", "setEncodeQuality"})
        m.defineMethod(proto, name, nothing);
}

}  // namespace swf::avm1
