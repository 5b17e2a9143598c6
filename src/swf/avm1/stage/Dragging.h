#pragma once
// startDrag and stopDrag, as actions and as MovieClip's methods: the object follows the pointer
// (its position offset kept unless it is centred on it, within the limits given) until the
// drag stops, and _droptarget names what lies under the pointer then.

#include <optional>

#include "swf/avm1/machine/StageAccess.h"
#include "swf/geom/Geometry.h"

namespace swf {
class DisplayObject;
}

namespace swf::avm1 {

class Machine;

void startDrag(Machine& machine, DisplayObject& object, bool lockCenter,
               const std::optional<DragLimits>& limits);
void stopDrag(Machine& machine);
// The pointer moved: the dragged object follows it.
void followDrag(Machine& machine);

}  // namespace swf::avm1
