// Camera and Microphone: the player offers one device of each kind, which is never granted to
// the movie: it stays muted and captures nothing. The first get() puts the device's settings
// on the class prototype and makes the one device object; later calls answer that object. The
// set methods keep what they are given, clamped as the player clamps it, and change nothing
// the device would have to grant (size, frame rate).

#include <algorithm>
#include <cmath>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/Function.h"
#include "swf/avm1/machine/Heap.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"

namespace swf::avm1 {
namespace {

struct DeviceSetting {
    enum class Kind { Number, Text, Flag };
    const char* name;
    Kind kind;
    double number;
};

using Kind = DeviceSetting::Kind;

constexpr DeviceSetting kCameraSettings[] = {
    {"activityLevel", Kind::Number, -1},
    {"bandwidth", Kind::Number, 16384},
    {"currentFps", Kind::Number, 0},
    {"fps", Kind::Number, -1},
    {"height", Kind::Number, -1},
    {"index", Kind::Text, 0},
    {"width", Kind::Number, -1},
    {"motionLevel", Kind::Number, 50},
    {"motionTimeout", Kind::Number, 2000},
    {"muted", Kind::Flag, 1},
    {"name", Kind::Text, -1},
    {"quality", Kind::Number, 0},
};

constexpr DeviceSetting kMicrophoneSettings[] = {
    {"activityLevel", Kind::Number, -1},
    {"gain", Kind::Number, 50},
    {"index", Kind::Number, 0},
    {"muted", Kind::Flag, 1},
    {"name", Kind::Text, -1},
    {"rate", Kind::Number, 8},
    {"silenceLevel", Kind::Number, 10},
    {"silenceTimeout", Kind::Number, 2000},
    {"useEchoSuppression", Kind::Number, 0},
};

// A Text setting holds the device's index as a string, or (-1) its name.
Value settingValue(const DeviceSetting& s) {
    switch (s.kind) {
        case Kind::Number:
            return Value(s.number);
        case Kind::Flag:
            return Value(s.number != 0);
        case Kind::Text:
            return s.number < 0 ? Value("") : Value("0");
    }
    return Value();
}

// The class prototype, which holds the one device object once get() has made it.
class DevicePrototype final : public Object {
  public:
    DevicePrototype(Object* proto, std::span<const DeviceSetting> settings)
        : Object(proto), settings(settings) {}
    void trace(Marker& marker) const override {
        Object::trace(marker);
        marker.mark(device);
    }
    std::span<const DeviceSetting> settings;
    Object* device = nullptr;
};

Value getDevice(Machine& m, Object* self, std::span<const Value>) {
    if (!self) return Value(Null{});
    auto* prototype = dynamic_cast<DevicePrototype*>(m.get(Value(self), "prototype").asObject());
    if (!prototype) return Value(Null{});
    if (!prototype->device) {
        for (const DeviceSetting& s : prototype->settings)
            prototype->setOwn(s.name, settingValue(s), 0);
        prototype->device = m.heap().make<Object>(prototype);
    }
    return Value(prototype->device);
}

Value deviceNames(Machine& m, Object*, std::span<const Value>) {
    const Value names[] = {Value("")};
    return Value(m.newArray(names));
}

// A level from 0 to 100; what is no number stays as it is given.
Value level(Machine& m, const Value& v) {
    const double n = m.toNumber(v);
    return Value(std::isnan(n) ? n : std::clamp(n, 0.0, 100.0));
}

// set(level, timeout) of a device: the level clamped, the timeout when one is given.
Value setLevelAndTimeout(Machine& m, Object* self, std::span<const Value> args,
                         const char* levelName, const char* timeoutName) {
    if (!self || args.empty()) return Value();
    m.set(Value(self), levelName, level(m, args[0]));
    if (args.size() > 1) m.set(Value(self), timeoutName, Value(m.toNumber(args[1])));
    return Value();
}

Value cameraSetMotionLevel(Machine& m, Object* self, std::span<const Value> args) {
    return setLevelAndTimeout(m, self, args, "motionLevel", "motionTimeout");
}

Value micSetSilenceLevel(Machine& m, Object* self, std::span<const Value> args) {
    return setLevelAndTimeout(m, self, args, "silenceLevel", "silenceTimeout");
}

Value cameraSetQuality(Machine& m, Object* self, std::span<const Value> args) {
    if (!self || args.empty()) return Value();
    m.set(Value(self), "bandwidth", Value(m.toNumber(args[0])));
    if (args.size() > 1) m.set(Value(self), "quality", level(m, args[1]));
    return Value();
}

Value micSetGain(Machine& m, Object* self, std::span<const Value> args) {
    if (self && !args.empty()) m.set(Value(self), "gain", level(m, args[0]));
    return Value();
}

Value micSetRate(Machine& m, Object* self, std::span<const Value> args) {
    if (self && !args.empty()) m.set(Value(self), "rate", Value(m.toNumber(args[0])));
    return Value();
}

Value micSetUseEchoSuppression(Machine& m, Object* self, std::span<const Value> args) {
    if (self && !args.empty())
        m.set(Value(self), "useEchoSuppression", Value(m.toBoolean(args[0])));
    return Value();
}

using native::method;

constexpr NativeMember kDeviceStatics[] = {
    method("get", getDevice, 0),
    native::accessor("names", deviceNames, nullptr, kReadOnly),
};

constexpr NativeMember kCameraMethods[] = {
    method("setMode", native::nothing),
    method("setQuality", cameraSetQuality),
    method("setKeyFrameInterval", native::nothing),
    method("setMotionLevel", cameraSetMotionLevel),
    method("setLoopback", native::nothing),
    method("setCursor", native::nothing),
};

constexpr NativeMember kMicrophoneMethods[] = {
    method("setSilenceLevel", micSetSilenceLevel),
    method("setRate", micSetRate),
    method("setGain", micSetGain),
    method("setUseEchoSuppression", micSetUseEchoSuppression),
    method("setCodec", native::nothing),
    method("setFramesPerPacket", native::nothing),
    method("setEncodeQuality", native::nothing),
};

}  // namespace

void installCameraClass(Machine& m) {
    installClass(m, m.global(),
                 m.heap().make<DevicePrototype>(m.prototypes().object, kCameraSettings),
                 {"Camera", native::nothing, nullptr, {}, kDeviceStatics, kCameraMethods});
}

void installMicrophoneClass(Machine& m) {
    installClass(m, m.global(),
                 m.heap().make<DevicePrototype>(m.prototypes().object, kMicrophoneSettings),
                 {"Microphone", native::nothing, nullptr, {}, kDeviceStatics, kMicrophoneMethods});
}

}  // namespace swf::avm1
