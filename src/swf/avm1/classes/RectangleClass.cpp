// flash.geom.Rectangle: x, y, width and height are plain properties of the instance; the
// edges, corners and size are properties of the prototype computed from them, as the player's
// ActionScript computes them (right is x + width, so strings join).

#include <cmath>

#include "swf/avm1/classes/FlashGeom.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"

namespace swf::avm1::geom {
namespace {

Value get(Machine& m, const Value& object, std::string_view name) {
    return m.get(object, name);
}

void setAll(Machine& m, Object* self, const Value& x, const Value& y, const Value& w,
            const Value& h) {
    m.set(self, "x", x);
    m.set(self, "y", y);
    m.set(self, "width", w);
    m.set(self, "height", h);
}

Value right(Machine& m, const Value& r) {
    return m.add(get(m, r, "x"), get(m, r, "width"));
}
Value bottom(Machine& m, const Value& r) {
    return m.add(get(m, r, "y"), get(m, r, "height"));
}

Value newRectangle(Machine& m, Object* package, const Value& x, const Value& y, const Value& w,
                   const Value& h) {
    const Value args[] = {x, y, w, h};
    return make(m, package, "Rectangle", args);
}
// Math.min and Math.max: NaN when either is.
double minimum(double a, double b) {
    return std::isnan(a) || std::isnan(b) ? NAN : std::min(a, b);
}
double maximum(double a, double b) {
    return std::isnan(a) || std::isnan(b) ? NAN : std::max(a, b);
}

bool isEmpty(Machine& m, const Value& r) {
    return lessOrEqual(m, get(m, r, "width"), Value(0)) ||
           lessOrEqual(m, get(m, r, "height"), Value(0));
}

// px >= x && px < x + width && py >= y && py < y + height, with the value && gives.
Value contains(Machine& m, const Value& r, const Value& px, const Value& py) {
    if (!greaterOrEqual(m, px, get(m, r, "x"))) return Value(false);
    Value inside = less(m, px, right(m, r));
    if (!m.toBoolean(inside)) return inside;
    if (!greaterOrEqual(m, py, get(m, r, "y"))) return Value(false);
    return less(m, py, bottom(m, r));
}

// The overlap of the two, or an empty rectangle when they do not overlap.
Value intersection(Machine& m, Object* package, const Value& a, const Value& b) {
    Value result = newRectangle(m, package, Value(0), Value(0), Value(0), Value(0));
    double x = maximum(number(m, a, "x"), number(m, b, "x"));
    double y = maximum(number(m, a, "y"), number(m, b, "y"));
    double w = minimum(m.toNumber(right(m, a)), m.toNumber(right(m, b))) - x;
    double h = minimum(m.toNumber(bottom(m, a)), m.toNumber(bottom(m, b))) - y;
    Object* r = result.asObject();
    if (!r) return result;
    if (w > 0 && h > 0) setAll(m, r, Value(x), Value(y), Value(w), Value(h));
    return result;
}

void offset(Machine& m, Object* self, const Value& dx, const Value& dy) {
    m.set(self, "x", m.add(get(m, Value(self), "x"), dx));
    m.set(self, "y", m.add(get(m, Value(self), "y"), dy));
}

void inflate(Machine& m, Object* self, const Value& dx, const Value& dy) {
    Value r(self);
    double nx = m.toNumber(dx), ny = m.toNumber(dy);
    m.set(self, "x", Value(number(m, r, "x") - nx));
    m.set(self, "width", m.add(get(m, r, "width"), Value(2 * nx)));
    m.set(self, "y", Value(number(m, r, "y") - ny));
    m.set(self, "height", m.add(get(m, r, "height"), Value(2 * ny)));
}

// new Rectangle() is empty at the origin; given any argument, missing ones stay undefined.
Value rectangleConstruct(Machine& m, Object* self, std::span<const Value> args) {
    if (!m.constructing() || !self) return Value();
    if (args.empty())
        setAll(m, self, Value(0), Value(0), Value(0), Value(0));
    else
        setAll(m, self, args[0], arg(args, 1), arg(args, 2), arg(args, 3));
    return Value();
}

// Edges: moving the left or top edge keeps the opposite one where it was.
Value rectangleLeft(Machine& m, Object* self, std::span<const Value>) {
    return get(m, Value(self), "x");
}

Value rectangleSetLeft(Machine& m, Object* self, std::span<const Value> args) {
    Value v = arg(args, 0), r(self);
    m.set(self, "width", m.add(get(m, r, "width"), Value(number(m, r, "x") - m.toNumber(v))));
    m.set(self, "x", v);
    return Value();
}

Value rectangleTop(Machine& m, Object* self, std::span<const Value>) {
    return get(m, Value(self), "y");
}

Value rectangleSetTop(Machine& m, Object* self, std::span<const Value> args) {
    Value v = arg(args, 0), r(self);
    m.set(self, "height", m.add(get(m, r, "height"), Value(number(m, r, "y") - m.toNumber(v))));
    m.set(self, "y", v);
    return Value();
}

Value rectangleRight(Machine& m, Object* self, std::span<const Value>) {
    return right(m, Value(self));
}

Value rectangleSetRight(Machine& m, Object* self, std::span<const Value> args) {
    m.set(self, "width", Value(m.toNumber(arg(args, 0)) - number(m, Value(self), "x")));
    return Value();
}

Value rectangleBottom(Machine& m, Object* self, std::span<const Value>) {
    return bottom(m, Value(self));
}

Value rectangleSetBottom(Machine& m, Object* self, std::span<const Value> args) {
    m.set(self, "height", Value(m.toNumber(arg(args, 0)) - number(m, Value(self), "y")));
    return Value();
}

Value rectangleTopLeft(Machine& m, Object* self, std::span<const Value>) {
    Object* package = ownPackage(m);
    return newPoint(m, package, get(m, Value(self), "x"), get(m, Value(self), "y"));
}

Value rectangleSetTopLeft(Machine& m, Object* self, std::span<const Value> args) {
    Value p = arg(args, 0), r(self);
    Value px = get(m, p, "x"), py = get(m, p, "y");
    m.set(self, "width", m.add(get(m, r, "width"), Value(number(m, r, "x") - m.toNumber(px))));
    m.set(self, "height", m.add(get(m, r, "height"), Value(number(m, r, "y") - m.toNumber(py))));
    m.set(self, "x", px);
    m.set(self, "y", py);
    return Value();
}

Value rectangleBottomRight(Machine& m, Object* self, std::span<const Value>) {
    Object* package = ownPackage(m);
    return newPoint(m, package, right(m, Value(self)), bottom(m, Value(self)));
}

Value rectangleSetBottomRight(Machine& m, Object* self, std::span<const Value> args) {
    Value p = arg(args, 0), r(self);
    m.set(self, "width", Value(number(m, p, "x") - number(m, r, "x")));
    m.set(self, "height", Value(number(m, p, "y") - number(m, r, "y")));
    return Value();
}

Value rectangleSize(Machine& m, Object* self, std::span<const Value>) {
    Object* package = ownPackage(m);
    return newPoint(m, package, get(m, Value(self), "width"), get(m, Value(self), "height"));
}

Value rectangleSetSize(Machine& m, Object* self, std::span<const Value> args) {
    Value p = arg(args, 0);
    m.set(self, "width", get(m, p, "x"));
    m.set(self, "height", get(m, p, "y"));
    return Value();
}

Value rectangleClone(Machine& m, Object* self, std::span<const Value>) {
    Object* package = ownPackage(m);
    Value r(self);
    return newRectangle(m, package, get(m, r, "x"), get(m, r, "y"), get(m, r, "width"),
                        get(m, r, "height"));
}

Value rectangleContains(Machine& m, Object* self, std::span<const Value> args) {
    return contains(m, Value(self), arg(args, 0), arg(args, 1));
}

Value rectangleContainsPoint(Machine& m, Object* self, std::span<const Value> args) {
    Value p = arg(args, 0);
    return contains(m, Value(self), get(m, p, "x"), get(m, p, "y"));
}

Value rectangleContainsRectangle(Machine& m, Object* self, std::span<const Value> args) {
    // Its left and top edges inside, then its right and bottom ones; `&&` yields the
    // first comparison that fails, undefined for NaN.
    Value r(self), o = arg(args, 0);
    Value ox = get(m, o, "x"), oy = get(m, o, "y");
    Value oRight = right(m, o), oBottom = bottom(m, o);
    Value rRight = right(m, r), rBottom = bottom(m, r);
    if (!greaterOrEqual(m, ox, get(m, r, "x"))) return Value(false);
    Value v = less(m, ox, rRight);
    if (!m.toBoolean(v)) return v;
    if (!greaterOrEqual(m, oy, get(m, r, "y"))) return Value(false);
    v = less(m, oy, rBottom);
    if (!m.toBoolean(v)) return v;
    v = less(m, get(m, r, "x"), oRight);
    if (!m.toBoolean(v)) return v;
    if (!lessOrEqual(m, oRight, rRight)) return Value(false);
    v = less(m, get(m, r, "y"), oBottom);
    if (!m.toBoolean(v)) return v;
    return Value(lessOrEqual(m, oBottom, rBottom));
}

Value rectangleEquals(Machine& m, Object* self, std::span<const Value> args) {
    Object* package = ownPackage(m);
    Value o = arg(args, 0), r(self);
    if (!isInstance(m, o, package, "Rectangle")) return Value(false);
    for (std::string_view name : {"x", "y", "width", "height"})
        if (!m.equals(get(m, o, name), get(m, r, name))) return Value(false);
    return Value(true);
}

Value rectangleInflate(Machine& m, Object* self, std::span<const Value> args) {
    inflate(m, self, arg(args, 0), arg(args, 1));
    return Value();
}

Value rectangleInflatePoint(Machine& m, Object* self, std::span<const Value> args) {
    Value p = arg(args, 0);
    inflate(m, self, get(m, p, "x"), get(m, p, "y"));
    return Value();
}

Value rectangleIntersection(Machine& m, Object* self, std::span<const Value> args) {
    Object* package = ownPackage(m);
    return intersection(m, package, Value(self), arg(args, 0));
}

Value rectangleIntersects(Machine& m, Object* self, std::span<const Value> args) {
    Object* package = ownPackage(m);
    return Value(!isEmpty(m, intersection(m, package, Value(self), arg(args, 0))));
}

Value rectangleIsEmpty(Machine& m, Object* self, std::span<const Value>) {
    return Value(isEmpty(m, Value(self)));
}

Value rectangleOffset(Machine& m, Object* self, std::span<const Value> args) {
    offset(m, self, arg(args, 0), arg(args, 1));
    return Value();
}

Value rectangleOffsetPoint(Machine& m, Object* self, std::span<const Value> args) {
    Value p = arg(args, 0);
    offset(m, self, get(m, p, "x"), get(m, p, "y"));
    return Value();
}

Value rectangleSetEmpty(Machine& m, Object* self, std::span<const Value>) {
    setAll(m, self, Value(0), Value(0), Value(0), Value(0));
    return Value();
}

Value rectangleToString(Machine& m, Object* self, std::span<const Value>) {
    Value r(self);
    return join(m, {Value("(x="), get(m, r, "x"), Value(", y="), get(m, r, "y"), Value(", w="),
                    get(m, r, "width"), Value(", h="), get(m, r, "height"), Value(")")});
}

Value rectangleUnion(Machine& m, Object* self, std::span<const Value> args) {
    Object* package = ownPackage(m);
    Value a(self), b = arg(args, 0);
    double x = minimum(number(m, a, "x"), number(m, b, "x"));
    double y = minimum(number(m, a, "y"), number(m, b, "y"));
    double w = maximum(m.toNumber(right(m, a)), m.toNumber(right(m, b))) - x;
    double h = maximum(m.toNumber(bottom(m, a)), m.toNumber(bottom(m, b))) - y;
    return newRectangle(m, package, Value(x), Value(y), Value(w), Value(h));
}

using native::accessor;
using native::method;

constexpr NativeMember kRectangleMethods[] = {
    accessor("left", rectangleLeft, rectangleSetLeft, 0),
    accessor("top", rectangleTop, rectangleSetTop, 0),
    accessor("right", rectangleRight, rectangleSetRight, 0),
    accessor("bottom", rectangleBottom, rectangleSetBottom, 0),
    accessor("topLeft", rectangleTopLeft, rectangleSetTopLeft, 0),
    accessor("bottomRight", rectangleBottomRight, rectangleSetBottomRight, 0),
    accessor("size", rectangleSize, rectangleSetSize, 0),
    method("clone", rectangleClone, 0),
    method("contains", rectangleContains, 0),
    method("containsPoint", rectangleContainsPoint, 0),
    method("containsRectangle", rectangleContainsRectangle, 0),
    method("equals", rectangleEquals, 0),
    method("inflate", rectangleInflate, 0),
    method("inflatePoint", rectangleInflatePoint, 0),
    method("intersection", rectangleIntersection, 0),
    method("intersects", rectangleIntersects, 0),
    method("isEmpty", rectangleIsEmpty, 0),
    method("offset", rectangleOffset, 0),
    method("offsetPoint", rectangleOffsetPoint, 0),
    method("setEmpty", rectangleSetEmpty, 0),
    method("toString", rectangleToString, 0),
    method("union", rectangleUnion, 0),
};

}  // namespace

void installRectangleClass(Machine& m, Object* package) {
    installClass(m, package, m.newObject(),
                 {"Rectangle", rectangleConstruct, nullptr, {}, {}, kRectangleMethods});
}

}  // namespace swf::avm1::geom
