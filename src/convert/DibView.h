#pragma once
// The rows of a device-independent bitmap, from the top of the picture down, whichever
// way they are stored. Only headers whose rows all lie inside the given pixels make a view.

#include <cstdint>
#include <optional>
#include <span>

#include "convert/BitmapInfoHeader.h"

namespace convert {

class DibView {
  public:
    // A view of 24- or 32-bit rows, or nothing when the header does not fit the pixels.
    static std::optional<DibView> Make(const BitmapInfoHeader& header,
                                       std::span<const uint8_t> pixels);

    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    uint16_t bitsPerPixel() const { return bitsPerPixel_; }
    // A row's pixels without the padding.
    size_t rowBytes() const { return static_cast<size_t>(width_) * (bitsPerPixel_ / 8); }
    // Row `y`, counted from the top of the picture.
    const uint8_t* row(uint32_t y) const;

  private:
    DibView() = default;

    const uint8_t* pixels_ = nullptr;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint16_t bitsPerPixel_ = 0;
    size_t stride_ = 0;
    bool bottomUp_ = true;
};

}  // namespace convert
