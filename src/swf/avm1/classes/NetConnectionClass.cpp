// NetConnection: connect(null) opens the local connection progressive video plays through,
// answering at once as the player does; a server URL can never be reached here, so that
// attempt fails on a later frame, and closing it first reports the close and then an empty
// status, as the player does.

#include <string>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/NetStreamFeed.h"
#include "swf/avm1/classes/PlayerEvents.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/avm1/machine/Heap.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"

namespace swf::avm1 {
namespace {


class NetConnectionObject : public Object {
  public:
    using Object::Object;
    enum class State { Closed, Local, Connecting } state = State::Closed;
    uint32_t attempt = 0;  // numbers remote attempts: a failure of an old one is dropped
    Value uri;

    void trace(Marker& marker) const override {
        Object::trace(marker);
        marker.mark(uri);
    }
};

NetConnectionObject* connectionOf(Object* self) {
    return dynamic_cast<NetConnectionObject*>(self);
}

// Ends what is open, with the events the player gives for it.
void closeConnection(Machine& m, NetConnectionObject& c) {
    auto was = c.state;
    c.state = NetConnectionObject::State::Closed;
    ++c.attempt;
    if (was == NetConnectionObject::State::Closed) return;
    player::sendStatus(m, &c, "status", "NetConnection.Connect.Closed");
    if (was == NetConnectionObject::State::Connecting) m.callMethod(Value(&c), "onStatus", {});
}

Object* makeConnection(Machine& m, Object* prototype) {
    return m.heap().make<NetConnectionObject>(prototype);
}

// A remote attempt fails on a later frame: (connection, attempt).
Value connectionFailed(Machine& m, Object*, std::span<const Value> args) {
    NetConnectionObject* c = connectionOf(arg(args, 0).asObject());
    if (!c || c->state != NetConnectionObject::State::Connecting ||
        m.toNumber(arg(args, 1)) != c->attempt)
        return Value();
    c->state = NetConnectionObject::State::Closed;
    player::sendStatus(m, c, "error", "NetConnection.Connect.Failed");
    return Value();
}

Value connectionConnect(Machine& m, Object* self, std::span<const Value> args) {
    NetConnectionObject* c = connectionOf(self);
    if (!c || args.empty()) return Value(false);
    closeConnection(m, *c);
    c->uri = args[0];
    if (args[0].isNullish()) {
        c->state = NetConnectionObject::State::Local;
        player::sendStatus(m, c, "status", "NetConnection.Connect.Success");
        return Value(true);
    }
    c->state = NetConnectionObject::State::Connecting;
    player::later(m, connectionFailed, 0, {Value(c), Value(static_cast<double>(c->attempt))});
    return Value(true);
}

Value connectionClose(Machine& m, Object* self, std::span<const Value>) {
    if (NetConnectionObject* c = connectionOf(self)) closeConnection(m, *c);
    return Value();
}

Value connectionIsConnected(Machine&, Object* self, std::span<const Value>) {
    NetConnectionObject* c = connectionOf(self);
    return Value(c && c->state == NetConnectionObject::State::Local);
}

Value connectionUri(Machine&, Object* self, std::span<const Value>) {
    NetConnectionObject* c = connectionOf(self);
    return c ? c->uri : Value();
}

constexpr NativeMember kConnectionMethods[] = {
    native::method("connect", connectionConnect),
    native::method("close", connectionClose),
    native::method("call", native::no),
    native::method("addHeader", native::nothing),
    native::accessor("isConnected", connectionIsConnected, native::nothing),
    native::accessor("uri", connectionUri, native::nothing),
};

}  // namespace

bool netConnectionIsOpen(Object* object) {
    NetConnectionObject* c = connectionOf(object);
    return c && c->state == NetConnectionObject::State::Local;
}

void installNetConnectionClass(Machine& m) {
    installClass(m, m.global(), m.newObject(),
                 {"NetConnection", native::nothing, makeConnection, {}, {}, kConnectionMethods});
    // SWF 5 movies have no NetConnection class to name.
    hideBefore(m.global(), "NetConnection", 6);
}

}  // namespace swf::avm1
