#pragma once
// The host's clock: milliseconds of a steady clock, wrapping at 2^32 like the system's
// millisecond counter. Never goes back while the machine runs.

#include <cstdint>

namespace player {

uint32_t SystemTimeMs();

}  // namespace player
