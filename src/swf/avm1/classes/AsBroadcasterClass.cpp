// AsBroadcaster: gives any object a list of listeners and a way to call a method on each.
// The methods go through the object as the player's do: addListener calls this.removeListener
// and this._listeners.push, removeListener calls splice, so scripts may replace any of them.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"

namespace swf::avm1 {
namespace {

// The number of elements to walk in `list` (any object with a length).
uint32_t lengthOf(Machine& m, const Value& list) {
    double n = m.toNumber(m.get(list, "length"));
    if (!(n > 0)) return 0;
    return static_cast<uint32_t>(std::min(n, static_cast<double>(ArrayObject::kMaxLength)));
}

Value addListener(Machine& m, Object* self, std::span<const Value> args) {
    // A listener already there moves to the end.
    const Value listener[] = {arg(args, 0)};
    m.callMethod(Value(self), "removeListener", listener);
    m.callMethod(m.get(self, "_listeners"), "push", listener);
    return Value(true);
}

Value removeListener(Machine& m, Object* self, std::span<const Value> args) {
    // The first element equal (==) to the listener goes.
    Value list = m.get(self, "_listeners");
    Value listener = arg(args, 0);
    uint32_t n = lengthOf(m, list);
    for (uint32_t i = 0; i < n; ++i) {
        if (!m.equals(m.get(list, std::to_string(i)), listener)) continue;
        const Value at[] = {Value(static_cast<double>(i)), Value(1)};
        m.callMethod(list, "splice", at);
        return Value(true);
    }
    return Value(false);
}

Value broadcastMessage(Machine& m, Object* self, std::span<const Value> args) {
    // Calls listener[name](rest...) on each listener; an empty name calls the listener itself.
    // Undefined without a name or without listeners, true otherwise.
    if (args.empty()) return Value();
    std::string name = m.toString(args[0]);
    std::span<const Value> rest = args.subspan(1);
    Value list = m.get(self, "_listeners");
    uint32_t n = lengthOf(m, list);
    if (n == 0) return Value();
    for (uint32_t i = 0; i < n; ++i) {
        Value listener = m.get(list, std::to_string(i));
        if (name.empty())
            m.call(listener, nullptr, rest);
        else
            m.callMethod(listener, name, rest);
    }
    return Value(true);
}

// The AsBroadcaster the player made: initialize copies from it even after a script replaced
// or deleted the global.
struct Broadcaster;

// Copies the methods AsBroadcaster holds when it runs.
Value broadcasterInitialize(Machine& m, Object*, std::span<const Value> args) {
    Object* target = m.liveObject(arg(args, 0).asObject());
    if (!target) return Value();
    static const std::vector<std::string> kNames = {"broadcastMessage", "addListener",
                                                    "removeListener", "_listeners"};
    Object* broadcaster = keptObject<Broadcaster>(m.natives());
    for (size_t i = 0; i < 3; ++i) m.set(target, kNames[i], m.get(broadcaster, kNames[i]));
    m.set(target, "_listeners", Value(m.newArray()));
    target->changeFlags(&kNames, kDontEnum, 0);
    return Value();
}

constexpr NativeMember kBroadcasterStatics[] = {
    native::method("addListener", addListener),
    native::method("removeListener", removeListener),
    native::method("broadcastMessage", broadcastMessage),
    native::method("initialize", broadcasterInitialize),
};

}  // namespace

void installAsBroadcaster(Machine& m) {
    Object* proto = m.newObject();
    Function* ctor = installClass(
        m, m.global(), proto, {"AsBroadcaster", native::nothing, nullptr, {}, kBroadcasterStatics, {}});
    // Movies of version 5 see the function but not its prototype.
    ctor->defineOwn("prototype", Property{Value(proto), nullptr, nullptr, kDontEnum | kVersion6});
    keptObject<Broadcaster>(m.natives()) = ctor;
}

}  // namespace swf::avm1
