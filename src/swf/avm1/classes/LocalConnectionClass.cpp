// LocalConnection: messages between movies of one computer. Only this movie plays here, so a
// message reaches a connection only when this movie itself listens on that name. Like the
// player, send() only queues the message: on a later tick the sender's onStatus hears
// {level: "status"} and then whoever listens on the name then is called, or it hears
// {level: "error"} when nobody listened when it was sent or nobody listens any more. The
// arguments travel as AMF, as between two players: the receiver gets copies, without clips
// or functions among their members.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "swf/avm1/classes/Amf0Reader.h"
#include "swf/avm1/classes/Amf0Writer.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/PlayerEvents.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/format/LetterCase.h"

namespace swf::avm1 {
namespace {


constexpr size_t kMaxConnections = 10000;

struct Connections {
    std::vector<std::pair<std::string, Rooted<Object>>> open;  // name, receiving object

    Object* find(std::string_view name) const {
        for (const auto& [n, o] : open)
            if (equalsIgnoringCase(n, name)) return o;
        return nullptr;
    }
    bool connected(Object* object) const {
        return std::any_of(open.begin(), open.end(),
                           [&](const auto& e) { return e.second == object; });
    }
};

// A connection name with its host: names of this movie's host ("localhost", where local
// movies live) get it in front, names starting with '_' are the same on every host.
std::string qualified(const std::string& name) {
    if (name.empty() || name[0] == '_' || name.find(':') != std::string::npos) return name;
    return "localhost:" + name;
}

// Methods a message may not call.
bool reservedMethod(const std::string& name) {
    for (const char* reserved :
         {"send", "connect", "close", "allowDomain", "allowInsecureDomain", "domain", "onStatus"})
        if (equalsIgnoringCase(name, reserved)) return true;
    return false;
}

// Runs on a later frame: (sender, name, method, arguments array, whether anyone listened).
// The arguments are written as AMF only now: the receiver gets copies of them as they are
// when the message goes, not as they were when it was sent.
Value deliverMessage(Machine& m, Object*, std::span<const Value> args) {
    Value sender = arg(args, 0);
    Object* receiver = m.natives().state<Connections>().find(qualified(m.toString(arg(args, 1))));
    if (!m.toBoolean(arg(args, 4))) receiver = nullptr;
    Object* status = m.newObject();
    status->setOwn("level", Value(receiver ? "status" : "error"));
    const Value info[] = {Value(status)};
    m.callMethod(sender, "onStatus", info);
    if (!receiver) return Value();
    Amf0Writer writer(m);
    if (auto* list = dynamic_cast<ArrayObject*>(arg(args, 3).asObject()))
        for (uint32_t i = 0; i < list->length(); ++i) writer.value(list->at(i));
    std::vector<Value> values;
    Amf0Reader reader(m, writer.bytes());
    while (!reader.atEnd()) values.push_back(reader.value());
    m.callMethod(Value(receiver), m.toString(arg(args, 2)), values);
    return Value();
}

Value localConnect(Machine& m, Object* self, std::span<const Value> args) {
    Connections& connections = m.natives().state<Connections>();
    Value name = arg(args, 0);
    if (!self || !name.isString() || name.asString().empty()) return Value(false);
    if (name.asString().find(':') != std::string::npos) return Value(false);
    std::string full = qualified(name.asString());
    if (connections.connected(self) || connections.find(full) ||
        connections.open.size() >= kMaxConnections)
        return Value(false);
    connections.open.emplace_back(full, Rooted<Object>(m.heap(), self));
    return Value(true);
}

Value localSend(Machine& m, Object* self, std::span<const Value> args) {
    Value name = arg(args, 0);
    Value method = arg(args, 1);
    if (!self || !name.isString() || name.asString().empty() || !method.isString() ||
        method.asString().empty() || reservedMethod(method.asString()))
        return Value(false);
    std::span<const Value> rest = args.size() > 2 ? args.subspan(2) : std::span<const Value>();
    bool listened = m.natives().state<Connections>().find(qualified(name.asString())) != nullptr;
    return Value(player::later(m, deliverMessage, 0,
                               {Value(self), name, method, Value(m.newArray(rest)), Value(listened)}));
}

Value localClose(Machine& m, Object* self, std::span<const Value>) {
    auto& open = m.natives().state<Connections>().open;
    auto it = std::find_if(open.begin(), open.end(), [&](const auto& e) { return e.second == self; });
    if (it != open.end()) open.erase(it);
    return Value();
}

Value localDomain(Machine&, Object*, std::span<const Value>) {
    return Value("localhost");
}

constexpr NativeMember kLocalConnectionMethods[] = {
    native::method("connect", localConnect),
    native::method("send", localSend),
    native::method("close", localClose),
    native::method("domain", localDomain),
    native::empty("isPerUser", kDontEnum | kReadOnly),
};

}  // namespace

void installLocalConnectionClass(Machine& m) {
    installClass(m, m.global(), m.newObject(),
                 {"LocalConnection", native::nothing, nullptr, {}, {}, kLocalConnectionMethods});
    // SWF 5 movies have no LocalConnection class to name.
    hideBefore(m.global(), "LocalConnection", 6);
}

}  // namespace swf::avm1
