#pragma once
// A caller's pixel buffer for Player::Draw: blue-green-red(-alpha) rows.

#include <cstddef>
#include <cstdint>

namespace swf {

struct DrawTarget {
    uint8_t* pixels = nullptr;
    size_t stride = 0;      // bytes from one row to the next
    int bitsPerPixel = 24;  // 24: blue, green, red; 32: blue, green, red, alpha
    bool bottomUp = true;   // rows from the bottom of the picture up, as a DIB stores them
};

}  // namespace swf
