#pragma once
// The memory bitmap every picture of the movie passes through: bottom-up rows of blue,
// green, red (and alpha at 32 bits), each padded to a multiple of 4 bytes. The writers
// read it in place through header() and pixels().

#include <cstdint>
#include <memory>
#include <span>

#include "convert/BitmapInfoHeader.h"

namespace convert {

class FrameBuffer {
  public:
    // The largest width or height; a frame this size at 32 bits takes 1 GiB.
    static constexpr int32_t kMaxSide = 16384;

    FrameBuffer() = default;
    FrameBuffer(const FrameBuffer&) = delete;
    FrameBuffer& operator=(const FrameBuffer&) = delete;

    // Makes a zeroed bitmap of this size and depth (24 or 32), unless the buffer already
    // has exactly this size and depth: then it stays as it is, pixels included. Returns
    // whether a bitmap exists afterwards.
    bool Create(int32_t width, int32_t height, uint16_t bitsPerPixel);
    // Frees the pixels and zeroes the header.
    void Release();

    bool empty() const { return !bits_; }
    const BitmapInfoHeader& header() const { return header_; }
    uint8_t* bits() { return bits_.get(); }
    std::span<const uint8_t> pixels() const { return {bits_.get(), size_}; }
    size_t stride() const {
        return DibStride(static_cast<uint32_t>(header_.width), header_.bitCount);
    }
    // Row `y` counted from the top of the picture (the rows are stored bottom-up).
    uint8_t* row(int32_t y);

  private:
    BitmapInfoHeader header_;
    std::unique_ptr<uint8_t[]> bits_;
    size_t size_ = 0;
};

}  // namespace convert
