#pragma once
// The movie format's own ADPCM: a 2-bit code size (2 to 5 bits a sample), then packets of
// 4096 sample frames, each opening with every channel's first sample in full and its step
// index. Written here rather than through libavcodec's adpcm_swf, which takes the code size
// from the start of every packet it is given and so needs each block whole; here an event
// sound and a stream block decode the same way, bounded by the caller's limit.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace swf {

class AdpcmDecoder {
  public:
    // Appends the sample frames of one ADPCM unit (an event sound's data or one stream
    // block), interleaved, at most `maxFrames` of them.
    static void decode(std::span<const uint8_t> data, int channels, size_t maxFrames,
                       std::vector<int16_t>& out);
};

}  // namespace swf
