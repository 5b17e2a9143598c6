#pragma once
// An E4X XMLList: XML values in order, with the object and property it was read from so
// that assigning through an empty list can create what it names.

#include <string>
#include <vector>

#include "swf/avm2/XmlObject.h"

namespace swf::avm2 {

class XmlListObject : public Object {
  public:
    XmlListObject(ClassObject* listClass, Object* proto) : Object(listClass, proto) {}

    XmlListObject* asXmlList() override { return this; }
    void trace(Marker& marker) const override;
    size_t indexedLength() const override { return items.size(); }
    Value indexedItem(size_t index) const override { return Value::object(items[index]); }

    bool hasSimpleContent() const;

    std::vector<XmlObject*> items;
    // Where the list came from: `target.targetName` (null target for a list made alone).
    Object* target = nullptr;
    std::string targetLocal;
    std::string targetUri;
    bool targetAttribute = false;
    bool targetHasName = false;
};

}  // namespace swf::avm2
