#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace swftest {

class BitWriter;

struct SoundEnvelopePoint {
    uint32_t position44 = 0;  // in samples at 44 kHz
    uint16_t leftLevel = 32768;
    uint16_t rightLevel = 32768;
};

// SOUNDINFO of StartSound; optional fields that are set are written with their flag.
struct SoundInfo {
    bool syncStop = false;
    bool syncNoMultiple = false;
    std::optional<uint32_t> inPoint = std::nullopt;
    std::optional<uint32_t> outPoint = std::nullopt;
    std::optional<uint16_t> loopCount = std::nullopt;
    std::vector<SoundEnvelopePoint> envelope = {};  // at most 255 points

    void write(BitWriter& out) const;
};

}  // namespace swftest
