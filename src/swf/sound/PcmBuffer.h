#pragma once
// Decoded sound: 16-bit samples, channels interleaved.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf {

struct PcmBuffer {
    uint32_t rate = 0;
    int channels = 1;
    std::vector<int16_t> samples;

    size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

}  // namespace swf
