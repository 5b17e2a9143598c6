// Mouse: the pointer. Nothing moves or clicks it during a conversion; hiding and showing it
// only changes what the next call reports, as the player does with its cursor.

#include <memory>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/classes/PlayerObjects.h"

namespace swf::avm1 {

void installMouseClass(Machine& m) {
    Object* mouse = m.newObject();
    player::defineValue(m.global(), "Mouse", Value(mouse), kDontEnum);
    const uint16_t flags = kDontEnum | kReadOnly;
    // show() and hide() answer 1 when the pointer was visible before the call, else 0.
    auto visible = std::make_shared<bool>(true);
    m.defineMethod(
        mouse, "show",
        [visible](Machine&, Object*, std::span<const Value>) {
            bool was = *visible;
            *visible = true;
            return Value(was ? 1 : 0);
        },
        flags);
    m.defineMethod(
        mouse, "hide",
        [visible](Machine&, Object*, std::span<const Value>) {
            bool was = *visible;
            *visible = false;
            return Value(was ? 1 : 0);
        },
        flags);
    auto nothing = [](Machine&, Object*, std::span<const Value>) { return Value(); };
    m.defineMethod(mouse, "setTrailer", nothing, flags);
    m.defineMethod(mouse, "setTrailerPosition", nothing, flags);
    m.defineMethod(mouse, "setTrailerMode", nothing, flags);
    player::makeBroadcaster(m, mouse, kReadOnly | kVersion6);
}

}  // namespace swf::avm1
