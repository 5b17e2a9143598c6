// XMLSocket: a socket to a server, which a conversion never opens: connect() answers as the
// player does and onConnect(false) follows on a later frame. onData's default turns text
// into an XML document for onXML, so scripts that feed it themselves still work.

#include <cmath>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/classes/PlayerEvents.h"
#include "swf/avm1/classes/PlayerObjects.h"

namespace swf::avm1 {

namespace {

// The connection fails on a later frame: onConnect(false) to (socket).
Value socketRefused(Machine& m, Object*, std::span<const Value> args) {
    const Value no[] = {Value(false)};
    m.callMethod(arg(args, 0), "onConnect", no);
    return Value();
}

Value socketConnect(Machine& m, Object* self, std::span<const Value> args) {
    // The host is read as the player reads it (its toString may run).
    if (!args.empty() && !args[0].isNullish()) m.toString(args[0]);
    if (!self) return Value(false);
    // A port that is no TCP port is refused at once, with no event to follow.
    const double port = m.toNumber(arg(args, 1));
    if (std::trunc(port) < 0 || std::trunc(port) > 65535) return Value(false);
    player::later(m, socketRefused, 0, {Value(self)});
    return Value(true);
}

Value socketOnData(Machine& m, Object* self, std::span<const Value> args) {
    const Value source[] = {arg(args, 0)};
    Value xml = m.construct(m.get(m.global(), "XML"), source);
    const Value document[] = {xml};
    m.callMethod(Value(self), "onXML", document);
    return Value();
}

constexpr NativeMember kSocketMethods[] = {
    native::method("connect", socketConnect),
    native::method("send", native::nothing),
    native::method("close", native::nothing),
    native::method("onData", socketOnData),
};

}  // namespace

void installXmlSocketClass(Machine& m) {
    installClass(m, m.global(), m.newObject(),
                 {"XMLSocket", native::nothing, nullptr, {}, {}, kSocketMethods});
}

}  // namespace swf::avm1
