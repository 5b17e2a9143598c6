#include "swf/sound/Mp3Frames.h"

namespace swf {
namespace {

// Sync, version, layer and sampling rate: what every frame of one stream shares.
constexpr uint32_t kStreamBits = 0xFFE00000 | 3u << 19 | 3u << 17 | 3u << 10;
// Those and protection and bit rate: what a frame like the one before it shares with it.
constexpr uint32_t kSameFrameBits = 0xFFFFFC00;

}  // namespace

std::optional<Mp3Frames::Header> Mp3Frames::readHeader(std::span<const uint8_t> data) {
    if (data.size() < 4) return std::nullopt;
    const uint32_t bits = uint32_t{data[0]} << 24 | uint32_t{data[1]} << 16 |
                          uint32_t{data[2]} << 8 | data[3];
    const uint32_t version = bits >> 19 & 3;  // 0: MPEG-2.5, 1: reserved, 2: MPEG-2, 3: MPEG-1
    const uint32_t layer = bits >> 17 & 3;    // 1: Layer III
    const uint32_t bitRate = bits >> 12 & 15;
    const uint32_t rateIndex = bits >> 10 & 3;
    if ((bits & 0xFFE00000) != 0xFFE00000 || version == 1 || layer != 1 || bitRate == 0 ||
        bitRate == 15 || rateIndex == 3)
        return std::nullopt;
    static constexpr int kKbps[2][15] = {
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}};
    static constexpr int kRates[3] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    Header header;
    header.bits = bits;
    header.rate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    header.samples = mpeg1 ? 1152 : 576;
    header.channels = (bits >> 6 & 3) == 3 ? 1 : 2;
    header.bytes = static_cast<size_t>(header.samples / 8 * kKbps[mpeg1][bitRate] * 1000 /
                                       header.rate) +
                   (bits >> 9 & 1);
    return header;
}

void Mp3Frames::append(std::span<const uint8_t> data) {
    data_.erase(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(at_));
    at_ = 0;
    data_.insert(data_.end(), data.begin(), data.end());
}

std::span<const uint8_t> Mp3Frames::next(bool end, Header& header) {
    const std::span<const uint8_t> data(data_);
    for (; at_ + 4 <= data.size(); ++at_, last_.reset()) {
        const std::optional<Header> found = readHeader(data.subspan(at_));
        if (!found) continue;
        const size_t frameEnd = at_ + found->bytes;
        const bool inStep =
            last_ && ((found->bits ^ last_->bits) & kSameFrameBits) == 0;
        bool confirmed = inStep;
        if (!confirmed && frameEnd + 4 <= data.size()) {
            const std::optional<Header> after = readHeader(data.subspan(frameEnd));
            confirmed = after && ((after->bits ^ found->bits) & kStreamBits) == 0;
            if (!confirmed) continue;
        }
        if (frameEnd > data.size() || (!confirmed && frameEnd != data.size())) {
            if (!end) return {};  // the rest of the frame, or what confirms it, is still to come
            if (frameEnd > data.size()) break;  // cut off
            continue;
        }
        header = *found;
        last_ = found;
        const size_t start = at_;
        at_ = frameEnd;
        return data.subspan(start, found->bytes);
    }
    // Nothing more here; the last three bytes may still begin a header with the next piece.
    if (end) at_ = data.size();
    return {};
}

}  // namespace swf
