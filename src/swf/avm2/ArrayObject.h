#pragma once
// An Array: dense elements from index 0; the rest of its properties are dynamic.

#include <vector>

#include "swf/avm2/Object.h"

namespace swf::avm2 {

class ArrayObject : public Object {
  public:
    // The longest array held: longer lengths stop the script.
    static constexpr size_t kMaxLength = size_t{1} << 24;

    ArrayObject(ClassObject* arrayClass, Object* proto) : Object(arrayClass, proto) {}

    ArrayObject* asArray() override { return this; }
    void trace(Marker& marker) const override;
    size_t indexedLength() const override { return items.size(); }
    Value indexedItem(size_t index) const override { return items[index]; }

    std::vector<Value> items;
};

}  // namespace swf::avm2
