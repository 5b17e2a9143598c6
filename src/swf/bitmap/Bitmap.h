#pragma once
// A decoded bitmap: rows top-down, premultiplied RGBA, 8 bits per channel.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf {

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width * height * 4, premultiplied

    const uint8_t* pixel(int x, int y) const {
        return &rgba[(static_cast<size_t>(y) * width + x) * 4];
    }
};

}  // namespace swf
