#pragma once
// The pictures of an FLV file (progressive video a NetStream plays): its video tags as the
// frames of one stream, in file order, each with the time it is shown at. The stream's size
// is the one its first sized frame header states; tags of another codec than the first are
// left out, as are AVC and command frames. Its sound, when it is MP3, Nellymoser or plain
// samples, is one sound for the mixer.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "swf/movie/SoundCharacter.h"
#include "swf/movie/VideoCharacter.h"

namespace swf {

class FlvVideo {
  public:
    static constexpr size_t kMaxFrames = 65535;

    // Null when the file is no FLV or holds no picture a decoder here knows.
    static std::shared_ptr<const FlvVideo> read(std::span<const uint8_t> file);
    // The audio tags' data of the first tag's format, joined; null without sound of a format
    // whose packets follow one another as they are (ADPCM's and AAC's do not).
    static std::shared_ptr<const SoundCharacter> readSound(std::span<const uint8_t> file);

    const std::shared_ptr<const VideoCharacter>& stream() const { return stream_; }
    // The frame shown `ms` into the stream: the last whose time has come (the first before
    // any has).
    uint16_t frameAt(double ms) const;

  private:
    std::shared_ptr<const VideoCharacter> stream_;
    std::vector<uint32_t> timesMs_;
};

}  // namespace swf
