#include "swf/avm1/classes/FlashGeom.h"

#include <string>
#include <vector>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"

namespace swf::avm1 {

Object* flashPackage(Machine& m, std::string_view name) {
    Object* global = m.global();
    // Another package may have made `flash` already, hidden from this movie's version: show it
    // for the lookup and hide it again after.
    const std::vector<std::string> flash{"flash"};
    global->changeFlags(&flash, 0, kVersion8);
    Property* p = global->findOwn("flash");
    Object* root = p ? p->value.asObject() : nullptr;
    if (!root) {
        root = m.newObject();
        global->defineOwn("flash", Property{Value(root), nullptr, nullptr, kDontEnum});
    }
    global->changeFlags(&flash, kVersion8, 0);
    Property* sub = root->findOwn(name);
    if (sub && sub->value.asObject()) return sub->value.asObject();
    Object* package = m.newObject();
    root->defineOwn(name, Property{Value(package), nullptr, nullptr, 0});
    return package;
}

struct GeomPackage;

void installFlashGeom(Machine& m) {
    geom::installClipTransform(m);
    // Version 5 movies never see the package, not even through ASSetPropFlags.
    if (m.swfVersion() < 6) return;
    Object* package = flashPackage(m, "geom");
    keptObject<GeomPackage>(m.natives()) = package;
    geom::installPointClass(m, package);
    geom::installRectangleClass(m, package);
    geom::installMatrixClass(m, package);
    geom::installColorTransformClass(m, package);
    geom::installTransformClass(m, package);
}

namespace geom {

Object* ownPackage(Machine& m) {
    return keptObject<GeomPackage>(m.natives());
}

Value join(Machine& m, std::initializer_list<Value> parts) {
    Value result;
    bool first = true;
    for (const Value& part : parts) {
        result = first ? part : m.add(result, part);
        first = false;
    }
    return result;
}

double number(Machine& m, const Value& object, std::string_view name) {
    return m.toNumber(m.get(object, name));
}

Value make(Machine& m, Object* package, std::string_view name, std::span<const Value> args) {
    return m.construct(m.get(Value(package), name), args);
}

Value newPoint(Machine& m, Object* package, const Value& x, const Value& y) {
    const Value args[] = {x, y};
    return make(m, package, "Point", args);
}

bool isInstance(Machine& m, const Value& value, Object* package, std::string_view name) {
    return instanceOf(m, value, m.get(Value(package), name));
}

Value less(Machine& m, const Value& a, const Value& b) {
    return m.lessThan(a, b);
}

bool lessOrEqual(Machine& m, const Value& a, const Value& b) {
    return !m.toBoolean(m.lessThan(b, a));
}

bool greaterOrEqual(Machine& m, const Value& a, const Value& b) {
    return !m.toBoolean(m.lessThan(a, b));
}

}  // namespace geom
}  // namespace swf::avm1
