#pragma once
// What the player's own objects (Stage, Key, Mouse, Selection, System, ...) share: argument
// access, plain members, and the listener list the player gives several of them.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "swf/avm1/machine/Object.h"
#include "swf/avm1/machine/Value.h"

namespace swf::avm1 {

class Machine;

namespace player {

// A plain data property.
void defineValue(Object* on, std::string_view name, const Value& value, uint16_t flags);

// Makes `target` a broadcaster as AsBroadcaster.initialize does (broadcastMessage,
// addListener, removeListener, _listeners), then adds `flags` to those four properties. When
// the machine has no AsBroadcaster the object still gets its own _listeners array.
void makeBroadcaster(Machine& machine, Object* target, uint16_t flags);

// Calls target.broadcastMessage(name, args...) as the player does when the event happens.
void broadcast(Machine& machine, Object* target, std::string_view name,
               std::initializer_list<Value> args);

// The string a value stands for, compared without case against `choices`; the index of the
// match or -1.
int matchIgnoringCase(Machine& machine, const Value& value,
                      std::initializer_list<std::string_view> choices);

// Calls target.onStatus({code, level}), as net connections and streams report their state.
void sendStatus(Machine& machine, Object* target, const char* level, const char* code);

}  // namespace player
}  // namespace swf::avm1
