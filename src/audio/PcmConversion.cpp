#include "audio/PcmConversion.h"

#include <bit>
#include <cstring>

#include "audio/SampleGain.h"

namespace audio {

void AppendPcm(std::span<const int16_t> mixed, int mixedChannels, const WaveFormat& format,
               std::vector<uint8_t>& out) {
    if (mixedChannels < 1 || format.channels == 0 || format.bitsPerSample < 8) return;
    const size_t bytes = format.bitsPerSample / 8u;
    const size_t frames = mixed.size() / static_cast<size_t>(mixedChannels);
    const size_t channels = format.channels;
    size_t at = out.size();
    if (std::endian::native == std::endian::little && bytes == 2 && channels <= 2 &&
        channels == static_cast<size_t>(mixedChannels)) {
        // The mix's own layout: its bytes as they lie.
        out.resize(at + frames * channels * 2);
        std::memcpy(out.data() + at, mixed.data(), frames * channels * 2);
        return;
    }
    // Grown once: channels past the second stay silent.
    out.resize(at + frames * channels * bytes, SilenceByte(format));
    for (size_t i = 0; i < frames; ++i)
        for (size_t c = 0; c < channels; ++c, at += bytes) {
            if (c >= 2) continue;
            const int16_t value = mixed[i * mixedChannels + c % static_cast<size_t>(mixedChannels)];
            if (bytes == 1) {
                out[at] = static_cast<uint8_t>((value >> 8) + 128);
            } else {
                out[at + bytes - 2] = static_cast<uint8_t>(value & 0xFF);
                out[at + bytes - 1] = static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8);
            }
        }
}

}  // namespace audio
