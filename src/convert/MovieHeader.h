#pragma once
// What the program needs to know of a movie before it plays it: the frame size in pixels,
// the frame count and the frame rate.

#include <cstdint>

namespace convert {

struct MovieHeader {
    int32_t width = 0;       // pixels, rounded
    int32_t height = 0;      // pixels, rounded
    int32_t frameCount = 0;  // 0 to 65535
    double frameRate = 0;    // frames per second, the exact 8.8 fixed-point value
};

}  // namespace convert
