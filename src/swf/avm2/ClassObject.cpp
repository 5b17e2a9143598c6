#include "swf/avm2/ClassObject.h"

#include "swf/script/Marker.h"

namespace swf::avm2 {

void ClassObject::trace(Marker& marker) const {
    Object::trace(marker);
    marker.mark(static_cast<Object*>(base));
    for (ClassObject* i : interfaces) marker.mark(static_cast<Object*>(i));
    if (instanceTraits) instanceTraits->trace(marker);
    if (classTraits) classTraits->trace(marker);
    marker.mark(prototype);
    marker.mark(static_cast<Object*>(initializer));
}

bool ClassObject::isSubclassOf(const ClassObject* other) const {
    int depth = 0;
    for (const ClassObject* c = this; c && depth < 256; c = c->base, ++depth) {
        if (c == other) return true;
        for (const ClassObject* i : c->interfaces)
            if (i == other || (i != c && i->isSubclassOf(other))) return true;
    }
    return false;
}

}  // namespace swf::avm2
