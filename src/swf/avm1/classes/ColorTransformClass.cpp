// flash.geom.ColorTransform: eight numbers kept by the instance itself, read and written
// through properties of the prototype (so they convert to numbers when stored).

#include <cstdint>

#include "swf/avm1/classes/FlashGeom.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"

namespace swf::avm1::geom {
namespace {

enum Field { kRedMul, kGreenMul, kBlueMul, kAlphaMul, kRedAdd, kGreenAdd, kBlueAdd, kAlphaAdd };

constexpr std::string_view kNames[] = {"redMultiplier",   "greenMultiplier", "blueMultiplier",
                                       "alphaMultiplier", "redOffset",       "greenOffset",
                                       "blueOffset",      "alphaOffset"};

class ColorTransformObject : public Object {
  public:
    using Object::Object;
    double fields[8] = {1, 1, 1, 1, 0, 0, 0, 0};
};

ColorTransformObject* asColorTransform(Object* object) {
    return dynamic_cast<ColorTransformObject*>(object);
}

template <Field field>
Value transformField(Machine&, Object* self, std::span<const Value>) {
    ColorTransformObject* ct = asColorTransform(self);
    return ct ? Value(ct->fields[field]) : Value();
}

template <Field field>
Value setTransformField(Machine& m, Object* self, std::span<const Value> args) {
    double value = m.toNumber(arg(args, 0));
    if (ColorTransformObject* ct = asColorTransform(self)) ct->fields[field] = value;
    return Value();
}

template <Field field>
constexpr NativeMember fieldAccessor() {
    return native::accessor(kNames[field], transformField<field>, setTransformField<field>, 0);
}

Value colorTransformConstruct(Machine& m, Object* self, std::span<const Value> args) {
    ColorTransformObject* ct = m.constructing() ? asColorTransform(self) : nullptr;
    if (!ct || args.size() < 8) return Value();
    for (size_t i = 0; i < 8; ++i) ct->fields[i] = m.toNumber(args[i]);
    return Value();
}

Object* makeColorTransform(Machine& m, Object* prototype) {
    return m.heap().make<ColorTransformObject>(prototype);
}

Value colorTransformRgb(Machine&, Object* self, std::span<const Value>) {
    ColorTransformObject* ct = asColorTransform(self);
    if (!ct) return Value();
    uint32_t r = static_cast<uint32_t>(toInt32(ct->fields[kRedAdd]));
    uint32_t g = static_cast<uint32_t>(toInt32(ct->fields[kGreenAdd]));
    uint32_t b = static_cast<uint32_t>(toInt32(ct->fields[kBlueAdd]));
    return Value(static_cast<double>(static_cast<int32_t>((r << 16) | (g << 8) | b)));
}

Value colorTransformSetRgb(Machine& m, Object* self, std::span<const Value> args) {
    int32_t rgb = m.toInt32(arg(args, 0));
    ColorTransformObject* ct = asColorTransform(self);
    if (!ct) return Value();
    ct->fields[kRedMul] = ct->fields[kGreenMul] = ct->fields[kBlueMul] = 0;
    ct->fields[kRedAdd] = (rgb >> 16) & 0xFF;
    ct->fields[kGreenAdd] = (rgb >> 8) & 0xFF;
    ct->fields[kBlueAdd] = rgb & 0xFF;
    return Value();
}

Value colorTransformConcat(Machine&, Object* self, std::span<const Value> args) {
    // The other transform applies first: its offsets go through these multipliers.
    ColorTransformObject* ct = asColorTransform(self);
    ColorTransformObject* other = asColorTransform(arg(args, 0).asObject());
    if (!ct || !other) return Value();
    for (int i = 0; i < 4; ++i) {
        ct->fields[kRedAdd + i] += ct->fields[kRedMul + i] * other->fields[kRedAdd + i];
        ct->fields[kRedMul + i] *= other->fields[kRedMul + i];
    }
    return Value();
}

Value colorTransformToString(Machine&, Object* self, std::span<const Value>) {
    ColorTransformObject* ct = asColorTransform(self);
    if (!ct) return Value();
    std::string text = "(";
    for (int i = 0; i < 8; ++i) {
        if (i) text += ", ";
        text += kNames[i];
        text += '=';
        text += numberToString(ct->fields[i]);
    }
    return Value(text + ")");
}

// The fields in this order, so that for..in lists them as the player does.
constexpr NativeMember kColorTransformMethods[] = {
    fieldAccessor<kAlphaMul>(),
    fieldAccessor<kRedMul>(),
    fieldAccessor<kGreenMul>(),
    fieldAccessor<kBlueMul>(),
    fieldAccessor<kAlphaAdd>(),
    fieldAccessor<kRedAdd>(),
    fieldAccessor<kGreenAdd>(),
    fieldAccessor<kBlueAdd>(),
    // rgb: the offsets as one colour; setting it also zeroes the colour multipliers.
    native::accessor("rgb", colorTransformRgb, colorTransformSetRgb, 0),
    native::method("concat", colorTransformConcat, 0),
    native::method("toString", colorTransformToString, 0),
};

}  // namespace

void installColorTransformClass(Machine& m, Object* package) {
    // Fewer than all eight arguments leave the identity transform.
    installClass(m, package, m.newObject(),
                 {"ColorTransform", colorTransformConstruct, makeColorTransform, {}, {},
                  kColorTransformMethods});
}

}  // namespace swf::avm1::geom
