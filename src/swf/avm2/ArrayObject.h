#pragma once
// An Array: dense elements from index 0; the rest of its properties are dynamic.

#include <algorithm>
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

    // The length, counting elements past `items`.
    size_t length() const { return std::max(items.size(), sparseLength); }

    std::vector<Value> items;
    // Indices too far for `items` make the array sparse: such elements are dynamic properties
    // named by their index, and the length past `items` is kept here (0 while dense).
    size_t sparseLength = 0;
};

}  // namespace swf::avm2
