#pragma once
// Frame buffer rows (blue, green, red and, at 32 bits, an alpha that is left out) to 8-bit
// YUV 4:2:0 planes with the BT.601 coefficients, in the encoders' studio range or JPEG's
// full range. Each chroma sample is the mean of its 2 x 2 pixels (the chroma sits between
// them, as swscale also places it). This is the conversion the encoders nearly always need,
// done in one pass at a fraction of what swscale's accurate filters take per frame.

#include <cstddef>
#include <cstdint>

namespace convert {

enum class YuvRange { Studio, Full };  // luma 16 to 235, or 0 to 255

struct Yuv420Planes {
    uint8_t* const* data;  // Y, U, V
    const int* linesize;
    int width;   // of the luma plane; may exceed the picture's: the last column is repeated
    int height;  // likewise, the last row repeated
};

// `top` is the picture's top row and `rowStep` the bytes from one row to the one below it
// (negative for the bottom-up rows of a frame buffer). `bytesPerPixel` is 3 or 4.
void ConvertToYuv420(const uint8_t* top, ptrdiff_t rowStep, int width, int height,
                     int bytesPerPixel, YuvRange range, const Yuv420Planes& planes);

}  // namespace convert
