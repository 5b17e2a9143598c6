// XMLSocket: a socket to a server, which a conversion never opens: connect() answers as the
// player does and onConnect(false) follows on a later frame. onData's default turns text
// into an XML document for onXML, so scripts that feed it themselves still work.

#include <memory>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/classes/PlayerEvents.h"
#include "swf/avm1/classes/PlayerObjects.h"

namespace swf::avm1 {

void installXmlSocketClass(Machine& m) {
    auto events = std::make_shared<PlayerEvents>(m);
    Object* proto = m.newObject();
    m.defineClass(m.global(), "XMLSocket", proto,
                  [](Machine&, Object*, std::span<const Value>) { return Value(); });
    Rooted<Function> refused(m.heap(),
                             m.newFunction([](Machine& m, Object*, std::span<const Value> args) {
                                 const Value no[] = {Value(false)};
                                 m.callMethod(arg(args, 0), "onConnect", no);
                                 return Value();
                             }));
    m.defineMethod(proto, "connect",
                   [events, refused](Machine& m, Object* self, std::span<const Value> args) {
                       // The host is read as the player reads it (its toString may run).
                       if (!args.empty() && !args[0].isNullish()) m.toString(args[0]);
                       if (!self) return Value(false);
                       events->later(m, refused, 0, {Value(self)});
                       return Value(true);
                   });
    auto nothing = [](Machine&, Object*, std::span<const Value>) { return Value(); };
    m.defineMethod(proto, "send", nothing);
    m.defineMethod(proto, "close", nothing);
    m.defineMethod(proto, "onData", [](Machine& m, Object* self, std::span<const Value> args) {
        const Value source[] = {arg(args, 0)};
        Value xml = m.construct(m.get(m.global(), "XML"), source);
        const Value document[] = {xml};
        m.callMethod(Value(self), "onXML", document);
        return Value();
    });
}

}  // namespace swf::avm1
