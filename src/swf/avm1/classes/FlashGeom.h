#pragma once
// The flash.geom package (Point, Rectangle, Matrix, ColorTransform, Transform) and what its
// classes share. The player wrote these classes in ActionScript: their methods read and write
// the instances' plain properties and join them with the language's own operators (`+` joins
// strings), so the natives here do the same, in the same order.

#include <initializer_list>
#include <span>
#include <string_view>

#include "swf/avm1/machine/Value.h"

namespace swf::avm1 {

class Machine;
class Object;

// _global.flash.<name>: the package object, made when missing. `flash` is hidden from movies
// before version 8, as the player hides it; both are plain objects.
Object* flashPackage(Machine& machine, std::string_view name);

namespace geom {

// Each class installs itself into the package.
void installPointClass(Machine& machine, Object* package);
void installRectangleClass(Machine& machine, Object* package);
void installMatrixClass(Machine& machine, Object* package);
void installColorTransformClass(Machine& machine, Object* package);
void installTransformClass(Machine& machine, Object* package);
// MovieClip.prototype.transform.
void installClipTransform(Machine& machine);

// The package the player made, where the methods find their classes; kept for the movie, so a
// script deleting it does not free it.
Object* ownPackage(Machine& machine);

// a + b + c ... as ActionScript's `+` evaluates it, left to right.
Value join(Machine& machine, std::initializer_list<Value> parts);
// A property of a value read as a number (undefined and null by the movie's version rules).
double number(Machine& machine, const Value& object, std::string_view name);
// new flash.geom.<name>(args), with the constructor the package holds now.
Value make(Machine& machine, Object* package, std::string_view name, std::span<const Value> args);
// new flash.geom.Point(x, y) from the same package.
Value newPoint(Machine& machine, Object* package, const Value& x, const Value& y);
// `value instanceof flash.geom.<name>`.
bool isInstance(Machine& machine, const Value& value, Object* package, std::string_view name);
// ActionScript's `a < b`, `a <= b` and `a >= b` (the last two as the compiler writes them:
// a negated `<`, so never undefined).
Value less(Machine& machine, const Value& a, const Value& b);
bool lessOrEqual(Machine& machine, const Value& a, const Value& b);
bool greaterOrEqual(Machine& machine, const Value& a, const Value& b);

}  // namespace geom
}  // namespace swf::avm1
