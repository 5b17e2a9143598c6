#include "swf/bitmap/ImageDecoder.h"

#include <zlib.h>

#include <algorithm>
#include <array>

namespace swf {

bool BitmapSizeAllowed(long long width, long long height, long long maxPixels) {
    return width > 0 && height > 0 && width <= kMaxBitmapSide && height <= kMaxBitmapSide &&
           width * height <= std::min(maxPixels, kMaxBitmapPixels);
}

Bitmap MakeBitmap(int width, int height) {
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    return bitmap;
}

void ClampToAlpha(Bitmap& bitmap) {
    for (size_t i = 0; i + 3 < bitmap.rgba.size(); i += 4) {
        uint8_t alpha = bitmap.rgba[i + 3];
        for (size_t c = 0; c < 3; ++c) bitmap.rgba[i + c] = std::min(bitmap.rgba[i + c], alpha);
    }
}

void Premultiply(Bitmap& bitmap) {
    for (size_t i = 0; i + 3 < bitmap.rgba.size(); i += 4) {
        unsigned alpha = bitmap.rgba[i + 3];
        if (alpha == 255) continue;
        for (size_t c = 0; c < 3; ++c)
            bitmap.rgba[i + c] = static_cast<uint8_t>(bitmap.rgba[i + c] * alpha / 255);
    }
}

ImageFormat SniffImageFormat(std::span<const uint8_t> data) {
    static constexpr std::array<uint8_t, 8> kPng = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (data.size() >= kPng.size() && std::equal(kPng.begin(), kPng.end(), data.begin()))
        return ImageFormat::Png;
    if (data.size() >= 6 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F' && data[3] == '8' &&
        (data[4] == '7' || data[4] == '9') && data[5] == 'a')
        return ImageFormat::Gif;
    return ImageFormat::Jpeg;
}

std::optional<Bitmap> DecodeEmbeddedImage(std::span<const uint8_t> data, long long maxPixels) {
    switch (SniffImageFormat(data)) {
        case ImageFormat::Png:
            return DecodePng(data, maxPixels);
        case ImageFormat::Gif:
            return DecodeGif(data, maxPixels);
        case ImageFormat::Jpeg:
            break;
    }
    return DecodeJpeg({}, data, maxPixels);
}

std::vector<uint8_t> InflateBounded(std::span<const uint8_t> data, size_t limit) {
    std::vector<uint8_t> out(limit);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return {};
    size_t produced = 0;
    size_t consumed = 0;
    // zlib counts in uInt; feed and drain in chunks so huge spans stay correct.
    constexpr size_t kChunk = 1u << 30;
    int status = Z_OK;
    while (status == Z_OK && produced < limit) {
        if (stream.avail_in == 0) {
            size_t n = std::min(kChunk, data.size() - consumed);
            if (n == 0) break;
            stream.next_in = const_cast<Bytef*>(data.data() + consumed);
            stream.avail_in = static_cast<uInt>(n);
            consumed += n;
        }
        size_t room = std::min(kChunk, limit - produced);
        stream.next_out = out.data() + produced;
        stream.avail_out = static_cast<uInt>(room);
        status = inflate(&stream, Z_NO_FLUSH);
        produced += room - stream.avail_out;
        if (status == Z_BUF_ERROR && stream.avail_in == 0 && consumed < data.size()) status = Z_OK;
    }
    inflateEnd(&stream);
    out.resize(produced);
    return out;
}

}  // namespace swf
