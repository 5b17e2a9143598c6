// Camera and Microphone: this player has no capture device, so there is none to get and the
// list of names is empty; the instance methods exist and do nothing.

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"

namespace swf::avm1 {
namespace {

Value noDeviceNames(Machine& m, Object*, std::span<const Value>) {
    return Value(m.newArray());
}

using native::method;

constexpr NativeMember kDeviceStatics[] = {
    method("get", native::none, 0),
    native::accessor("names", noDeviceNames, nullptr, kReadOnly),
};

constexpr NativeMember kCameraMethods[] = {
    method("setMode", native::nothing),
    method("setQuality", native::nothing),
    method("setKeyFrameInterval", native::nothing),
    method("setMotionLevel", native::nothing),
    method("setLoopback", native::nothing),
    method("setCursor", native::nothing),
};

constexpr NativeMember kMicrophoneMethods[] = {
    method("setSilenceLevel", native::nothing),
    method("setRate", native::nothing),
    method("setGain", native::nothing),
    method("setUseEchoSuppression", native::nothing),
    method("setCodec", native::nothing),
    method("setFramesPerPacket", native::nothing),
    method("setEncodeQuality", native::nothing),
};

}  // namespace

void installCameraClass(Machine& m) {
    installClass(m, m.global(), m.newObject(),
                 {"Camera", native::nothing, nullptr, {}, kDeviceStatics, kCameraMethods});
}

void installMicrophoneClass(Machine& m) {
    installClass(m, m.global(), m.newObject(),
                 {"Microphone", native::nothing, nullptr, {}, kDeviceStatics, kMicrophoneMethods});
}

}  // namespace swf::avm1
