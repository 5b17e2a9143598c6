#pragma once
// The display properties scripts read and write on clips, buttons and text fields (_x, _y,
// _xscale, ..., by name or by GetProperty's index), in the player's units and rounding.

#include <optional>
#include <string_view>

#include "swf/avm1/Value.h"

namespace swf {
class DisplayObject;
}

namespace swf::avm1 {

class Machine;
class Object;

// The index of a display property name (GetProperty's numbering), if it is one.
std::optional<int> displayPropertyIndex(Machine& machine, std::string_view name);
Value getDisplayProperty(Machine& machine, DisplayObject& object, int index);
void setDisplayProperty(Machine& machine, DisplayObject& object, int index, const Value& value);

// GetProperty / SetProperty on whatever the object stands for (nothing for a removed clip).
Value getDisplayPropertyByIndex(Machine& machine, Object& object, int index);
void setDisplayPropertyByIndex(Machine& machine, Object& object, int index, const Value& value);

}  // namespace swf::avm1
