// Accessibility: no screen reader ever reads a converted movie, so it is never active and
// the updates go nowhere.

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/classes/PlayerObjects.h"

namespace swf::avm1 {

void installAccessibilityClass(Machine& m) {
    Object* accessibility = m.newObject();
    player::defineValue(m.global(), "Accessibility", Value(accessibility), kDontEnum);
    auto nothing = [](Machine&, Object*, std::span<const Value>) { return Value(); };
    m.defineMethod(
        accessibility, "isActive",
        [](Machine&, Object*, std::span<const Value>) { return Value(false); }, kReadOnly);
    m.defineMethod(accessibility, "sendEvent", nothing, kReadOnly);
    m.defineMethod(accessibility, "updateProperties", nothing, kReadOnly);
}

}  // namespace swf::avm1
