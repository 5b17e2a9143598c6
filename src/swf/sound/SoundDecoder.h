#pragma once
// Turns a sound's encoded data into 16-bit samples, whatever its codec: the uncompressed
// formats and ADPCM here, the others through libavcodec. One decoder serves one sound; a
// stream's blocks are fed one after another. The result never holds more than the frame
// limit it was made with.

#include <cstddef>
#include <memory>
#include <span>
#include <string>

#include "swf/sound/PcmBuffer.h"
#include "swf/sound/SoundFormat.h"

namespace swf {

class CodecDecoder;

class SoundDecoder {
  public:
    SoundDecoder(const SoundFormat& format, size_t maxFrames);
    ~SoundDecoder();
    SoundDecoder(const SoundDecoder&) = delete;
    SoundDecoder& operator=(const SoundDecoder&) = delete;

    // Decodes the next piece: an event sound's whole data, or one stream block's sound.
    // False once decoding failed (error() says why); what was decoded before stays.
    bool feed(std::span<const uint8_t> data);
    // Ends the data: what a codec still holds comes out.
    bool finish();
    // The samples so far, at the sound's rate and channels.
    PcmBuffer& pcm() { return pcm_; }
    const std::string& error() const { return error_; }

  private:
    SoundFormat format_;
    size_t maxFrames_;
    PcmBuffer pcm_;
    std::unique_ptr<CodecDecoder> codec_;
    std::string error_;
};

}  // namespace swf
