#include "audio/SampleGain.h"

#include <algorithm>
#include <cmath>

namespace audio {

void ApplyGain(std::span<uint8_t> samples, const WaveFormat& format, double gain) {
    if (format.formatTag != kWaveFormatPcm || gain >= 1.0) return;
    gain = std::max(gain, 0.0);
    const unsigned bytes = format.bitsPerSample / 8u;
    if (bytes == 0 || bytes > 4 || format.bitsPerSample % 8 != 0) return;
    for (size_t at = 0; at + bytes <= samples.size(); at += bytes) {
        uint8_t* sample = samples.data() + at;
        if (bytes == 1) {
            // 8-bit samples are unsigned around 0x80.
            const double scaled = (sample[0] - 128) * gain;
            sample[0] = static_cast<uint8_t>(128 + std::lround(scaled));
            continue;
        }
        uint32_t raw = 0;
        for (unsigned i = 0; i < bytes; ++i) raw |= uint32_t{sample[i]} << (8 * i);
        // Sign-extend from the sample's top bit.
        const unsigned shift = 32 - 8 * bytes;
        const int64_t value = static_cast<int32_t>(raw << shift) >> shift;
        const auto scaled = static_cast<uint32_t>(std::llround(static_cast<double>(value) * gain));
        for (unsigned i = 0; i < bytes; ++i) sample[i] = static_cast<uint8_t>(scaled >> (8 * i));
    }
}

uint8_t SilenceByte(const WaveFormat& format) {
    return format.bitsPerSample == 8 ? 0x80 : 0;
}

}  // namespace audio
