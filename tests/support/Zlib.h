#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace swftest {

// zlib streams, as CWS bodies, DefineBitsLossless data and DefineBitsJPEG3 alpha planes use.
class Zlib {
  public:
    static std::vector<uint8_t> compress(std::span<const uint8_t> data);
    // Inflates a whole zlib stream; throws std::runtime_error if it is damaged, truncated,
    // or would inflate beyond `maxSize` bytes.
    static std::vector<uint8_t> inflate(std::span<const uint8_t> stream,
                                        size_t maxSize = 64u << 20);
};

}  // namespace swftest
