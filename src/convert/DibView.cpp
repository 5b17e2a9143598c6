#include "convert/DibView.h"

namespace convert {

std::optional<DibView> DibView::Make(const BitmapInfoHeader& header,
                                     std::span<const uint8_t> pixels) {
    if (header.width <= 0 || header.height == 0 || header.height == INT32_MIN ||
        (header.bitCount != 24 && header.bitCount != 32))
        return std::nullopt;
    DibView view;
    view.pixels_ = pixels.data();
    view.width_ = static_cast<uint32_t>(header.width);
    view.bottomUp_ = header.height > 0;
    view.height_ = static_cast<uint32_t>(view.bottomUp_ ? header.height : -header.height);
    view.bitsPerPixel_ = header.bitCount;
    view.stride_ = DibStride(view.width_, view.bitsPerPixel_);
    if (view.height_ > pixels.size() / view.stride_) return std::nullopt;
    return view;
}

const uint8_t* DibView::row(uint32_t y) const {
    const uint32_t stored = bottomUp_ ? height_ - 1 - y : y;
    return pixels_ + static_cast<size_t>(stored) * stride_;
}

}  // namespace convert
