#pragma once
// The application domain's memory: a ByteArray that the load and store instructions (li8 ...
// sf64) reach directly, little-endian, set through ApplicationDomain.domainMemory.

#include <cstdint>

#include "swf/avm2/Value.h"

namespace swf::avm2 {

class Machine;

// Smaller ByteArrays are taken, but the player names this floor for domain memory.
inline constexpr double kMinDomainMemoryLength = 1024;

void installApplicationDomainClass(Machine& m);  // flash.system.ApplicationDomain
// li8, li16, li32, lf32, lf64: the value at `address`; RangeError #1506 outside the memory.
Value domainLoad(Machine& m, uint8_t op, const Value& address);
// si8, si16, si32, sf32, sf64: `value` stored at `address`.
void domainStore(Machine& m, uint8_t op, const Value& value, const Value& address);

}  // namespace swf::avm2
