#include "swf/avm2/XmlListObject.h"

#include "swf/script/Marker.h"

namespace swf::avm2 {

void XmlListObject::trace(Marker& marker) const {
    Object::trace(marker);
    marker.mark(target);
    for (XmlObject* item : items) marker.mark(item);
}

bool XmlListObject::hasSimpleContent() const {
    if (items.size() == 1) return items[0]->hasSimpleContent();
    for (const XmlObject* item : items)
        if (item->kind == XmlObject::Kind::Element) return false;
    return true;
}

}  // namespace swf::avm2
