#include "swf/avm1/classes/LocalMedia.h"

#include <algorithm>

namespace swf::avm1 {
namespace {

constexpr size_t kMaxFrames = 10'000'000;

}  // namespace

std::optional<LocalMedia::Mp3Info> LocalMedia::scanMp3(std::span<const uint8_t> data) {
    static constexpr uint16_t kRatesV1[] = {44100, 48000, 32000};
    static constexpr uint16_t kBitratesV1[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                               112, 128, 160, 192, 224, 256, 320};
    static constexpr uint16_t kBitratesV2[] = {0,  8,  16, 24,  32,  40,  48, 56,
                                               64, 80, 96, 112, 128, 144, 160};
    Mp3Info info;
    size_t pos = 0;
    if (data.size() >= 10 && data[0] == 'I' && data[1] == 'D' && data[2] == '3') {
        size_t size = (size_t{data[6] & 0x7Fu} << 21) | (size_t{data[7] & 0x7Fu} << 14) |
                      (size_t{data[8] & 0x7Fu} << 7) | (data[9] & 0x7Fu);
        pos = 10 + size + ((data[5] & 0x10) ? 10 : 0);
        info.audioStart = pos;
    }
    size_t frames = 0;
    uint64_t samples = 0;
    while (pos + 4 <= data.size() && frames < kMaxFrames) {
        const uint8_t* h = data.data() + pos;
        int version = (h[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
        int layer = (h[1] >> 1) & 3;    // 1: layer III
        int bitrate = h[2] >> 4;
        int rate = (h[2] >> 2) & 3;
        if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0 || version == 1 || layer != 1 || bitrate == 0 ||
            bitrate == 15 || rate == 3) {
            ++pos;  // not a frame header: look further
            continue;
        }
        uint32_t hz = kRatesV1[rate] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
        uint32_t kbps = version == 3 ? kBitratesV1[bitrate] : kBitratesV2[bitrate];
        size_t size = (version == 3 ? 144 : 72) * kbps * 1000 / hz + ((h[2] >> 1) & 1);
        if (frames == 0) {
            info.rateHz = hz;
            info.stereo = (h[3] >> 6) != 3;
        }
        ++frames;
        samples += version == 3 ? 1152 : 576;
        pos += std::max<size_t>(size, 4);
    }
    if (frames == 0) return std::nullopt;
    info.sampleCount = static_cast<uint32_t>(std::min<uint64_t>(samples, UINT32_MAX));
    return info;
}

}  // namespace swf::avm1
