// Color: tints a clip through its colour transform. The target is looked up again on every
// call: a clip, or anything else taken as a target path (its toString called each time).

#include <cstdint>
#include <string>
#include <vector>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/display/DisplayObject.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"

namespace swf::avm1 {
namespace {


DisplayObject* targetOf(Machine& m, Object* self) {
    Value target = m.get(self, "target");
    if (DisplayObject* d = m.displayObjectOf(target)) return d;
    if (target.isNullish()) return nullptr;
    return clipAtPath(m, m.toString(target));
}

// Multipliers are percentages held in 8.8 fixed point, offsets integers; both 16 bits.
int32_t to16Bits(double value) {
    return static_cast<int16_t>(static_cast<uint16_t>(toInt32(value)));
}

struct Channel {
    const char* name;
    int32_t ColorTransform::*field;
    bool multiplier;
};
constexpr Channel kChannels[] = {
    {"ra", &ColorTransform::rMul, true}, {"rb", &ColorTransform::rAdd, false},
    {"ga", &ColorTransform::gMul, true}, {"gb", &ColorTransform::gAdd, false},
    {"ba", &ColorTransform::bMul, true}, {"bb", &ColorTransform::bAdd, false},
    {"aa", &ColorTransform::aMul, true}, {"ab", &ColorTransform::aAdd, false},
};

Value colorConstruct(Machine& m, Object* self, std::span<const Value> args) {
    if (!m.constructing() || !self) return Value();
    self->defineOwn("target",
                    Property{arg(args, 0), nullptr, nullptr, kDontEnum | kDontDelete | kReadOnly});
    return Value();
}

Value colorGetRgb(Machine& m, Object* self, std::span<const Value>) {
    DisplayObject* d = targetOf(m, self);
    if (!d) return Value();
    const ColorTransform& c = d->colorTransform();
    uint32_t rgb = (static_cast<uint32_t>(c.rAdd) << 16) |
                   (static_cast<uint32_t>(c.gAdd) << 8) | static_cast<uint32_t>(c.bAdd);
    return Value(static_cast<double>(static_cast<int32_t>(rgb)));
}

Value colorSetRgb(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* d = targetOf(m, self);
    if (!d) return Value();
    auto keep = d->shared_from_this();  // valueOf may remove the clip
    int32_t rgb = m.toInt32(arg(args, 0));
    ColorTransform c = d->colorTransform();
    c.rMul = c.gMul = c.bMul = 0;
    c.rAdd = (rgb >> 16) & 0xFF;
    c.gAdd = (rgb >> 8) & 0xFF;
    c.bAdd = rgb & 0xFF;
    d->setColorTransform(c);
    d->setScriptMoved();
    return Value();
}

Value colorGetTransform(Machine& m, Object* self, std::span<const Value>) {
    DisplayObject* d = targetOf(m, self);
    if (!d) return Value();
    const ColorTransform& c = d->colorTransform();
    Object* result = m.newObject();
    for (const Channel& ch : kChannels) {
        double v = c.*ch.field;
        result->setOwn(ch.name, Value(ch.multiplier ? v * 100 / 256 : v));
    }
    return Value(result);
}

Value colorSetTransform(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* d = targetOf(m, self);
    Object* source = m.liveObject(arg(args, 0).asObject());
    if (!d || !source) return Value();
    auto keep = d->shared_from_this();  // getters may remove the clip
    // Only the object's own fields count; the others keep their values.
    ColorTransform c = d->colorTransform();
    for (const Channel& ch : kChannels) {
        Value special;
        if (!source->findOwn(ch.name) && !source->getSpecial(m, ch.name, special)) continue;
        double v = m.toNumber(m.get(Value(source), ch.name));
        c.*ch.field = to16Bits(ch.multiplier ? v * 256 / 100 : v);
    }
    d->setColorTransform(c);
    d->setScriptMoved();
    return Value();
}

constexpr NativeMember kColorMethods[] = {
    native::method("getRGB", colorGetRgb),
    native::method("setRGB", colorSetRgb),
    native::method("getTransform", colorGetTransform),
    native::method("setTransform", colorSetTransform),
};

}  // namespace

void installColorClass(Machine& m) {
    installClass(m, m.global(), m.newObject(),
                 {"Color", colorConstruct, nullptr, {}, {}, kColorMethods});
}

}  // namespace swf::avm1
