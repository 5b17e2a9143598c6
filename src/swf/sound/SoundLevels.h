#pragma once
// How loud a sound plays and where its channels go: the volume and the four channel levels,
// in percent, as scripts set them (any 32-bit value).

#include <cstdint>

namespace swf {

struct SoundLevels {
    int32_t volume = 100;
    int32_t ll = 100;  // left input to left output
    int32_t lr = 0;    // left input to right output
    int32_t rl = 0;    // right input to left output
    int32_t rr = 100;  // right input to right output

    // A level as the player stores it: truncated, and NaN or anything out of 32-bit range
    // the smallest 32-bit integer.
    static int32_t truncated(double v);

    void setPan(int32_t pan);
    int32_t pan() const;
};

}  // namespace swf
