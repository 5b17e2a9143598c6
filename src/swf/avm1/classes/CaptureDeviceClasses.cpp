// Camera and Microphone: this player has no capture device, so there is none to get and the
// list of names is empty; the instance methods exist and do nothing.

#include <initializer_list>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"

namespace swf::avm1 {
namespace {

void installAbsentDevice(Machine& m, const char* className,
                         std::initializer_list<const char*> methods) {
    Object* proto = m.newObject();
    Function* ctor =
        m.defineClass(m.global(), className, proto,
                      [](Machine&, Object*, std::span<const Value>) { return Value(); });
    m.defineMethod(
        ctor, "get", [](Machine&, Object*, std::span<const Value>) { return Value(Null{}); }, 0);
    m.defineAccessor(
        ctor, "names",
        [](Machine& m, Object*, std::span<const Value>) { return Value(m.newArray()); }, {},
        kReadOnly);
    auto nothing = [](Machine&, Object*, std::span<const Value>) { return Value(); };
    for (const char* name : methods) m.defineMethod(proto, name, nothing);
}

}  // namespace

void installCameraClass(Machine& m) {
    installAbsentDevice(m, "Camera",
                        {"setMode", "setQuality", "setKeyFrameInterval", "setMotionLevel",
                         "setLoopback", "setCursor"});
}

void installMicrophoneClass(Machine& m) {
    installAbsentDevice(m, "Microphone",
                        {"setSilenceLevel", "setRate", "setGain", "setUseEchoSuppression",
                         "setCodec", "setFramesPerPacket", "setEncodeQuality"});
}

}  // namespace swf::avm1
