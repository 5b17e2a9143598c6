// flash.geom.Matrix: a, b, c, d, tx and ty are plain properties of the instance. Methods work
// on any object holding them (copied onto another object they still work), except where the
// player's code went through other methods of the instance: rotate and scale concatenate
// through `this.concat`, invert through `this.deltaTransformPoint`, and the boxes only shape
// real matrices.

#include <cmath>

#include "swf/avm1/classes/FlashGeom.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"

namespace swf::avm1::geom {
namespace {

constexpr std::string_view kFields[] = {"a", "b", "c", "d", "tx", "ty"};
// Gradient boxes are 1638.4 units (32768 twips / 20) wide before scaling.
constexpr double kGradientSize = 1638.4;

void setAll(Machine& m, Object* self, const Value (&values)[6]) {
    for (size_t i = 0; i < 6; ++i) m.set(self, kFields[i], values[i]);
}

void setIdentity(Machine& m, Object* self) {
    setAll(m, self, {Value(1), Value(0), Value(0), Value(1), Value(0), Value(0)});
}

Value newMatrix(Machine& m, Object* package, const Value (&values)[6]) {
    return make(m, package, "Matrix", values);
}

// a, b, c, d of a box: scaled, then turned. An angle of 0 leaves b and c at 0 whatever the
// scales are (a NaN scale does not spread into them).
void setBox(Machine& m, Object* self, double sx, double sy, double angle) {
    double cosine = 1, sine = 0;
    if (angle != 0) {
        cosine = std::cos(angle);
        sine = std::sin(angle);
    }
    Value values[] = {Value(cosine * sx), Value(angle != 0 ? sine * sy : 0.0),
                      Value(angle != 0 ? -sine * sx : 0.0), Value(cosine * sy)};
    for (size_t i = 0; i < 4; ++i) m.set(self, kFields[i], values[i]);
}

// this.concat(new Matrix(...)), as rotate and scale do it.
void concatThrough(Machine& m, Object* self, Object* package, const Value (&values)[6]) {
    const Value other[] = {newMatrix(m, package, values)};
    m.callMethod(Value(self), "concat", other);
}

// new Matrix() is the identity; given any argument, missing ones stay undefined.
Value matrixConstruct(Machine& m, Object* self, std::span<const Value> args) {
    if (!m.constructing() || !self) return Value();
    if (args.empty()) {
        setIdentity(m, self);
        return Value();
    }
    for (size_t i = 0; i < 6; ++i) m.set(self, kFields[i], arg(args, i));
    return Value();
}

Value matrixIdentity(Machine& m, Object* self, std::span<const Value>) {
    setIdentity(m, self);
    return Value();
}

Value matrixClone(Machine& m, Object* self, std::span<const Value>) {
    Object* package = ownPackage(m);
    Value v(self);
    return newMatrix(m, package,
                     {m.get(v, "a"), m.get(v, "b"), m.get(v, "c"), m.get(v, "d"), m.get(v, "tx"),
                      m.get(v, "ty")});
}

Value matrixConcat(Machine& m, Object* self, std::span<const Value> args) {
    // this followed by o; the translations are added last with `+`.
    Value t(self), o = arg(args, 0);
    double a = number(m, t, "a"), b = number(m, t, "b"), c = number(m, t, "c"),
           d = number(m, t, "d"), tx = number(m, t, "tx"), ty = number(m, t, "ty");
    double oa = number(m, o, "a"), ob = number(m, o, "b"), oc = number(m, o, "c"),
           od = number(m, o, "d");
    setAll(m, self,
           {Value(a * oa + b * oc), Value(a * ob + b * od), Value(c * oa + d * oc),
            Value(c * ob + d * od), m.add(Value(tx * oa + ty * oc), m.get(o, "tx")),
            m.add(Value(tx * ob + ty * od), m.get(o, "ty"))});
    return Value();
}

Value matrixRotate(Machine& m, Object* self, std::span<const Value> args) {
    Object* package = ownPackage(m);
    double angle = m.toNumber(arg(args, 0));
    double cosine = std::cos(angle), sine = std::sin(angle);
    concatThrough(m, self, package,
                  {Value(cosine), Value(sine), Value(-sine), Value(cosine), Value(0), Value(0)});
    return Value();
}

Value matrixScale(Machine& m, Object* self, std::span<const Value> args) {
    Object* package = ownPackage(m);
    concatThrough(m, self, package,
                  {arg(args, 0), Value(0), Value(0), arg(args, 1), Value(0), Value(0)});
    return Value();
}

Value matrixTranslate(Machine& m, Object* self, std::span<const Value> args) {
    m.set(self, "tx", m.add(m.get(self, "tx"), arg(args, 0)));
    m.set(self, "ty", m.add(m.get(self, "ty"), arg(args, 1)));
    return Value();
}

Value matrixInvert(Machine& m, Object* self, std::span<const Value>) {
    Object* package = ownPackage(m);
    Value t(self);
    double a = number(m, t, "a"), b = number(m, t, "b"), c = number(m, t, "c"),
           d = number(m, t, "d");
    double det = a * d - b * c;
    if (det == 0) {
        setIdentity(m, self);
        return Value();
    }
    m.set(self, "a", Value(d / det));
    m.set(self, "b", Value(-b / det));
    m.set(self, "c", Value(-c / det));
    m.set(self, "d", Value(a / det));
    // The translation goes back through the inverted linear part.
    const Value translation[] = {m.get(t, "tx"), m.get(t, "ty")};
    const Value point[] = {make(m, package, "Point", translation)};
    Value moved = m.callMethod(t, "deltaTransformPoint", point);
    m.set(self, "tx", Value(-number(m, moved, "x")));
    m.set(self, "ty", Value(-number(m, moved, "y")));
    return Value();
}

Value matrixTransformPoint(Machine& m, Object* self, std::span<const Value> args) {
    Object* package = ownPackage(m);
    Value t(self), p = arg(args, 0);
    double x = number(m, p, "x"), y = number(m, p, "y");
    const Value xy[] = {
        m.add(Value(number(m, t, "a") * x + number(m, t, "c") * y), m.get(t, "tx")),
        m.add(Value(number(m, t, "b") * x + number(m, t, "d") * y), m.get(t, "ty"))};
    return make(m, package, "Point", xy);
}

Value matrixDeltaTransformPoint(Machine& m, Object* self, std::span<const Value> args) {
    Object* package = ownPackage(m);
    Value t(self), p = arg(args, 0);
    double x = number(m, p, "x"), y = number(m, p, "y");
    const Value xy[] = {Value(number(m, t, "a") * x + number(m, t, "c") * y),
                        Value(number(m, t, "b") * x + number(m, t, "d") * y)};
    return make(m, package, "Point", xy);
}

Value matrixCreateBox(Machine& m, Object* self, std::span<const Value> args) {
    Object* package = ownPackage(m);
    // Left-out translations are 0; given ones are stored as they are.
    if (isInstance(m, Value(self), package, "Matrix"))
        setBox(m, self, m.toNumber(arg(args, 0)), m.toNumber(arg(args, 1)),
               m.toNumber(arg(args, 2)));
    m.set(self, "tx", args.size() > 3 ? args[3] : Value(0));
    m.set(self, "ty", args.size() > 4 ? args[4] : Value(0));
    return Value();
}

Value matrixCreateGradientBox(Machine& m, Object* self, std::span<const Value> args) {
    Object* package = ownPackage(m);
    // The box of a gradient filling width x height from (tx, ty); left-out arguments
    // after the size are 0.
    if (!isInstance(m, Value(self), package, "Matrix")) return Value();
    double w = m.toNumber(arg(args, 0)), h = m.toNumber(arg(args, 1));
    double angle = args.size() > 2 ? m.toNumber(args[2]) : 0.0;
    setBox(m, self, w / kGradientSize, h / kGradientSize, angle);
    m.set(self, "tx", m.add(args.size() > 3 ? args[3] : Value(0), Value(w / 2)));
    m.set(self, "ty", m.add(args.size() > 4 ? args[4] : Value(0), Value(h / 2)));
    return Value();
}

Value matrixToString(Machine& m, Object* self, std::span<const Value>) {
    Value t(self);
    return join(m, {Value("(a="), m.get(t, "a"), Value(", b="), m.get(t, "b"), Value(", c="),
                    m.get(t, "c"), Value(", d="), m.get(t, "d"), Value(", tx="), m.get(t, "tx"),
                    Value(", ty="), m.get(t, "ty"), Value(")")});
}

using native::method;

constexpr NativeMember kMatrixMethods[] = {
    method("identity", matrixIdentity, 0),
    method("clone", matrixClone, 0),
    method("concat", matrixConcat, 0),
    method("rotate", matrixRotate, 0),
    method("scale", matrixScale, 0),
    method("translate", matrixTranslate, 0),
    method("invert", matrixInvert, 0),
    method("transformPoint", matrixTransformPoint, 0),
    method("deltaTransformPoint", matrixDeltaTransformPoint, 0),
    method("createBox", matrixCreateBox, 0),
    method("createGradientBox", matrixCreateGradientBox, 0),
    method("toString", matrixToString, 0),
};

}  // namespace

void installMatrixClass(Machine& m, Object* package) {
    installClass(m, package, m.newObject(),
                 {"Matrix", matrixConstruct, nullptr, {}, {}, kMatrixMethods});
}

}  // namespace swf::avm1::geom
