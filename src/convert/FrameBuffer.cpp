#include "convert/FrameBuffer.h"

#include <new>

namespace convert {

bool FrameBuffer::Create(int32_t width, int32_t height, uint16_t bitsPerPixel) {
    if (bits_ && header_.width == width && header_.height == height &&
        header_.bitCount == bitsPerPixel)
        return true;
    Release();
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        (bitsPerPixel != 24 && bitsPerPixel != 32))
        return false;
    const size_t size =
        DibStride(static_cast<uint32_t>(width), bitsPerPixel) * static_cast<size_t>(height);
    bits_.reset(new (std::nothrow) uint8_t[size]());
    if (!bits_) return false;
    size_ = size;
    header_.size = kBitmapInfoHeaderSize;
    header_.width = width;
    header_.height = height;
    header_.planes = 1;
    header_.bitCount = bitsPerPixel;
    return true;
}

void FrameBuffer::Release() {
    bits_.reset();
    size_ = 0;
    header_ = BitmapInfoHeader{};
}

uint8_t* FrameBuffer::row(int32_t y) {
    return bits_.get() + static_cast<size_t>(header_.height - 1 - y) * stride();
}

}  // namespace convert
