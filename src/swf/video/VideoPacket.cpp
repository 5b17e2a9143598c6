#include "swf/video/VideoPacket.h"

#include "swf/format/BitReader.h"
#include "swf/movie/VideoCharacter.h"

namespace swf {

VideoPacket::Info VideoPacket::inspectH263(std::span<const uint8_t> data, bool& valid) {
    BitReader in(data);
    Info info;
    const uint32_t startCode = in.ub(17);
    in.ub(5);  // version
    in.ub(8);  // temporal reference
    const uint32_t sizeCode = in.ub(3);
    static constexpr int kSizes[][2] = {{0, 0},    {0, 0},     {352, 288}, {176, 144},
                                        {128, 96}, {320, 240}, {160, 120}, {0, 0}};
    if (sizeCode == 0 || sizeCode == 1) {
        const unsigned bits = sizeCode == 0 ? 8 : 16;
        info.width = static_cast<int>(in.ub(bits));
        info.height = static_cast<int>(in.ub(bits));
    } else {
        info.width = kSizes[sizeCode][0];
        info.height = kSizes[sizeCode][1];
    }
    info.key = in.ub(2) == 0;
    info.deblock = in.ub(1) != 0;
    info.quantizer = static_cast<int>(in.ub(5));
    valid = !in.overrun() && startCode == 1 && sizeCode != 7;
    return info;
}

VideoPacket::Info VideoPacket::inspectScreen(std::span<const uint8_t> data, bool version2,
                                             bool& valid) {
    BitReader in(data);
    Info info;
    const int blockWidth = static_cast<int>(in.ub(4) + 1) * 16;
    info.width = static_cast<int>(in.ub(12));
    const int blockHeight = static_cast<int>(in.ub(4) + 1) * 16;
    info.height = static_cast<int>(in.ub(12));
    bool palette = false;
    if (version2) {
        in.ub(6);
        in.ub(1);  // blocks may refer to the last key frame's picture
        palette = in.ub(1) != 0;
    }
    valid = !in.overrun();
    if (!valid) return info;
    // A key frame carries every block; an inter frame leaves the unchanged ones empty. A
    // palette's layout is not read here: such a frame counts as a key frame.
    info.key = true;
    if (palette) return info;
    const int blocks = ((info.width + blockWidth - 1) / blockWidth) *
                       ((info.height + blockHeight - 1) / blockHeight);
    for (int i = 0; i < blocks && info.key; ++i) {
        const uint32_t size = in.ub(16);
        if (in.overrun() || size == 0) info.key = false;
        in.skip(size);
    }
    return info;
}

VideoPacket::Info VideoPacket::inspectVp6(std::span<const uint8_t> data, bool& valid) {
    Info info;
    valid = !data.empty();
    if (!valid) return info;
    info.key = (data[0] & 0x80) == 0;
    if (!info.key) return info;
    const bool separated = (data[0] & 1) != 0;
    if (data.size() < 2) {
        valid = false;
        return info;
    }
    const bool filterHeader = (data[1] & 0x06) != 0;
    const size_t dims = separated || !filterHeader ? 4 : 2;
    if (data.size() < dims + 2) {
        valid = false;
        return info;
    }
    info.height = data[dims] * 16;
    info.width = data[dims + 1] * 16;
    return info;
}

std::span<const uint8_t> VideoPacket::colourData(uint8_t codec, std::span<const uint8_t> data) {
    if (codec != VideoCharacter::Vp6Alpha) return data;
    if (data.size() < 3) return {};
    const size_t offset = (size_t{data[0]} << 16) | (size_t{data[1]} << 8) | data[2];
    return data.subspan(3, std::min(offset, data.size() - 3));
}

VideoPacket::Info VideoPacket::inspect(uint8_t codec, std::span<const uint8_t> data, bool& valid) {
    valid = false;
    switch (codec) {
        case VideoCharacter::H263:
            return inspectH263(data, valid);
        case VideoCharacter::ScreenVideo:
            return inspectScreen(data, false, valid);
        case VideoCharacter::ScreenVideo2:
            return inspectScreen(data, true, valid);
        case VideoCharacter::Vp6:
            return inspectVp6(data, valid);
        case VideoCharacter::Vp6Alpha: {
            Info info = inspectVp6(colourData(codec, data), valid);
            valid = valid && data.size() >= 3;
            return info;
        }
        default:
            return {};
    }
}

std::span<const uint8_t> VideoPacket::payload(uint8_t codec, std::span<const uint8_t> data,
                                              int width, int height) {
    if ((codec != VideoCharacter::ScreenVideo && codec != VideoCharacter::ScreenVideo2) ||
        data.size() < 5 || (data[0] & 0x0f) != codec || (data[0] >> 4) < 1 || (data[0] >> 4) > 3)
        return data;
    bool valid = false;
    const Info atStart = inspect(codec, data, valid);
    if (valid && fits(codec, atStart, width, height)) return data;
    const Info afterByte = inspect(codec, data.subspan(1), valid);
    return valid && fits(codec, afterByte, width, height) ? data.subspan(1) : data;
}

std::optional<VideoCharacter::Frame> VideoPacket::frame(const VideoCharacter& stream,
                                                        std::span<const uint8_t> data) {
    data = payload(stream.codec(), data, stream.width(), stream.height());
    bool valid = false;
    const Info info = inspect(stream.codec(), data, valid);
    if (!valid) return std::nullopt;
    return VideoCharacter::Frame{std::vector<uint8_t>(data.begin(), data.end()), info.key};
}

bool VideoPacket::fits(uint8_t codec, const Info& info, int width, int height) {
    if (info.width == 0 && info.height == 0) return true;
    if (codec == VideoCharacter::Vp6 || codec == VideoCharacter::Vp6Alpha)
        return info.width == (width + 15) / 16 * 16 && info.height == (height + 15) / 16 * 16;
    return info.width == width && info.height == height;
}

}  // namespace swf
