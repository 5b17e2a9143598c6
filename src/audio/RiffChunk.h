#pragma once
// One chunk of a RIFF file: a four-character id, a 32-bit payload size, and for RIFF and
// LIST chunks a form type that opens the payload. Chunks are padded to an even length.

#include <cstdint>

namespace audio {

constexpr uint32_t FourCC(const char (&code)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

inline constexpr uint32_t kRiffId = FourCC("RIFF");
inline constexpr uint32_t kListId = FourCC("LIST");
inline constexpr uint32_t kChunkHeaderSize = 8;

struct RiffChunk {
    uint32_t id = 0;
    uint32_t size = 0;        // payload bytes, the form type included, the pad byte not
    uint32_t formType = 0;    // RIFF and LIST chunks only
    uint64_t dataOffset = 0;  // file offset of the payload's first byte

    bool HasFormType() const { return id == kRiffId || id == kListId; }
    uint64_t End() const { return dataOffset + size; }
    uint64_t PaddedEnd() const { return End() + (size & 1u); }
};

}  // namespace audio
