// Mouse: the pointer. Nothing moves or clicks it during a conversion; hiding and showing it
// only changes what the next call reports, as the player does with its cursor.

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/classes/PlayerObjects.h"

namespace swf::avm1 {
namespace {

struct Pointer {
    bool visible = true;
};

// show() and hide() answer 1 when the pointer was visible before the call, else 0.
template <bool visible>
Value showPointer(Machine& m, Object*, std::span<const Value>) {
    bool& shown = m.natives().state<Pointer>().visible;
    bool was = shown;
    shown = visible;
    return Value(was ? 1 : 0);
}

using native::method;
constexpr uint16_t kMouseFlags = kDontEnum | kReadOnly;

constexpr NativeMember kMouse[] = {
    method("show", showPointer<true>, kMouseFlags),
    method("hide", showPointer<false>, kMouseFlags),
    method("setTrailer", native::nothing, kMouseFlags),
    method("setTrailerPosition", native::nothing, kMouseFlags),
    method("setTrailerMode", native::nothing, kMouseFlags),
};

}  // namespace

void installMouseClass(Machine& m) {
    Object* mouse = m.newObject();
    player::defineValue(m.global(), "Mouse", Value(mouse), kDontEnum);
    installMembers(m, mouse, kMouse);
    player::makeBroadcaster(m, mouse, kReadOnly | kVersion6);
}

}  // namespace swf::avm1
