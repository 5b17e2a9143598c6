#pragma once
// Which objects the Tab key visits and in what order: input text fields, buttons and clips
// that act as buttons or ask for it (tabEnabled), visible, inside clips whose tabChildren is
// not false. When any of them has a tabIndex only those go, by their index; otherwise all
// go by position on the stage, row by row.

#include <memory>
#include <span>
#include <vector>

#include "swf/avm1/machine/Value.h"

namespace swf {
class DisplayObject;
}

namespace swf::avm1 {

class Machine;
class Object;

std::vector<std::shared_ptr<DisplayObject>> tabOrder(Machine& machine);

// tabIndex of clips, buttons and text fields: undefined until set, and undefined clears it.
// A text field keeps an unsigned 32-bit number (ToUint32); a clip or a button a signed one cut
// toward zero, where NaN and what lies beyond 32 bits become the least.
Value readTabIndex(Machine& machine, Object* self, std::span<const Value> args);
Value writeTabIndex(Machine& machine, Object* self, std::span<const Value> args);

}  // namespace swf::avm1
