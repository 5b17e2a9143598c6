#include "swf/avm1/classes/PlayerObjects.h"

#include <vector>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/format/LetterCase.h"

namespace swf::avm1::player {

void defineValue(Object* on, std::string_view name, const Value& value, uint16_t flags) {
    on->defineOwn(name, Property{value, nullptr, nullptr, flags});
}

void makeBroadcaster(Machine& m, Object* target, uint16_t flags) {
    static const std::vector<std::string> kNames = {"broadcastMessage", "addListener",
                                                    "removeListener", "_listeners"};
    Property* holder = m.global()->findOwn("AsBroadcaster");
    Value broadcaster = holder ? holder->value : Value();
    if (broadcaster.isObject()) {
        const Value self[] = {Value(target)};
        m.callMethod(broadcaster, "initialize", self);
    }
    if (!target->findOwn("_listeners")) {
        Property list;
        list.value = Value(static_cast<Object*>(m.newArray()));
        list.flags = kDontEnum;
        target->defineOwn("_listeners", std::move(list));
    }
    target->changeFlags(&kNames, flags, 0);
}

void broadcast(Machine& m, Object* target, std::string_view name,
               std::initializer_list<Value> args) {
    std::vector<Value> all;
    all.reserve(args.size() + 1);
    all.emplace_back(name);
    all.insert(all.end(), args.begin(), args.end());
    m.callMethod(Value(target), "broadcastMessage", all);
}

int matchIgnoringCase(Machine& m, const Value& value,
                      std::initializer_list<std::string_view> choices) {
    std::string text = m.toString(value);
    int index = 0;
    for (std::string_view choice : choices) {
        if (equalsIgnoringCase(text, choice)) return index;
        ++index;
    }
    return -1;
}

void sendStatus(Machine& machine, Object* target, const char* level, const char* code) {
    Object* info = machine.newObject();
    info->setOwn("code", Value(code));
    info->setOwn("level", Value(level));
    const Value args[] = {Value(info)};
    machine.callMethod(Value(target), "onStatus", args);
}

}  // namespace swf::avm1::player
