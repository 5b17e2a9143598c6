#include "swf/format/Utf8.h"

#include <algorithm>

namespace swf {

uint32_t nextCodePoint(std::string_view text, size_t& i) {
    auto b = static_cast<uint8_t>(text[i]);
    int extra = b >= 0xF0 && b < 0xF8 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (b >= 0xF8 || (b >= 0x80 && b < 0xC0)) extra = -1;
    uint32_t c = extra == 3 ? b & 0x07u : extra == 2 ? b & 0x0Fu : extra == 1 ? b & 0x1Fu : b;
    bool valid = extra >= 0 && i + static_cast<size_t>(extra) < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
        auto next = static_cast<uint8_t>(text[i + static_cast<size_t>(k)]);
        if ((next & 0xC0) != 0x80) valid = false;
        c = (c << 6) | (next & 0x3Fu);
    }
    if (!valid) {
        ++i;
        return b;
    }
    i += static_cast<size_t>(extra) + 1;
    return c;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

std::string fromUtf16Bytes(std::span<const uint8_t> bytes, bool bigEndianOrder) {
    size_t i = 0;
    if (bytes.size() >= 2 &&
        ((bytes[0] == 0xFE && bytes[1] == 0xFF) || (bytes[0] == 0xFF && bytes[1] == 0xFE))) {
        bigEndianOrder = bytes[0] == 0xFE;
        i = 2;
    }
    const auto unit = [&](size_t at) -> uint32_t {
        return bigEndianOrder ? (uint32_t{bytes[at]} << 8) | bytes[at + 1]
                              : (uint32_t{bytes[at + 1]} << 8) | bytes[at];
    };
    std::string out;
    for (; i + 1 < bytes.size(); i += 2) {
        uint32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            const uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        appendUtf8(out, c >= 0xD800 && c < 0xE000 ? 0xFFFD : c);
    }
    return out;
}

}  // namespace swf
