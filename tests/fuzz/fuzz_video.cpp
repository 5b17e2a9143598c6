// libFuzzer entry for embedded video: a stream of any codec and size goes through the engine's
// video decoder as a placed stream drives it: frame by frame, each picture converted, then
// back to a key frame and on to a frame in the middle. Every picture must have the stream's
// size. Only the decoder and what it reads frames with are built in, so that the target
// builds and runs fast.
//
// Input: codec (1 byte: H.263, Screen Video, VP6, VP6 with alpha, Screen Video 2), width and
// height (2 bytes each, 1 + value modulo kMaxWidth and kMaxHeight), the stream's deblocking
// and smoothing (1 byte), then up to kMaxFrames frames, each a 2-byte length, a flags byte
// and the frame's data. With flag bit 0 the frame gets a header written here that states the
// stream's size (the rest of the flags fill its fields), so that hand-made data of any size
// reaches the decoder; without it the data goes in as it is.
// Run with KINETROPE_FUZZ_VIDEO_SEEDS=DIR to write the seed inputs into DIR and exit: streams
// of several sizes written by libavcodec's encoders, and hand-made frames.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <span>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "FuzzSwf.h"
#include "swf/bitmap/Bitmap.h"
#include "swf/movie/VideoCharacter.h"
#include "swf/video/VideoDecoder.h"
#include "swf/video/VideoPacket.h"

namespace {

using namespace fuzzswf;

constexpr int kMaxWidth = 400;
constexpr int kMaxHeight = 300;
constexpr size_t kMaxFrames = 12;
constexpr uint8_t kCodecs[] = {2, 3, 4, 5, 6};
constexpr uint8_t kStamp = 1;

struct Stream {
    uint8_t codec = 2;
    int width = 1;
    int height = 1;
    uint8_t flags = 0;
};

unsigned le16(std::span<const uint8_t> data, size_t at) {
    return at + 1 < data.size() ? data[at] | data[at + 1] << 8 : 0;
}

// A VP6 frame's header stating the stream's size in macroblocks, then `data` after the two
// bytes that gave the header's first fields.
Bytes stampVp6(const Stream& s, std::span<const uint8_t> data) {
    const uint8_t mode = data.empty() ? 0 : data[0] & 0x7f;  // a key frame
    const uint8_t version = data.size() < 2 ? 0x46 : data[1];
    Bytes out = {mode, version};
    if ((mode & 1) != 0 || (version & 0x06) == 0) out.insert(out.end(), {0, 0});
    const auto rows = static_cast<uint8_t>((s.height + 15) / 16);
    const auto columns = static_cast<uint8_t>((s.width + 15) / 16);
    out.insert(out.end(), {rows, columns, rows, columns});
    if (data.size() > 2) out.insert(out.end(), data.begin() + 2, data.end());
    return out;
}

Bytes stamp(const Stream& s, uint8_t flags, std::span<const uint8_t> data) {
    Bytes out;
    BitSink bits(out);
    const uint8_t first = data.empty() ? 0 : data[0];
    switch (s.codec) {
        case 2: {  // H.263: start code, version, temporal reference, size, type, quantiser
            const bool small = s.width < 256 && s.height < 256;
            bits.put(1, 17);
            bits.put(flags >> 1 & 1, 5);
            bits.put(first, 8);
            bits.put(small ? 0 : 1, 3);
            bits.put(s.width, small ? 8 : 16);
            bits.put(s.height, small ? 8 : 16);
            bits.put((flags >> 2 & 3) % 3, 2);
            bits.put(flags >> 4 & 1, 1);
            bits.put(std::max(1, flags >> 3 & 31), 5);
            bits.put(0, 1);
            break;
        }
        case 3:
        case 6:  // Screen Video: block sizes, picture size, and version 2's flags
            bits.put(first >> 4, 4);
            bits.put(s.width, 12);
            bits.put(first & 15, 4);
            bits.put(s.height, 12);
            if (s.codec == 6) bits.put(flags >> 1, 8);
            break;
        case 4:
            return stampVp6(s, data);
        default: {  // VP6 with alpha: the colour and alpha frames each get a header
            const size_t half = data.size() / 2;
            const Bytes colour = stampVp6(s, data.first(half));
            const Bytes alpha = stampVp6(s, data.subspan(half));
            const auto size = static_cast<uint32_t>(colour.size());
            out = {static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 8),
                   static_cast<uint8_t>(size)};
            out.insert(out.end(), colour.begin(), colour.end());
            out.insert(out.end(), alpha.begin(), alpha.end());
            return out;
        }
    }
    if (!data.empty()) out.insert(out.end(), data.begin() + 1, data.end());
    return out;
}

struct Input {
    Stream stream;
    std::vector<Bytes> frames;
};

Input readInput(std::span<const uint8_t> data) {
    Input in;
    Stream& s = in.stream;
    if (data.size() >= 6) {
        s.codec = kCodecs[data[0] % std::size(kCodecs)];
        s.width = 1 + static_cast<int>(le16(data, 1) % kMaxWidth);
        s.height = 1 + static_cast<int>(le16(data, 3) % kMaxHeight);
        s.flags = data[5];
    }
    for (size_t at = 6; at + 3 <= data.size() && in.frames.size() < kMaxFrames;) {
        const size_t length = std::min<size_t>(le16(data, at), data.size() - at - 3);
        const uint8_t flags = data[at + 2];
        const auto body = data.subspan(at + 3, length);
        in.frames.push_back((flags & kStamp) ? stamp(s, flags, body)
                                             : Bytes(body.begin(), body.end()));
        at += 3 + length;
    }
    return in;
}

// Decodes from the key frame at or before `number` up to it, as a placed stream does after
// a seek, and checks the picture.
void show(swf::VideoDecoder& decoder, const swf::VideoCharacter& stream, uint16_t number,
          swf::Bitmap& picture) {
    const auto target = stream.frameAtOrBefore(number);
    if (target == stream.frames().end()) return;
    decoder.restart();
    for (auto next = stream.keyFrameAtOrBefore(number);; ++next) {
        const bool last = next == target;
        if (!decoder.decode(next->second.data, last ? &picture : nullptr) || last) break;
    }
    if (!picture.rgba.empty() &&
        picture.rgba.size() != static_cast<size_t>(stream.width()) * stream.height() * 4)
        __builtin_trap();
}

// The seed inputs: a stream header, then frames as the input lays them out.
struct Seed {
    Bytes bytes;
    Seed(uint8_t codecIndex, int width, int height, uint8_t flags) {
        bytes.push_back(codecIndex);
        putU16(bytes, static_cast<unsigned>(width - 1));
        putU16(bytes, static_cast<unsigned>(height - 1));
        bytes.push_back(flags);
    }
    void frame(uint8_t flags, std::span<const uint8_t> data) {
        putU16(bytes, static_cast<unsigned>(data.size()));
        bytes.push_back(flags);
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
};

// Frames of a moving gradient by libavcodec's encoder `name`; empty if it cannot.
std::vector<Bytes> encode(const char* name, int width, int height, int frames) {
    std::vector<Bytes> packets;
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!context) return packets;
    const bool yuv = codec->id == AV_CODEC_ID_FLV1;
    context->width = width;
    context->height = height;
    context->pix_fmt = yuv ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_BGR24;
    context->time_base = {1, 12};
    context->gop_size = 3;
    AVFrame* picture = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    if (picture && packet && avcodec_open2(context, codec, nullptr) >= 0) {
        picture->format = context->pix_fmt;
        picture->width = width;
        picture->height = height;
        if (av_frame_get_buffer(picture, 0) >= 0) {
            for (int f = 0; f <= frames; ++f) {
                if (f < frames && av_frame_make_writable(picture) >= 0) {
                    for (int plane = 0; plane < (yuv ? 3 : 1); ++plane) {
                        const int rows = plane ? (height + 1) / 2 : height;
                        for (int y = 0; y < rows; ++y)
                            for (int x = 0; x < picture->linesize[plane]; ++x)
                                picture->data[plane][y * picture->linesize[plane] + x] =
                                    static_cast<uint8_t>(x * 7 + y * 3 + f * 20 + plane * 60);
                    }
                    picture->pts = f;
                }
                avcodec_send_frame(context, f < frames ? picture : nullptr);
                while (avcodec_receive_packet(context, packet) == 0) {
                    packets.emplace_back(packet->data, packet->data + packet->size);
                    av_packet_unref(packet);
                }
            }
        }
    }
    av_packet_free(&packet);
    av_frame_free(&picture);
    avcodec_free_context(&context);
    return packets;
}

void writeSeeds(const std::string& folder) {
    std::vector<Bytes> seeds;
    struct Encoded {
        const char* encoder;
        uint8_t codecIndex;
    };
    static constexpr Encoded kEncoded[] = {{"flv", 0}, {"flashsv", 1}, {"flashsv2", 4}};
    static constexpr int kSizes[][2] = {{8, 8},   {9, 7},   {15, 13},   {17, 33},
                                        {31, 31}, {64, 48}, {248, 248}, {400, 300}};
    for (const Encoded& e : kEncoded)
        for (const auto& size : kSizes) {
            Seed seed(e.codecIndex, size[0], size[1], 0);
            for (const Bytes& packet : encode(e.encoder, size[0], size[1], 4)) seed.frame(0, packet);
            seeds.push_back(seed.bytes);
        }
    // Hand-made frames: headers of the stream's size over patterned data, for every codec.
    for (uint8_t codecIndex = 0; codecIndex < std::size(kCodecs); ++codecIndex)
        for (const auto& size : {kSizes[0], kSizes[2], kSizes[5]}) {
            Seed seed(codecIndex, size[0], size[1], 0);
            Bytes data(200);
            for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);
            data[0] = 0x00;  // VP6: a key frame, quantiser 0
            data[1] = 0x46;  // VP6: version 8, simple profile
            seed.frame(kStamp | 0x18, data);
            seed.frame(kStamp | 0x1c, data);
            seeds.push_back(seed.bytes);
        }
    for (size_t i = 0; i < seeds.size(); ++i)
        std::ofstream(folder + "/video-" + std::to_string(i), std::ios::binary)
            .write(reinterpret_cast<const char*>(seeds[i].data()),
                   static_cast<std::streamsize>(seeds[i].size()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The decoders' complaints about broken frames would drown libFuzzer's own lines.
    av_log_set_level(AV_LOG_FATAL);
    if (const char* folder = std::getenv("KINETROPE_FUZZ_VIDEO_SEEDS")) {
        writeSeeds(folder);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Input in = readInput(std::span<const uint8_t>(data, size));
    const Stream& s = in.stream;
    const auto count = static_cast<uint16_t>(in.frames.size());
    swf::VideoCharacter stream(1, count, static_cast<uint16_t>(s.width),
                               static_cast<uint16_t>(s.height), s.flags >> 1 & 7, s.flags & 1,
                               s.codec);
    // As the parser takes a stream's frames: each checked by the video layer first.
    for (uint16_t f = 0; f < count; ++f)
        if (auto frame = swf::VideoPacket::frame(stream, in.frames[f]))
            stream.addFrame(f, std::move(*frame));
    swf::VideoDecoder decoder(stream);
    swf::Bitmap picture;
    // In order, each frame converted; then a seek back and one into the middle.
    for (const auto& [number, frame] : stream.frames())
        if (!decoder.decode(frame.data, &picture)) break;
    show(decoder, stream, 0, picture);
    show(decoder, stream, static_cast<uint16_t>(count / 2), picture);
    return 0;
}
