#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace swftest {

// Raw LZMA as ZWS bodies hold it: the 5 property bytes, then the stream with its end marker.
class Lzma {
  public:
    static std::vector<uint8_t> compress(std::span<const uint8_t> data);
};

}  // namespace swftest
