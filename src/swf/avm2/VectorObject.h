#pragma once
// A Vector.<T>: dense elements all of one type, coerced as they are stored; a fixed Vector
// keeps its length.

#include <cstdint>

#include "swf/avm2/ArrayObject.h"

namespace swf::avm2 {

class Machine;
struct Name;

class VectorObject : public ArrayObject {
  public:
    using ArrayObject::ArrayObject;

    void trace(Marker& marker) const override;

    ClassObject* elementType = nullptr;  // null for Vector.<*>
    bool fixed = false;
};

// vector[index]: the element, or the player's RangeError past the end.
Value vectorLoad(Machine& m, VectorObject& vector, uint32_t index);
// A public name that spells a number but no index (-1, 1.5) is out of range, never a property.
void vectorRefuseNumber(Machine& m, VectorObject& vector, const Name& name);
// vector[index] = value: coerced to the element type; index == length appends unless fixed.
void vectorStore(Machine& m, VectorObject& vector, uint32_t index, const Value& value);

}  // namespace swf::avm2
