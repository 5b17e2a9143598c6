#pragma once
// The engine's own four-part version, for the host's start-up check.

#include <cstdint>

namespace swf {

struct Version {
    uint16_t major = 0, minor = 0, build = 0, revision = 0;
    friend bool operator==(const Version&, const Version&) = default;
};

Version EngineVersion();

}  // namespace swf
