#pragma once
// The pictures of an FLV file (progressive video a NetStream plays): its video tags as the
// frames of one stream, in file order, each with the time it is shown at. The stream's size
// is the one its first sized frame header states; tags of another codec than the first are
// left out, as are AVC and command frames.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "swf/character/VideoCharacter.h"

namespace swf {

class FlvVideo {
  public:
    static constexpr size_t kMaxFrames = 65535;

    // Null when the file is no FLV or holds no picture a decoder here knows.
    static std::shared_ptr<const FlvVideo> read(std::span<const uint8_t> file);

    const std::shared_ptr<const VideoCharacter>& stream() const { return stream_; }
    // The frame shown `ms` into the stream: the last whose time has come (the first before
    // any has).
    uint16_t frameAt(double ms) const;

  private:
    std::shared_ptr<const VideoCharacter> stream_;
    std::vector<uint32_t> timesMs_;
};

}  // namespace swf
