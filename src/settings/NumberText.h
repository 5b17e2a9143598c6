#pragma once
// Numbers typed into the settings boxes. Text that is not a number reads as 0: optional
// spaces around optional minus sign (signed readings only) and decimal digits, nothing else.
// A number too large for the record's 32-bit signed fields reads as 0 as well.

#include <cstdint>
#include <string_view>

namespace settings {

int32_t ReadSignedNumber(std::string_view text);
// Minus signs are not numbers here.
int32_t ReadUnsignedNumber(std::string_view text);

}  // namespace settings
