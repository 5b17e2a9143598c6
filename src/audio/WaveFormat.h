#pragma once
// The audio format record shared by WAV files, the recorder and the export settings:
// the 18 bytes of a WAVEFORMATEX, in the same field order.

#include <cstdint>

namespace audio {

constexpr uint16_t kWaveFormatPcm = 1;

struct WaveFormat {
    uint16_t formatTag = kWaveFormatPcm;
    uint16_t channels = 2;
    uint32_t samplesPerSec = 44100;
    uint32_t avgBytesPerSec = 176400;
    uint16_t blockAlign = 4;
    uint16_t bitsPerSample = 16;
    uint16_t extraSize = 0;  // cbSize: extra format bytes after these 18

    friend bool operator==(const WaveFormat&, const WaveFormat&) = default;
};

// PCM formats are normalised wherever they are taken in: block align from the sample size
// and channels, bytes per second from block align and rate, no extra bytes. Other formats
// are returned unchanged.
inline WaveFormat NormalizePcm(WaveFormat f) {
    if (f.formatTag == kWaveFormatPcm) {
        f.blockAlign = static_cast<uint16_t>(f.bitsPerSample * f.channels / 8);
        f.avgBytesPerSec = f.blockAlign * f.samplesPerSec;
        f.extraSize = 0;
    }
    return f;
}

}  // namespace audio
