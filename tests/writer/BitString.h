#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace swftest::testing {

// Packs a string of '0' and '1' (spaces ignored), most significant bit first, into bytes,
// padding the last byte with zeros: expected encodings are written out field by field.
inline std::vector<uint8_t> bits(std::string_view text) {
    std::vector<uint8_t> bytes;
    int used = 0;
    for (char c : text) {
        if (c == ' ') continue;
        if (c != '0' && c != '1')
            throw std::invalid_argument("bit strings hold only 0, 1 and spaces");
        if (used == 0) bytes.push_back(0);
        if (c == '1') bytes.back() |= static_cast<uint8_t>(0x80 >> used);
        used = (used + 1) % 8;
    }
    return bytes;
}

inline std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

}  // namespace swftest::testing
