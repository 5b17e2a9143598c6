#pragma once
// The body of a ZWS movie: after the 8-byte header come the compressed length (4 bytes), the
// LZMA properties (5 bytes) and a raw LZMA stream, with or without an end marker.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace swf {

class LzmaBody {
  public:
    // Decodes `afterHeader` (what follows the 8-byte header) into `out`, at most `outputLimit`
    // bytes (the header's uncompressed length, itself bounded). Data that ends before the
    // stream does leaves what was decoded: a movie cut short. False with a sentence in `error`
    // when nothing can be decoded.
    static bool decode(std::span<const uint8_t> afterHeader, size_t outputLimit,
                       std::vector<uint8_t>& out, std::string& error);
    // The same for a raw stream given its 5 bytes of properties apart.
    static bool decodeRaw(std::span<const uint8_t> properties, std::span<const uint8_t> data,
                          size_t outputLimit, std::vector<uint8_t>& out, std::string& error);
};

}  // namespace swf
