#include "swf/bitmap/ImageDecoder.h"

namespace swf {
namespace {

size_t paddedRow(size_t bytes) {
    return (bytes + 3) & ~static_cast<size_t>(3);
}

void decodeColorMapped(Bitmap& bitmap, std::span<const uint8_t> palette, size_t entrySize,
                       std::span<const uint8_t> indices) {
    const size_t stride = paddedRow(static_cast<size_t>(bitmap.width));
    const size_t entries = palette.size() / entrySize;
    uint8_t* out = bitmap.rgba.data();
    for (int y = 0; y < bitmap.height; ++y) {
        const uint8_t* row = indices.data() + y * stride;
        for (int x = 0; x < bitmap.width; ++x, out += 4) {
            size_t index = row[x];
            if (index >= entries) continue;  // outside the table: transparent
            const uint8_t* entry = palette.data() + index * entrySize;
            out[0] = entry[0];
            out[1] = entry[1];
            out[2] = entry[2];
            out[3] = entrySize == 4 ? entry[3] : 255;
        }
    }
}

void decodeRgb15(Bitmap& bitmap, std::span<const uint8_t> pixels) {
    const size_t stride = paddedRow(static_cast<size_t>(bitmap.width) * 2);
    uint8_t* out = bitmap.rgba.data();
    auto expand = [](unsigned five) { return static_cast<uint8_t>((five << 3) | (five >> 2)); };
    for (int y = 0; y < bitmap.height; ++y) {
        const uint8_t* row = pixels.data() + y * stride;
        for (int x = 0; x < bitmap.width; ++x, out += 4) {
            unsigned v =
                (static_cast<unsigned>(row[x * 2]) << 8) | row[x * 2 + 1];  // big-endian bit fields
            out[0] = expand((v >> 10) & 0x1F);
            out[1] = expand((v >> 5) & 0x1F);
            out[2] = expand(v & 0x1F);
            out[3] = 255;
        }
    }
}

void decodeArgb(Bitmap& bitmap, std::span<const uint8_t> pixels, bool withAlpha) {
    uint8_t* out = bitmap.rgba.data();
    for (size_t i = 0; i < static_cast<size_t>(bitmap.width) * bitmap.height; ++i, out += 4) {
        const uint8_t* in = pixels.data() + i * 4;
        out[0] = in[1];
        out[1] = in[2];
        out[2] = in[3];
        out[3] = withAlpha ? in[0] : 255;  // Lossless 1 leaves the first byte unused
    }
}

}  // namespace

std::optional<Bitmap> DecodeLossless(int format, int width, int height, int colorTableSize,
                                     std::span<const uint8_t> compressed, bool withAlpha,
                                     long long maxPixels) {
    if (!BitmapSizeAllowed(width, height, maxPixels)) return std::nullopt;
    const size_t w = static_cast<size_t>(width);
    const size_t h = static_cast<size_t>(height);
    const size_t entrySize = withAlpha ? 4 : 3;
    size_t prefix = 0;
    size_t needed = 0;
    switch (format) {
        case 3:
            prefix = static_cast<size_t>(colorTableSize) * entrySize;
            needed = prefix + paddedRow(w) * h;
            break;
        case 4:
            needed = paddedRow(w * 2) * h;
            break;
        case 5:
            needed = w * 4 * h;
            break;
        default:
            return std::nullopt;
    }
    std::vector<uint8_t> data = InflateBounded(compressed, needed);
    if (data.size() != needed) return std::nullopt;

    Bitmap bitmap = MakeBitmap(width, height);
    std::span<const uint8_t> all(data);
    switch (format) {
        case 3:
            decodeColorMapped(bitmap, all.first(prefix), entrySize, all.subspan(prefix));
            break;
        case 4:
            decodeRgb15(bitmap, all);
            break;
        default:
            decodeArgb(bitmap, all, withAlpha);
            break;
    }
    // Premultiplied data can still carry colours above their alpha; keep it well-formed.
    if (withAlpha) ClampToAlpha(bitmap);
    return bitmap;
}

}  // namespace swf
