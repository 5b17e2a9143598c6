// Key: the keyboard as the host last reported it. A conversion without scripted input has no
// one at the keyboard: no key is ever down and no key event reaches the listeners.

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/display/MovieContext.h"

namespace swf::avm1 {
namespace {

Value keyAscii(Machine& m, Object*, std::span<const Value>) {
    return Value(static_cast<double>(m.context().input().lastCharacter));
}

Value keyCode(Machine& m, Object*, std::span<const Value>) {
    return Value(m.context().input().lastKeyCode);
}

Value keyIsDown(Machine& m, Object*, std::span<const Value> args) {
    return Value(m.context().input().isKeyDown(m.toInt32(arg(args, 0))));
}

Value keyIsToggled(Machine& m, Object*, std::span<const Value> args) {
    return Value(m.context().input().isToggled(m.toInt32(arg(args, 0))));
}

// Nothing else listens to the keyboard: this movie may have it.
Value keyIsAccessible(Machine&, Object*, std::span<const Value>) {
    return Value(true);
}

using native::constant;
using native::method;
constexpr uint16_t kKeyFlags = kDontEnum | kReadOnly;

constexpr NativeMember kKey[] = {
    constant("CAPSLOCK", 20, kKeyFlags),  constant("BACKSPACE", 8, kKeyFlags),
    constant("DELETEKEY", 46, kKeyFlags), constant("INSERT", 45, kKeyFlags),
    constant("ESCAPE", 27, kKeyFlags),    constant("SHIFT", 16, kKeyFlags),
    constant("CONTROL", 17, kKeyFlags),   constant("TAB", 9, kKeyFlags),
    constant("END", 35, kKeyFlags),       constant("HOME", 36, kKeyFlags),
    constant("PGDN", 34, kKeyFlags),      constant("PGUP", 33, kKeyFlags),
    constant("RIGHT", 39, kKeyFlags),     constant("LEFT", 37, kKeyFlags),
    constant("DOWN", 40, kKeyFlags),      constant("UP", 38, kKeyFlags),
    constant("SPACE", 32, kKeyFlags),     constant("ENTER", 13, kKeyFlags),
    constant("ALT", 18, kKeyFlags),       method("getAscii", keyAscii, kKeyFlags),
    method("getCode", keyCode, kKeyFlags),
    method("isDown", keyIsDown, kKeyFlags),
    method("isToggled", keyIsToggled, kKeyFlags),
    method("isAccessible", keyIsAccessible, kKeyFlags),
};

}  // namespace

void installKeyClass(Machine& m) {
    Object* key = m.newObject();
    player::defineValue(m.global(), "Key", Value(key), kDontEnum);
    installMembers(m, key, kKey);
    player::makeBroadcaster(m, key, kReadOnly | kVersion6);
}

}  // namespace swf::avm1
