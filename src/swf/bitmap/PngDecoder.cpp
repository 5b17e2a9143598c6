// PNG decoding with libpng's simplified reader, which reports errors by return value.
#include <png.h>

#include "swf/bitmap/ImageDecoder.h"

namespace swf {

std::optional<Bitmap> DecodePng(std::span<const uint8_t> data, long long maxPixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) return std::nullopt;
    if (!BitmapSizeAllowed(image.width, image.height, maxPixels)) {
        png_image_free(&image);
        return std::nullopt;
    }
    image.format = PNG_FORMAT_RGBA;
    Bitmap bitmap = MakeBitmap(static_cast<int>(image.width), static_cast<int>(image.height));
    if (!png_image_finish_read(&image, nullptr, bitmap.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    Premultiply(bitmap);
    return bitmap;
}

}  // namespace swf
