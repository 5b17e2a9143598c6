#pragma once
// One video stream's decoder: H.263, Screen Video 1 and 2, VP6 and VP6 with alpha through
// libavcodec, the pictures turned into premultiplied RGBA by libswscale. Only pictures of
// the stream's declared size come out; a decoder error ends the stream (error() says why),
// never the movie. The decoders alive at once hold at most kMaxHeldBytes between them.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "swf/bitmap/Bitmap.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace swf {

class VideoCharacter;

class VideoDecoder {
  public:
    // Streams larger than this on either side are refused.
    static constexpr int kMaxSide = 4096;
    static constexpr size_t kMaxHeldBytes = size_t{1} << 30;

    explicit VideoDecoder(const VideoCharacter& stream);
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // Forgets the pictures later frames refer to, before decoding again from a key frame.
    void restart();
    // Decodes one frame. With `picture`, its result replaces the picture (width * height
    // premultiplied RGBA) and true comes back; a frame that makes no picture, or one of
    // another size, leaves it as it was. False once the decoder has failed.
    bool decode(std::span<const uint8_t> data, Bitmap* picture);
    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }

  private:
    bool fail(const char* what, int code);
    bool outOfMemory();
    // Turns `source`, the decoded picture or its smoothed copy, into `picture`.
    bool convert(const AVFrame& source, Bitmap& picture);
    // The decoded picture's copy with its block edges smoothed (in `smoothed_`: the decoder
    // keeps its own picture as a reference); null when out of memory.
    const AVFrame* smoothBlockEdges(int quantizer);

    uint8_t codec_;
    uint8_t deblocking_;  // as DefineVideoStream sets it: 0 as each frame asks, 1 off, more on
    int width_;
    int height_;
    size_t heldBytes_ = 0;
    AVCodecContext* context_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVFrame* rgba_ = nullptr;  // the converted picture, in FFmpeg's layout
    SwsContext* scaler_ = nullptr;
    AVFrame* smoothed_ = nullptr;  // a copy: the decoder keeps its own picture as a reference
    std::string error_;
};

}  // namespace swf
