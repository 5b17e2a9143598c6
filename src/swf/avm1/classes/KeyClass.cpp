// Key: the keyboard as the host last reported it. A conversion without scripted input has no
// one at the keyboard: no key is ever down and no key event reaches the listeners.

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/display/MovieContext.h"

namespace swf::avm1 {

void installKeyClass(Machine& m) {
    Object* key = m.newObject();
    player::defineValue(m.global(), "Key", Value(key), kDontEnum);
    const uint16_t flags = kDontEnum | kReadOnly;
    struct Code {
        const char* name;
        int code;
    };
    static const Code kCodes[] = {
        {"CAPSLOCK", 20}, {"BACKSPACE", 8}, {"DELETEKEY", 46}, {"INSERT", 45}, {"ESCAPE", 27},
        {"SHIFT", 16},    {"CONTROL", 17},  {"TAB", 9},        {"END", 35},    {"HOME", 36},
        {"PGDN", 34},     {"PGUP", 33},     {"RIGHT", 39},     {"LEFT", 37},   {"DOWN", 40},
        {"UP", 38},       {"SPACE", 32},    {"ENTER", 13},     {"ALT", 18},
    };
    for (const Code& c : kCodes) player::defineValue(key, c.name, Value(c.code), flags);
    m.defineMethod(
        key, "getAscii",
        [](Machine& m, Object*, std::span<const Value>) {
            return Value(static_cast<double>(m.context().input().lastCharacter));
        },
        flags);
    m.defineMethod(
        key, "getCode",
        [](Machine& m, Object*, std::span<const Value>) {
            return Value(m.context().input().lastKeyCode);
        },
        flags);
    m.defineMethod(
        key, "isDown",
        [](Machine& m, Object*, std::span<const Value> args) {
            return Value(m.context().input().isKeyDown(m.toInt32(arg(args, 0))));
        },
        flags);
    m.defineMethod(
        key, "isToggled",
        [](Machine& m, Object*, std::span<const Value> args) {
            return Value(m.context().input().isToggled(m.toInt32(arg(args, 0))));
        },
        flags);
    // Nothing else listens to the keyboard: this movie may have it.
    m.defineMethod(
        key, "isAccessible", [](Machine&, Object*, std::span<const Value>) { return Value(true); },
        flags);
    player::makeBroadcaster(m, key, kReadOnly | kVersion6);
}

}  // namespace swf::avm1
