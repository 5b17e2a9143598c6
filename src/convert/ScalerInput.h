#pragma once
// A frame buffer's rows copied into a picture laid out as FFmpeg allocates one (aligned rows
// with padding after each and after the last), for libswscale, which reads whole vectors past
// the end of a row. Blue, green, red (and alpha), top row first; a coded size larger than the
// frame's repeats its last column and row.

#include <cstddef>
#include <cstdint>

struct AVFrame;

namespace convert {

class ScalerInput {
  public:
    ScalerInput() = default;
    ~ScalerInput();
    ScalerInput(const ScalerInput&) = delete;
    ScalerInput& operator=(const ScalerInput&) = delete;

    // Allocates the picture, unless it has that layout already: `bytesPerPixel` 3 or 4.
    // False when out of memory.
    bool Allocate(int codedWidth, int codedHeight, int bytesPerPixel);
    // Copies `width` by `height` pixels (at most the coded size) from bottom-up rows `stride`
    // bytes apart, `top` being the top row.
    void Fill(const uint8_t* top, size_t stride, int width, int height);

    const uint8_t* const* Planes() const;
    const int* LineSizes() const;

  private:
    AVFrame* frame_ = nullptr;
    int bytesPerPixel_ = 3;
};

}  // namespace convert
