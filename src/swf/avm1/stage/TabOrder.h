#pragma once
// Which objects the Tab key visits and in what order: input text fields, buttons and clips
// that act as buttons or ask for it (tabEnabled), visible, inside clips whose tabChildren is
// not false. When any of them has a tabIndex only those go, by their index; otherwise all
// go by position on the stage, row by row.

#include <memory>
#include <vector>

namespace swf {
class DisplayObject;
}

namespace swf::avm1 {

class Machine;

std::vector<std::shared_ptr<DisplayObject>> tabOrder(Machine& machine);

}  // namespace swf::avm1
