#pragma once
// Little-endian numbers in byte buffers, as RIFF, SWF and TGA files store them.

#include <cstdint>

namespace audio {

inline uint16_t LoadLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline uint32_t LoadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline void StoreLe16(uint8_t* p, uint16_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

inline void StoreLe32(uint8_t* p, uint32_t value) {
    StoreLe16(p, static_cast<uint16_t>(value));
    StoreLe16(p + 2, static_cast<uint16_t>(value >> 16));
}

}  // namespace audio
