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

}  // namespace swf
