#include "swf/video/FlvVideo.h"

#include <algorithm>
#include <optional>

#include "swf/video/VideoPacket.h"

namespace swf {
namespace {

constexpr uint8_t kAudioTag = 8;
constexpr uint8_t kVideoTag = 9;
constexpr size_t kTagHeader = 11;

struct FlvFrame {
    uint32_t ms;
    std::span<const uint8_t> payload;
};

// The codec's packet in an FLV video tag's body: VP6 starts with a byte of its own that
// says how much of the last macroblocks to crop.
std::span<const uint8_t> payloadOf(uint8_t codec, std::span<const uint8_t> body) {
    const size_t skip = codec == VideoCharacter::Vp6 || codec == VideoCharacter::Vp6Alpha ? 2 : 1;
    return body.size() > skip ? body.subspan(skip) : std::span<const uint8_t>();
}

}  // namespace

std::shared_ptr<const FlvVideo> FlvVideo::read(std::span<const uint8_t> file) {
    if (file.size() < 9 || file[0] != 'F' || file[1] != 'L' || file[2] != 'V') return nullptr;
    size_t pos =
        (size_t{file[5]} << 24) | (size_t{file[6]} << 16) | (size_t{file[7]} << 8) | file[8];
    pos += 4;  // the first previous-tag size
    std::vector<FlvFrame> frames;
    uint8_t codec = 0;
    int width = 0, height = 0;
    while (pos <= file.size() && file.size() - pos >= kTagHeader && frames.size() < kMaxFrames) {
        const uint8_t type = file[pos] & 0x1F;
        const size_t size =
            (size_t{file[pos + 1]} << 16) | (size_t{file[pos + 2]} << 8) | file[pos + 3];
        const uint32_t ms = (uint32_t{file[pos + 7]} << 24) | (uint32_t{file[pos + 4]} << 16) |
                            (uint32_t{file[pos + 5]} << 8) | file[pos + 6];
        const size_t body = pos + kTagHeader;
        if (size > file.size() - body) break;
        pos = body + size + 4;
        if (type != kVideoTag || size < 2) continue;
        const std::span<const uint8_t> tag = file.subspan(body, size);
        const uint8_t frameType = tag[0] >> 4;
        const uint8_t tagCodec = tag[0] & 0x0F;
        if (frameType == 5 || tagCodec < VideoCharacter::H263 ||
            tagCodec > VideoCharacter::ScreenVideo2)
            continue;
        if (codec == 0) codec = tagCodec;
        if (tagCodec != codec) continue;
        const std::span<const uint8_t> payload = payloadOf(codec, tag);
        if (width == 0) {
            bool valid = false;
            const VideoPacket::Info info = VideoPacket::inspect(codec, payload, valid);
            if (valid && info.width > 0 && info.height > 0) {
                // VP6 states whole macroblocks; the byte before its packet crops them.
                const bool vp6 = codec == VideoCharacter::Vp6 || codec == VideoCharacter::Vp6Alpha;
                width = info.width - (vp6 ? tag[1] >> 4 : 0);
                height = info.height - (vp6 ? tag[1] & 0x0F : 0);
            }
        }
        frames.push_back({ms, payload});
    }
    if (frames.empty() || width <= 0 || height <= 0) return nullptr;
    auto stream = std::make_shared<VideoCharacter>(
        0, static_cast<uint16_t>(frames.size()), static_cast<uint16_t>(std::min(width, 65535)),
        static_cast<uint16_t>(std::min(height, 65535)), 0, false, codec);
    auto video = std::make_shared<FlvVideo>();
    for (size_t i = 0; i < frames.size(); ++i) {
        if (auto frame = VideoPacket::frame(*stream, frames[i].payload))
            stream->addFrame(static_cast<uint16_t>(i), std::move(*frame));
        video->timesMs_.push_back(frames[i].ms);
    }
    video->stream_ = std::move(stream);
    return video;
}

std::shared_ptr<const SoundCharacter> FlvVideo::readSound(std::span<const uint8_t> file) {
    if (file.size() < 9 || file[0] != 'F' || file[1] != 'L' || file[2] != 'V') return nullptr;
    size_t pos =
        (size_t{file[5]} << 24) | (size_t{file[6]} << 16) | (size_t{file[7]} << 8) | file[8];
    pos += 4;
    std::vector<uint8_t> data;
    std::optional<uint8_t> flags;
    for (size_t tags = 0;
         pos <= file.size() && file.size() - pos >= kTagHeader && tags < kMaxFrames * 4; ++tags) {
        const uint8_t type = file[pos] & 0x1F;
        const size_t size =
            (size_t{file[pos + 1]} << 16) | (size_t{file[pos + 2]} << 8) | file[pos + 3];
        const size_t body = pos + kTagHeader;
        if (size > file.size() - body) break;
        pos = body + size + 4;
        if (type != kAudioTag || size < 2) continue;
        const uint8_t tagFlags = file[body];
        const uint8_t format = tagFlags >> 4;
        const bool joinable =
            format == 0 || format == 2 || format == 3 || (format >= 4 && format <= 6);
        if (!joinable) continue;
        if (!flags) flags = tagFlags;
        if (tagFlags != *flags) continue;
        data.insert(data.end(), file.begin() + static_cast<ptrdiff_t>(body + 1),
                    file.begin() + static_cast<ptrdiff_t>(body + size));
    }
    if (!flags || data.empty()) return nullptr;
    static constexpr uint32_t kRates[] = {5512, 11025, 22050, 44100};
    const auto format = static_cast<SoundCharacter::Format>(*flags >> 4);
    return std::make_shared<SoundCharacter>(0, format, kRates[(*flags >> 2) & 3], (*flags & 2) != 0,
                                            (*flags & 1) != 0, 0, std::move(data));
}

uint16_t FlvVideo::frameAt(double ms) const {
    // Times are in file order, which an FLV keeps rising; the last that has come is shown.
    size_t shown = 0;
    for (size_t i = 0; i < timesMs_.size() && timesMs_[i] <= ms; ++i) shown = i;
    return static_cast<uint16_t>(shown);
}

}  // namespace swf
