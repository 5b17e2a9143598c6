#pragma once
// The engine's own four-part version, for the host's start-up check.

#include <cstdint>

namespace swf {

struct Version {
    uint16_t major = 0, minor = 0, build = 0, revision = 0;
    friend bool operator==(const Version&, const Version&) = default;
};

Version EngineVersion();

// The newest SWF format version whose tags and actions the engine reads.
inline constexpr int kHighestSwfVersion = 10;

}  // namespace swf
