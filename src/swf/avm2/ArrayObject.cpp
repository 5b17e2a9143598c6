#include "swf/avm2/ArrayObject.h"

#include "swf/script/Marker.h"

namespace swf::avm2 {

void ArrayObject::trace(Marker& marker) const {
    Object::trace(marker);
    for (const Value& v : items) marker.mark(v);
}

}  // namespace swf::avm2
