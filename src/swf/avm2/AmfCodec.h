#pragma once
// ByteArray's writeObject and readObject: values in AMF3 (with its string, object and traits
// reference tables) or AMF0, as the player encodes them.

#include <cstdint>
#include <vector>

#include "swf/avm2/Value.h"

namespace swf::avm2 {

class ByteArrayObject;
class Machine;

// Appends `value` in encoding 0 (AMF0) or 3 (AMF3).
void writeAmf(Machine& m, std::vector<uint8_t>& out, const Value& value, uint32_t encoding);
// Reads one value at the array's position, moving past it; EOFError when the data ends early.
Value readAmf(Machine& m, ByteArrayObject& from, uint32_t encoding);

}  // namespace swf::avm2
