#pragma once
// Speex as movies store it: frames one after another, each normally padded to a whole byte
// as the Speex library ends a packet (a zero bit, then ones), though frames may also follow
// each other bit to bit. The decoder takes one frame a packet, so the data is cut at the
// frames' ends, which their mode fields give (a narrowband part, then an optional wideband
// layer), and each frame is copied to a packet of its own, padded the same way.

#include <cstdint>
#include <span>
#include <vector>

namespace swf {

class SpeexFrames {
  public:
    // The frames up to the end of the data, a terminator, or anything that is not a frame.
    static std::vector<std::vector<uint8_t>> split(std::span<const uint8_t> data);
};

}  // namespace swf
