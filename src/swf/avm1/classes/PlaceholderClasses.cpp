// The player's classes that have nothing behind them in this engine yet:
// each is a constructor with an empty prototype, so `typeof` and `new` answer as they do in
// the player. A class the machine already has is left alone.

#include <string_view>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/FlashGeom.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"

namespace swf::avm1 {
namespace {

void placeholder(Machine& m, Object* on, std::string_view name, uint16_t flags = kDontEnum) {
    if (on->findOwn(name)) return;
    Function* ctor = installClass(m, nullptr, m.newObject(), {name, native::nothing, nullptr, {}, {}, {}});
    on->defineOwn(name, Property{Value(ctor), nullptr, nullptr, flags});
}

}  // namespace

void installPlaceholderClasses(Machine& m) {
    Object* global = m.global();
    for (std::string_view name :
         {"Button", "Color", "XML", "XMLNode"})
        placeholder(m, global, name);
    if (m.swfVersion() < 6) return;  // no flash package before version 6
    Object* geom = flashPackage(m, "geom");
    for (std::string_view name : {"ColorTransform", "Matrix", "Point", "Rectangle", "Transform"})
        placeholder(m, geom, name);
    placeholder(m, flashPackage(m, "text"), "TextRenderer");
}

}  // namespace swf::avm1
