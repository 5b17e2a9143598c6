#pragma once
// The engine keeps its text as UTF-8; characters beyond U+10FFFF are held at it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace swf {

// One code point decoded from UTF-8 at `i`, which moves past it; an invalid sequence is its
// first byte alone.
uint32_t nextCodePoint(std::string_view text, size_t& i);

bool isAscii(std::string_view text);

// UTF-16 bytes as UTF-8, in the byte order given unless a byte order mark names the other; a
// lone surrogate becomes the replacement character and an odd last byte is dropped.
std::string fromUtf16Bytes(std::span<const uint8_t> bytes, bool bigEndianOrder);

inline void appendUtf8(std::string& out, char32_t c) {
    c = std::min<char32_t>(c, 0x10FFFF);
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace swf
