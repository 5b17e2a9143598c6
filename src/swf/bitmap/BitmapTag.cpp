#include "swf/bitmap/BitmapTag.h"

#include <algorithm>

#include "swf/bitmap/ImageDecoder.h"
#include "swf/format/BitReader.h"
#include "swf/format/TagCode.h"

namespace swf {
namespace {

// Applies a JPEG's separate alpha plane. The colours of such images are stored
// premultiplied; they are clamped to the alpha as the original player does. A missing or
// short plane leaves the image opaque.
void applyAlphaPlane(Bitmap& bitmap, std::span<const uint8_t> compressed) {
    if (compressed.empty()) return;
    const size_t pixels = static_cast<size_t>(bitmap.width) * bitmap.height;
    std::vector<uint8_t> alpha = InflateBounded(compressed, pixels);
    if (alpha.size() != pixels) return;
    for (size_t i = 0; i < pixels; ++i) bitmap.rgba[i * 4 + 3] = alpha[i];
    ClampToAlpha(bitmap);
}

std::optional<Bitmap> decodeJpegWithAlpha(std::span<const uint8_t> rest, uint32_t alphaOffset,
                                          long long maxPixels) {
    if (alphaOffset > rest.size()) return std::nullopt;
    std::span<const uint8_t> image = rest.first(alphaOffset);
    std::optional<Bitmap> bitmap = DecodeEmbeddedImage(image, maxPixels);
    // PNG and GIF data carry their own transparency; the alpha plane is for JPEG only.
    if (bitmap && SniffImageFormat(image) == ImageFormat::Jpeg)
        applyAlphaPlane(*bitmap, rest.subspan(alphaOffset));
    return bitmap;
}

}  // namespace

bool IsBitmapTag(uint16_t tagCode) {
    switch (static_cast<TagCode>(tagCode)) {
        case TagCode::DefineBits:
        case TagCode::DefineBitsLossless:
        case TagCode::DefineBitsJpeg2:
        case TagCode::DefineBitsJpeg3:
        case TagCode::DefineBitsLossless2:
        case TagCode::DefineBitsJpeg4:
            return true;
        default:
            return false;
    }
}

std::shared_ptr<BitmapCharacter> ParseBitmapTag(uint16_t tagCode, std::span<const uint8_t> body,
                                                std::span<const uint8_t> jpegTables,
                                                size_t maxDecodedBytes) {
    const auto code = static_cast<TagCode>(tagCode);
    const auto maxPixels =
        static_cast<long long>(std::min<size_t>(maxDecodedBytes / 4, kMaxBitmapPixels));
    BitReader reader(body);
    const uint16_t id = reader.u16();
    if (reader.overrun()) return nullptr;
    std::optional<Bitmap> bitmap;
    double deblocking = 0;
    switch (code) {
        case TagCode::DefineBits:
            bitmap = DecodeJpeg(jpegTables, body.subspan(reader.position()), maxPixels);
            break;
        case TagCode::DefineBitsJpeg2:
            bitmap = DecodeEmbeddedImage(body.subspan(reader.position()), maxPixels);
            break;
        case TagCode::DefineBitsJpeg3:
        case TagCode::DefineBitsJpeg4: {
            const uint32_t alphaOffset = reader.u32();
            if (code == TagCode::DefineBitsJpeg4) deblocking = reader.fixed8();
            if (reader.overrun()) return nullptr;
            bitmap = decodeJpegWithAlpha(body.subspan(reader.position()), alphaOffset, maxPixels);
            break;
        }
        case TagCode::DefineBitsLossless:
        case TagCode::DefineBitsLossless2: {
            const uint8_t format = reader.u8();
            const uint16_t width = reader.u16();
            const uint16_t height = reader.u16();
            const int colorTableSize = format == 3 ? reader.u8() + 1 : 0;
            if (reader.overrun()) return nullptr;
            bitmap = DecodeLossless(format, width, height, colorTableSize,
                                    body.subspan(reader.position()),
                                    code == TagCode::DefineBitsLossless2, maxPixels);
            break;
        }
        default:
            return nullptr;
    }
    if (!bitmap) return nullptr;
    return std::make_shared<BitmapCharacter>(id, std::move(*bitmap), deblocking);
}

}  // namespace swf
