// flash.geom.Point: x and y are plain properties of the instance, which methods read and
// combine as ActionScript does (adding joins strings, subtracting makes numbers).

#include <cmath>

#include "swf/avm1/classes/FlashGeom.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"

namespace swf::avm1::geom {
namespace {

double length(Machine& m, const Value& point) {
    double x = number(m, point, "x");
    double y = number(m, point, "y");
    return std::sqrt(x * x + y * y);
}

// new Point() is the origin; given any argument, missing ones stay undefined.
Value pointConstruct(Machine& m, Object* self, std::span<const Value> args) {
    if (!m.constructing() || !self) return Value();
    m.set(self, "x", args.empty() ? Value(0) : args[0]);
    m.set(self, "y", args.empty() ? Value(0) : arg(args, 1));
    return Value();
}

Value pointLength(Machine& m, Object* self, std::span<const Value>) {
    return Value(length(m, Value(self)));
}

Value pointAdd(Machine& m, Object* self, std::span<const Value> args) {
    Object* package = ownPackage(m);
    Value p = arg(args, 0);
    Value x = m.add(m.get(self, "x"), m.get(p, "x"));
    Value y = m.add(m.get(self, "y"), m.get(p, "y"));
    return newPoint(m, package, x, y);
}

Value pointSubtract(Machine& m, Object* self, std::span<const Value> args) {
    Object* package = ownPackage(m);
    Value p = arg(args, 0);
    double x = number(m, Value(self), "x") - number(m, p, "x");
    double y = number(m, Value(self), "y") - number(m, p, "y");
    return newPoint(m, package, x, y);
}

Value pointEquals(Machine& m, Object* self, std::span<const Value> args) {
    Object* package = ownPackage(m);
    Value p = arg(args, 0);
    return Value(isInstance(m, p, package, "Point") && m.equals(m.get(p, "x"), m.get(self, "x")) &&
                 m.equals(m.get(p, "y"), m.get(self, "y")));
}

Value pointNormalize(Machine& m, Object* self, std::span<const Value> args) {
    // Only a point with a length scales: NaN or 0 leave it as it is.
    double current = length(m, Value(self));
    if (!(current > 0)) return Value();
    double factor = m.toNumber(arg(args, 0)) / current;
    m.set(self, "x", Value(number(m, Value(self), "x") * factor));
    m.set(self, "y", Value(number(m, Value(self), "y") * factor));
    return Value();
}

Value pointOffset(Machine& m, Object* self, std::span<const Value> args) {
    m.set(self, "x", m.add(m.get(self, "x"), arg(args, 0)));
    m.set(self, "y", m.add(m.get(self, "y"), arg(args, 1)));
    return Value();
}

Value pointClone(Machine& m, Object* self, std::span<const Value>) {
    Object* package = ownPackage(m);
    return newPoint(m, package, m.get(self, "x"), m.get(self, "y"));
}

Value pointToString(Machine& m, Object* self, std::span<const Value>) {
    return join(m, {Value("(x="), m.get(self, "x"), Value(", y="), m.get(self, "y"), Value(")")});
}

Value pointDistance(Machine& m, Object*, std::span<const Value> args) {
    // p1.subtract(p2).length: undefined unless p1 has the method.
    const Value other[] = {arg(args, 1)};
    Value difference = m.callMethod(arg(args, 0), "subtract", other);
    return m.get(difference, "length");
}

Value pointInterpolate(Machine& m, Object*, std::span<const Value> args) {
    Object* package = ownPackage(m);
    // p2 + (p1 - p2) * f, per coordinate.
    Value p1 = arg(args, 0), p2 = arg(args, 1);
    double f = m.toNumber(arg(args, 2));
    Value x = m.add(m.get(p2, "x"), Value((number(m, p1, "x") - number(m, p2, "x")) * f));
    Value y = m.add(m.get(p2, "y"), Value((number(m, p1, "y") - number(m, p2, "y")) * f));
    return newPoint(m, package, x, y);
}

Value pointPolar(Machine& m, Object*, std::span<const Value> args) {
    Object* package = ownPackage(m);
    double len = m.toNumber(arg(args, 0));
    double angle = m.toNumber(arg(args, 1));
    return newPoint(m, package, Value(len * std::cos(angle)), Value(len * std::sin(angle)));
}

using native::accessor;
using native::method;

// The player's own members of these classes are enumerable.
constexpr NativeMember kPointMethods[] = {
    accessor("length", pointLength, nullptr, 0),
    method("add", pointAdd, 0),
    method("subtract", pointSubtract, 0),
    method("equals", pointEquals, 0),
    method("normalize", pointNormalize, 0),
    method("offset", pointOffset, 0),
    method("clone", pointClone, 0),
    method("toString", pointToString, 0),
};

constexpr NativeMember kPointStatics[] = {
    method("distance", pointDistance, 0),
    method("interpolate", pointInterpolate, 0),
    method("polar", pointPolar, 0),
};

}  // namespace

void installPointClass(Machine& m, Object* package) {
    installClass(m, package, m.newObject(),
                 {"Point", pointConstruct, nullptr, {}, kPointStatics, kPointMethods});
}

}  // namespace swf::avm1::geom
