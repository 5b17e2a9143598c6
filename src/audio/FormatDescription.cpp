#include "audio/FormatDescription.h"

#include <cstdio>

#include "resources/StringTable.h"

namespace audio {
namespace {

constexpr uint16_t kMaxDescribedChannels = 8;

bool IsDescribablePcm(const WaveFormat& format) {
    const bool wholeBytes =
        format.bitsPerSample >= 8 && format.bitsPerSample <= 32 && format.bitsPerSample % 8 == 0;
    if (format.formatTag != kWaveFormatPcm || !wholeBytes || format.channels == 0 ||
        format.channels > kMaxDescribedChannels || format.samplesPerSec == 0)
        return false;
    // A format whose alignment or byte rate disagrees with its samples describes no real
    // stream; the codecs refuse it too.
    const uint32_t blockAlign = format.bitsPerSample / 8u * format.channels;
    return format.blockAlign == blockAlign &&
           format.avgBytesPerSec == static_cast<uint64_t>(blockAlign) * format.samplesPerSec;
}

std::string ChannelsName(uint16_t channels) {
    if (channels == 1) return "Mono";
    if (channels == 2) return "Stereo";
    return std::to_string(channels) + " Channels";
}

}  // namespace

AudioFormatDescription DescribeAudioFormat(const WaveFormat& format) {
    if (!IsDescribablePcm(format)) return {"unknown tag", "unknown format", false};
    char rate[32];
    std::snprintf(rate, sizeof rate, "%u.%03u kHz", format.samplesPerSec / 1000,
                  format.samplesPerSec % 1000);
    return {"PCM",
            std::string(rate) + ", " + std::to_string(format.bitsPerSample) + " Bit, " +
                ChannelsName(format.channels),
            true};
}

std::string CompressorName(std::optional<std::string_view> encoderDescription) {
    if (!encoderDescription) return resources::LoadString(resources::kStrUncompressed);
    return std::string(*encoderDescription);
}

std::vector<WaveFormat> RecordingFormats() {
    static constexpr uint32_t kRates[] = {8000, 11025, 22050, 44100, 48000};
    static constexpr uint16_t kBits[] = {8, 16};
    static constexpr uint16_t kChannels[] = {1, 2};
    std::vector<WaveFormat> formats;
    for (uint32_t rate : kRates)
        for (uint16_t bits : kBits)
            for (uint16_t channels : kChannels) {
                WaveFormat format;
                format.samplesPerSec = rate;
                format.bitsPerSample = bits;
                format.channels = channels;
                formats.push_back(NormalizePcm(format));
            }
    return formats;
}

}  // namespace audio
