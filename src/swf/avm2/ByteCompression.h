#pragma once
// ByteArray's compress and uncompress: zlib streams, raw deflate, and LZMA as the player
// writes it (5 bytes of properties, the uncompressed length in 8 little-endian bytes, the
// stream). Output is bounded by `limit`.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace swf::avm2 {

enum class ByteCompression { Zlib, Deflate, Lzma };

// The algorithm a script names ("zlib", "deflate", "lzma"), or none for another name.
std::optional<ByteCompression> compressionNamed(const std::string& name);
// The compressed bytes, or none when they would pass `limit`.
std::optional<std::vector<uint8_t>> compressBytes(const std::vector<uint8_t>& data, ByteCompression how, size_t limit);
// The original bytes, or none for damaged data or output past `limit`.
std::optional<std::vector<uint8_t>> uncompressBytes(const std::vector<uint8_t>& data, ByteCompression how, size_t limit);

}  // namespace swf::avm2
