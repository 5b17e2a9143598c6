#pragma once
// MP3, Nellymoser and Speex through libavcodec. The data of one sound is fed in pieces (a
// stream's blocks continue one another); MP3 is cut into frames by Mp3Frames (a frame the
// decoder refuses is heard as silence of its length), Speex by SpeexFrames, Nellymoser into runs of its fixed-size blocks, so that the decoder
// never sees more than one bounded packet at a time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "swf/sound/PcmBuffer.h"
#include "swf/sound/SoundFormat.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace swf {

class Mp3Frames;

class CodecDecoder {
  public:
    explicit CodecDecoder(const SoundFormat& format);
    ~CodecDecoder();
    CodecDecoder(const CodecDecoder&) = delete;
    CodecDecoder& operator=(const CodecDecoder&) = delete;

    // Decodes the next piece into `out` (its rate and channels set by the first frame out),
    // stopping at `maxFrames`. False once the decoder failed; error() names why.
    bool feed(std::span<const uint8_t> data, size_t maxFrames, PcmBuffer& out);
    // What the decoder still holds once the data has ended.
    bool finish(size_t maxFrames, PcmBuffer& out);
    const std::string& error() const { return error_; }

  private:
    bool sendMp3Frames(bool end, size_t maxFrames, PcmBuffer& out);
    bool send(const uint8_t* data, size_t size, size_t maxFrames, PcmBuffer& out);
    // One packet through the decoder: 0, or libavcodec's error code.
    int decode(const uint8_t* data, size_t size, size_t maxFrames, PcmBuffer& out);
    int receive(size_t maxFrames, PcmBuffer& out);
    bool fail(const char* what, int code);

    SoundFormat format_;
    AVCodecContext* context_ = nullptr;
    std::unique_ptr<Mp3Frames> mp3_;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    std::string error_;
};

}  // namespace swf
