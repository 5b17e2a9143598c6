// Accessibility: no screen reader ever reads a converted movie, so it is never active and
// the updates go nowhere.

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/classes/PlayerObjects.h"

namespace swf::avm1 {
namespace {

constexpr NativeMember kAccessibility[] = {
    native::method("isActive", native::no, kReadOnly),
    native::method("sendEvent", native::nothing, kReadOnly),
    native::method("updateProperties", native::nothing, kReadOnly),
};

}  // namespace

void installAccessibilityClass(Machine& m) {
    Object* accessibility = m.newObject();
    player::defineValue(m.global(), "Accessibility", Value(accessibility), kDontEnum);
    installMembers(m, accessibility, kAccessibility);
}

}  // namespace swf::avm1
