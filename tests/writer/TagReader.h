#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace swftest::testing {

struct ReadTag {
    uint16_t code;
    bool longHeader;
    std::vector<uint8_t> body;
};

// Splits a tag stream into tags, for checking what the writer produced.
inline std::vector<ReadTag> readTags(const std::vector<uint8_t>& stream, size_t offset = 0) {
    std::vector<ReadTag> tags;
    while (offset < stream.size()) {
        if (offset + 2 > stream.size()) throw std::runtime_error("truncated tag header");
        const uint16_t codeAndLength =
            static_cast<uint16_t>(stream[offset] | stream[offset + 1] << 8);
        offset += 2;
        uint32_t length = codeAndLength & 0x3F;
        const bool longHeader = length == 0x3F;
        if (longHeader) {
            if (offset + 4 > stream.size()) throw std::runtime_error("truncated long tag header");
            length = static_cast<uint32_t>(stream[offset] | stream[offset + 1] << 8 |
                                           stream[offset + 2] << 16 | stream[offset + 3] << 24);
            offset += 4;
        }
        if (length > stream.size() - offset) throw std::runtime_error("truncated tag body");
        tags.push_back({static_cast<uint16_t>(codeAndLength >> 6), longHeader,
                        std::vector<uint8_t>(stream.begin() + static_cast<long>(offset),
                                             stream.begin() + static_cast<long>(offset + length))});
        offset += length;
    }
    return tags;
}

}  // namespace swftest::testing
