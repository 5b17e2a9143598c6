#include "convert/TgaWriter.h"

#include <cstdio>
#include <optional>

#include "audio/LittleEndian.h"
#include "convert/DibView.h"
#include "convert/OutputFile.h"

namespace convert {
namespace {

constexpr size_t kTgaHeaderSize = 18;
constexpr uint8_t kTrueColourImage = 2;
constexpr uint8_t kTopLeftOrigin = 0x20;
constexpr uint8_t kEightAlphaBits = 0x08;
constexpr uint32_t kMaxTgaSide = 0xFFFF;

}  // namespace

int WriteTgaFile(const std::string& path, const BitmapInfoHeader& header,
                 std::span<const uint8_t> pixels, bool alpha) {
    const std::optional<DibView> image = DibView::Make(header, pixels);
    if (!image || image->width() > kMaxTgaSide || image->height() > kMaxTgaSide) return 0;
    const bool writesAlpha = alpha && image->bitsPerPixel() == 32;

    uint8_t tga[kTgaHeaderSize] = {};
    tga[2] = kTrueColourImage;
    audio::StoreLe16(tga + 12, static_cast<uint16_t>(image->width()));
    audio::StoreLe16(tga + 14, static_cast<uint16_t>(image->height()));
    tga[16] = static_cast<uint8_t>(image->bitsPerPixel());
    tga[17] = writesAlpha ? (kTopLeftOrigin | kEightAlphaBits) : kTopLeftOrigin;

    OutputFile file(path);
    if (!file.Open()) {
        std::fputs("Create tga file failed\n", stderr);
        return 0;
    }
    if (!file.Write(tga, sizeof tga)) return 0;
    for (uint32_t y = 0; y < image->height(); ++y)
        if (!file.Write(image->row(y), image->rowBytes())) return 0;
    return file.Commit() ? 1 : 0;
}

}  // namespace convert
