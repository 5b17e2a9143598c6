#pragma once
// The built-in classes and objects declare their members as tables: each member's name, its
// code, its flags (the version it appears from among them) and, where the player numbers it,
// its ASnative number. One installer puts a table on an object in the table's order (for..in
// shows it) and registers the numbers with the machine.

#include <cstdint>
#include <span>
#include <string_view>

#include "swf/avm1/machine/NativeRegistry.h"
#include "swf/avm1/machine/Object.h"

namespace swf::avm1 {

class Function;
class Machine;

struct NativeMember {
    enum class Kind : uint8_t { Method, Accessor, Constant, Text, Boolean, Undefined };
    Kind kind = Kind::Method;
    std::string_view name;
    NativeCode code = nullptr;    // the method, or the accessor's getter
    NativeCode setter = nullptr;  // none: the accessor is read-only
    double constant = 0;
    const char* text = nullptr;
    uint16_t flags = 0;
    NativeNumber number;  // the method's or the getter's
    NativeNumber setterNumber;

    // The player's numbers: the method's or getter's, and the setter's.
    constexpr NativeMember numbered(int table, int index, int setterIndex = -1) const {
        NativeMember m = *this;
        m.number = {table, index};
        if (setterIndex >= 0) m.setterNumber = {table, setterIndex};
        return m;
    }
    // Hidden from movies older than `version` (6 to 10).
    constexpr NativeMember since(int version) const {
        NativeMember m = *this;
        m.flags |= version >= 10  ? kVersion10
                   : version == 9 ? kVersion9
                   : version == 8 ? kVersion8
                   : version == 7 ? kVersion7
                                  : kVersion6;
        return m;
    }
};

namespace native {

// A method, hidden from enumeration and kept from delete as the player's own are.
constexpr NativeMember method(std::string_view name, NativeCode code,
                              uint16_t flags = kDontEnum | kDontDelete) {
    return {NativeMember::Kind::Method, name, code, nullptr, 0, nullptr, flags, {}, {}};
}
// A getter/setter property, as addProperty makes it.
constexpr NativeMember accessor(std::string_view name, NativeCode getter, NativeCode setter,
                                uint16_t flags = kDontEnum) {
    return {NativeMember::Kind::Accessor, name, getter, setter, 0, nullptr, flags, {}, {}};
}
// A number the object holds.
constexpr NativeMember constant(std::string_view name, double value,
                                uint16_t flags = kDontEnum | kDontDelete | kReadOnly) {
    return {NativeMember::Kind::Constant, name, nullptr, nullptr, value, nullptr, flags, {}, {}};
}
// A boolean the object holds.
constexpr NativeMember boolean(std::string_view name, bool value, uint16_t flags) {
    return {NativeMember::Kind::Boolean, name, nullptr, nullptr, value ? 1.0 : 0.0, nullptr, flags, {}, {}};
}
// A property holding undefined: a name the object shows with nothing behind it.
constexpr NativeMember empty(std::string_view name, uint16_t flags) {
    return {NativeMember::Kind::Undefined, name, nullptr, nullptr, 0, nullptr, flags, {}, {}};
}
// A string the object holds.
constexpr NativeMember text(std::string_view name, const char* value, uint16_t flags) {
    return {NativeMember::Kind::Text, name, nullptr, nullptr, 0, value, flags, {}, {}};
}

// Does nothing and answers undefined: a setter that ignores what it is given, a method of a
// service this player has not.
Value nothing(Machine& machine, Object* self, std::span<const Value> args);
// Answers the object it was called on: the constructor of objects the player makes itself
// (clips, buttons, text fields).
Value thisObject(Machine& machine, Object* self, std::span<const Value> args);
// Answers null: there is nothing of the kind here (a device, a script host).
Value none(Machine& machine, Object* self, std::span<const Value> args);
// Answers false: a request this player cannot grant.
Value no(Machine& machine, Object* self, std::span<const Value> args);

}  // namespace native

// A built-in class: its constructor (with the maker of its instances, and its number where
// the player numbers it), the members of the constructor and those of the prototype.
struct NativeClass {
    std::string_view name;
    NativeCode constructor = nullptr;
    InstanceCode maker = nullptr;
    NativeNumber number;
    std::span<const NativeMember> statics;
    std::span<const NativeMember> methods;
};

// An object the player's code keeps for the movie, rooted: a class's own constructor, which
// its methods use after a script replaced or deleted the global. One for each tag type.
template <class Tag>
struct KeptObject {
    explicit KeptObject(script::Heap& heap) : object(heap) {}
    script::Rooted<Object> object;
};
template <class Tag>
script::Rooted<Object>& keptObject(NativeRegistry& registry) {
    return registry.state<KeptObject<Tag>>().object;
}

// Puts the members on `on`, in order, and registers their numbers.
void installMembers(Machine& machine, Object* on, std::span<const NativeMember> members);
// Makes the class as `on.name` with `prototype` (both linked), registers the constructor's
// number, then installs the statics on the constructor and the methods on the prototype.
Function* installClass(Machine& machine, Object* on, Object* prototype, const NativeClass& type);
// Hides `on.name` from movies older than `version`, as since() does for a table's members.
void hideBefore(Object* on, std::string_view name, int version);

}  // namespace swf::avm1
