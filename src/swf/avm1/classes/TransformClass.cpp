// flash.geom.Transform: a view of one clip's matrix and colour transform. Reading a property
// makes a fresh Matrix or ColorTransform; assigning one changes the clip. Clips hand out one
// through their `transform` property.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "swf/avm1/classes/FlashGeom.h"
#include "swf/avm1/machine/Heap.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/display/DisplayObject.h"
#include "swf/geom/Geometry.h"

namespace swf::avm1::geom {
namespace {

// Nesting deeper than this is cut short when walking up to the root.
constexpr int kMaxDepth = 1024;

class TransformObject : public Object {
  public:
    using Object::Object;
    Object* clip = nullptr;  // the clip's script object
    void trace(Marker& marker) const override {
        Object::trace(marker);
        marker.mark(clip);
    }
};

DisplayObject* displayOf(Machine& m, Object* self) {
    auto* transform = dynamic_cast<TransformObject*>(self);
    return transform && transform->clip ? m.displayObjectOf(Value(transform->clip)) : nullptr;
}

Value newMatrix(Machine& m, Object* package, const Matrix& matrix) {
    const Value args[] = {Value(matrix.a),
                          Value(matrix.b),
                          Value(matrix.c),
                          Value(matrix.d),
                          Value(matrix.tx / kTwipsPerPixel),
                          Value(matrix.ty / kTwipsPerPixel)};
    return make(m, package, "Matrix", args);
}

Value newColorTransform(Machine& m, Object* package, const ColorTransform& c) {
    const Value args[] = {Value(c.rMul / 256.0), Value(c.gMul / 256.0), Value(c.bMul / 256.0),
                          Value(c.aMul / 256.0), Value(c.rAdd),         Value(c.gAdd),
                          Value(c.bAdd),         Value(c.aAdd)};
    return make(m, package, "ColorTransform", args);
}

Matrix concatenatedMatrix(DisplayObject& object) {
    Matrix result = object.matrix();
    int depth = 0;
    for (DisplayObject* p = object.parent(); p && depth < kMaxDepth; p = p->parent(), ++depth)
        result = p->matrix() * result;
    return result;
}

// The player keeps colour multipliers in 8.8 fixed point and offsets as integers, 16 bits each.
int32_t fixed16(double value) {
    return static_cast<int16_t>(static_cast<uint16_t>(toInt32(value)));
}

Value transformConstruct(Machine& m, Object* self, std::span<const Value> args) {
    auto* transform = m.constructing() ? dynamic_cast<TransformObject*>(self) : nullptr;
    if (transform && m.displayObjectOf(arg(args, 0))) transform->clip = args[0].asObject();
    return Value();
}

Object* makeTransform(Machine& m, Object* prototype) {
    return m.heap().make<TransformObject>(prototype);
}

Value transformMatrix(Machine& m, Object* self, std::span<const Value>) {
    Object* package = ownPackage(m);
    DisplayObject* d = displayOf(m, self);
    return d ? newMatrix(m, package, d->matrix()) : Value();
}

Value transformSetMatrix(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* d = displayOf(m, self);
    Value v = arg(args, 0);
    if (!d || !v.asObject()) return Value();
    auto keep = d->shared_from_this();  // getters may remove the clip
    // Scales and skews are single precision in the player, translations whole twips.
    Matrix matrix;
    matrix.a = static_cast<float>(number(m, v, "a"));
    matrix.b = static_cast<float>(number(m, v, "b"));
    matrix.c = static_cast<float>(number(m, v, "c"));
    matrix.d = static_cast<float>(number(m, v, "d"));
    matrix.tx = toInt32(number(m, v, "tx") * kTwipsPerPixel);
    matrix.ty = toInt32(number(m, v, "ty") * kTwipsPerPixel);
    for (double* f : {&matrix.a, &matrix.b, &matrix.c, &matrix.d})
        if (!std::isfinite(*f)) *f = 0;
    d->setMatrix(matrix);
    d->setScriptMoved();
    return Value();
}

Value transformConcatenatedMatrix(Machine& m, Object* self, std::span<const Value>) {
    Object* package = ownPackage(m);
    DisplayObject* d = displayOf(m, self);
    return d ? newMatrix(m, package, concatenatedMatrix(*d)) : Value();
}

Value transformColorTransform(Machine& m, Object* self, std::span<const Value>) {
    Object* package = ownPackage(m);
    DisplayObject* d = displayOf(m, self);
    return d ? newColorTransform(m, package, d->colorTransform()) : Value();
}

Value transformSetColorTransform(Machine& m, Object* self, std::span<const Value> args) {
    DisplayObject* d = displayOf(m, self);
    Value v = arg(args, 0);
    if (!d || !v.asObject()) return Value();
    auto keep = d->shared_from_this();
    ColorTransform c;
    c.rMul = fixed16(number(m, v, "redMultiplier") * 256);
    c.gMul = fixed16(number(m, v, "greenMultiplier") * 256);
    c.bMul = fixed16(number(m, v, "blueMultiplier") * 256);
    c.aMul = fixed16(number(m, v, "alphaMultiplier") * 256);
    c.rAdd = fixed16(number(m, v, "redOffset"));
    c.gAdd = fixed16(number(m, v, "greenOffset"));
    c.bAdd = fixed16(number(m, v, "blueOffset"));
    c.aAdd = fixed16(number(m, v, "alphaOffset"));
    d->setColorTransform(c);
    return Value();
}

Value transformConcatenatedColorTransform(Machine& m, Object* self, std::span<const Value>) {
    Object* package = ownPackage(m);
    DisplayObject* d = displayOf(m, self);
    if (!d) return Value();
    ColorTransform c = d->colorTransform();
    int depth = 0;
    for (DisplayObject* p = d->parent(); p && depth < kMaxDepth; p = p->parent(), ++depth)
        c = p->colorTransform() * c;
    return newColorTransform(m, package, c);
}

Value transformPixelBounds(Machine& m, Object* self, std::span<const Value>) {
    Object* package = ownPackage(m);
    DisplayObject* d = displayOf(m, self);
    if (!d) return Value();
    // The clip's own extent carried to the stage, in pixels.
    Rect local = d->localBounds();
    double box[4] = {0, 0, 0, 0};
    if (local.xMin <= local.xMax) {
        Matrix toStage = concatenatedMatrix(*d);
        double xMin = INFINITY, yMin = INFINITY, xMax = -INFINITY, yMax = -INFINITY;
        for (int i = 0; i < 4; ++i) {
            Point corner{static_cast<double>(i & 1 ? local.xMax : local.xMin),
                         static_cast<double>(i & 2 ? local.yMax : local.yMin)};
            Point p = toStage.apply(corner);
            xMin = std::min(xMin, p.x);
            yMin = std::min(yMin, p.y);
            xMax = std::max(xMax, p.x);
            yMax = std::max(yMax, p.y);
        }
        box[0] = std::floor(xMin / kTwipsPerPixel);
        box[1] = std::floor(yMin / kTwipsPerPixel);
        box[2] = std::ceil(xMax / kTwipsPerPixel) - box[0];
        box[3] = std::ceil(yMax / kTwipsPerPixel) - box[1];
    }
    const Value args[] = {Value(box[0]), Value(box[1]), Value(box[2]), Value(box[3])};
    return make(m, package, "Rectangle", args);
}

Value clipTransform(Machine& m, Object* self, std::span<const Value>) {
    Object* package = ownPackage(m);
    if (!m.displayObjectOf(Value(self))) return Value();
    const Value clip[] = {Value(self)};
    return make(m, package, "Transform", clip);
}

Value setClipTransform(Machine& m, Object* self, std::span<const Value> args) {
    // Takes the matrix and colour transform of the clip the other Transform shows.
    DisplayObject* d = m.displayObjectOf(Value(self));
    DisplayObject* from = displayOf(m, arg(args, 0).asObject());
    if (!d || !from) return Value();
    d->setMatrix(from->matrix());
    d->setColorTransform(from->colorTransform());
    d->setScriptMoved();
    return Value();
}

using native::accessor;

constexpr NativeMember kTransformMembers[] = {
    accessor("matrix", transformMatrix, transformSetMatrix, 0),
    accessor("concatenatedMatrix", transformConcatenatedMatrix, nullptr, 0),
    accessor("colorTransform", transformColorTransform, transformSetColorTransform, 0),
    accessor("concatenatedColorTransform", transformConcatenatedColorTransform, nullptr, 0),
    accessor("pixelBounds", transformPixelBounds, nullptr, 0),
};

constexpr NativeMember kClipTransform[] = {
    accessor("transform", clipTransform, setClipTransform, kDontEnum | kVersion8),
};

}  // namespace

void installTransformClass(Machine& m, Object* package) {
    installClass(m, package, m.newObject(),
                 {"Transform", transformConstruct, makeTransform, {}, {}, kTransformMembers});
}

void installClipTransform(Machine& m) {
    // MovieClip.prototype holds transform in every version, hidden before SWF 8 (yet
    // hasOwnProperty finds it).
    if (Object* clipProto = m.prototypes().movieClip) installMembers(m, clipProto, kClipTransform);
}

}  // namespace swf::avm1::geom
