#include "swf/avm2/FunctionObject.h"

#include "swf/avm2/ClassObject.h"
#include "swf/script/Marker.h"

namespace swf::avm2 {

void FunctionObject::trace(Marker& marker) const {
    Object::trace(marker);
    for (const ScopeEntry& entry : scope) marker.mark(entry.value);
    marker.mark(static_cast<Object*>(home));
    marker.mark(boundThis);
}

}  // namespace swf::avm2
