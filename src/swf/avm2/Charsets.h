#pragma once
// Text in the character sets ByteArray's readMultiByte and writeMultiByte name: UTF-8 and
// UTF-16 directly, the rest through the C library's converters (an unknown name is UTF-8).

#include <cstdint>
#include <string>
#include <vector>

namespace swf::avm2 {

// Decodes bytes to the machine's UTF-8; the text ends at the first NUL character.
std::string decodeCharset(const uint8_t* data, size_t size, const std::string& charset);
std::vector<uint8_t> encodeCharset(const std::string& text, const std::string& charset);

}  // namespace swf::avm2
