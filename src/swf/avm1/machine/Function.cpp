#include "swf/avm1/machine/Function.h"

#include "swf/avm1/machine/Heap.h"

namespace swf::avm1 {

void Function::trace(Marker& marker) const {
    Object::trace(marker);
    for (const ScopeEntry& entry : scope_) marker.mark(entry.object);
    marker.mark(baseClip_);
}

}  // namespace swf::avm1
