#pragma once
// An Array: elements from index 0 held in `items`, with holes where none was set; a length
// may reach past them, and elements too far for `items` are dynamic properties.

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

    // The length, counting the holes and far elements past `items`.
    size_t length() const { return std::max(items.size(), declaredLength); }
    // The element the array holds itself at `index` (set, not a hole), or null; `name` spells
    // the index.
    Value* ownElement(uint32_t index, const std::string& name);
    // The element a read finds at `index`: the array's own, else the nearest prototype's (a
    // prototype that is an array holds elements as this one does), else null.
    Value* elementThroughPrototypes(uint32_t index, const std::string& name);
    // Stores an element: a gap before it in `items` fills with holes; a far one becomes a
    // dynamic property.
    void setElement(uint32_t index, const Value& value);
    // Cuts `items` and far elements at `n`, or lets the length reach past them.
    void setLength(size_t n);

    std::vector<Value> items;
    // The length when it reaches past `items`, else at most items.size().
    size_t declaredLength = 0;
};

}  // namespace swf::avm2
