#pragma once
// What the engine reads itself from one VideoFrame's data before a decoder sees it: whether
// the frame is a key frame (decodable alone, where seeking starts) and the picture size its
// header states, so that a frame of another size than the stream's is never decoded.

#include <cstdint>
#include <optional>
#include <span>

#include "swf/movie/VideoCharacter.h"

namespace swf {

class VideoPacket {
  public:
    // `width` and `height` are 0 where the header does not state them (inter frames of VP6).
    // VP6 states its size in whole 16-pixel macroblocks.
    struct Info {
        bool key = false;
        int width = 0;
        int height = 0;
        // H.263: whether the picture asks for its block edges to be smoothed, and its
        // quantizer, which sets how much.
        bool deblock = false;
        int quantizer = 0;
    };

    // `valid` is false for data too short to hold the codec's header.
    static Info inspect(uint8_t codec, std::span<const uint8_t> data, bool& valid);
    // Whether a header's size fits a stream declared `width` by `height`.
    static bool fits(uint8_t codec, const Info& info, int width, int height);
    // The codec's own packet in a VideoFrame's data. FFmpeg's muxer puts the byte of an FLV
    // video tag (frame type, codec) before each Screen Video packet: it is passed over when
    // the header after it, and not the one at the start, fits the stream's size.
    static std::span<const uint8_t> payload(uint8_t codec, std::span<const uint8_t> data, int width,
                                            int height);
    // A VideoFrame's data as `stream` keeps it: its codec's packet, and whether it is a key
    // frame. Nothing when it holds no packet of the codec, or the codec is one no decoder knows.
    static std::optional<VideoCharacter::Frame> frame(const VideoCharacter& stream,
                                                      std::span<const uint8_t> data);
    // The data VP6 with alpha carries its colour picture in, after its 3-byte alpha offset;
    // the whole data for the other codecs.
    static std::span<const uint8_t> colourData(uint8_t codec, std::span<const uint8_t> data);

  private:
    static Info inspectH263(std::span<const uint8_t> data, bool& valid);
    static Info inspectScreen(std::span<const uint8_t> data, bool version2, bool& valid);
    static Info inspectVp6(std::span<const uint8_t> data, bool& valid);
};

}  // namespace swf
