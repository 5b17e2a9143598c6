// LoadVars: url-encoded variables read from a file beside the movie. load and sendAndLoad
// read local files only and answer as the frame ends through onData (whose default decodes
// the text and calls onLoad); send is refused, since nothing leaves the machine.

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/LoadRequests.h"
#include "swf/avm1/classes/PlayerObjects.h"
#include "swf/avm1/classes/XmlNodeObject.h"
#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/display/MovieContext.h"

namespace swf::avm1 {
namespace {

// The load's own fields stay out of enumeration, so toString lists the variables alone.
void setHidden(Object* target, std::string_view name, Value value) {
    target->defineOwn(name, Property{std::move(value), nullptr, nullptr, kDontEnum});
}

void setField(Machine& m, Object* target, std::string_view name, const Value& value) {
    // An XML document a load answers into keeps loaded in a field of its own.
    if (name == "loaded" && dynamic_cast<XmlNodeObject*>(target)) {
        m.set(Value(target), name, value);
        return;
    }
    target->defineOwn(name, Property{value, nullptr, nullptr, kDontEnum | kDontDelete});
}

// name=value pairs of the enumerable variables, in the order for..in visits them, each side
// through the global escape function, which a movie may replace.
Value toQueryString(Machine& m, Object* self) {
    if (!self) return Value("");
    const Value escape = m.get(Value(m.global()), "escape");
    auto escaped = [&](const Value& v) {
        const Value args[] = {v};
        return m.toString(m.call(escape, nullptr, args));
    };
    std::string out;
    const std::vector<std::string> names = m.enumerate(self);
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        const Value value = m.get(Value(self), *name);
        if (!out.empty()) out += '&';
        out += escaped(Value(*name)) + "=" + escaped(value);
        Machine::checkLength(out.size());
    }
    return Value(std::move(out));
}

Value loadVarsLoad(Machine& m, Object* self, std::span<const Value> args) {
    return Value(loadTextFor(m, self, arg(args, 0), setField));
}

Value loadVarsSendAndLoad(Machine& m, Object*, std::span<const Value> args) {
    return Value(loadTextFor(m, arg(args, 1).asObject(), arg(args, 0), setField));
}

Value loadVarsSend(Machine& m, Object*, std::span<const Value> args) {
    m.trace("Kinetrope: not sending variables to '" + m.toString(arg(args, 0)) +
            "': nothing leaves the machine");
    return Value(false);
}

// With nothing to decode the answer is false.
Value loadVarsDecode(Machine& m, Object* self, std::span<const Value> args) {
    if (args.empty()) return Value(false);
    decodeVariables(m, self, m.toString(args[0]));
    return Value();
}

Value loadVarsToString(Machine& m, Object* self, std::span<const Value>) {
    return toQueryString(m, self);
}

Value loadVarsGetBytesLoaded(Machine& m, Object* self, std::span<const Value>) {
    return m.get(Value(self), "_bytesLoaded");
}

Value loadVarsGetBytesTotal(Machine& m, Object* self, std::span<const Value>) {
    return m.get(Value(self), "_bytesTotal");
}

Value loadVarsAddRequestHeader(Machine& m, Object* self, std::span<const Value> args) {
    return addRequestHeader(m, self, args, kDontEnum);
}

// What a finished load calls: the text becomes variables, then onLoad says how it went.
Value loadVarsOnData(Machine& m, Object* self, std::span<const Value> args) {
    return finishTextLoad(m, self, arg(args, 0), "decode", [](Machine&, Object* loaded) {
        setHidden(loaded, "loaded", Value(true));
    });
}

using native::method;

constexpr NativeMember kLoadVarsMethods[] = {
    native::text("contentType", "application/x-www-form-urlencoded", kDontEnum),
    method("load", loadVarsLoad),
    method("sendAndLoad", loadVarsSendAndLoad),
    method("send", loadVarsSend),
    method("decode", loadVarsDecode),
    method("toString", loadVarsToString),
    method("getBytesLoaded", loadVarsGetBytesLoaded),
    method("getBytesTotal", loadVarsGetBytesTotal),
    method("addRequestHeader", loadVarsAddRequestHeader),
    method("onLoad", native::nothing),
    method("onData", loadVarsOnData),
};

}  // namespace

void installLoadVarsClass(Machine& m) {
    installClass(m, m.global(), m.newObject(),
                 {"LoadVars", native::nothing, nullptr, {}, {}, kLoadVarsMethods});
}

}  // namespace swf::avm1
