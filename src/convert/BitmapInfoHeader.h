#pragma once
// The 40-byte header of a device-independent bitmap (a BITMAPINFOHEADER), field for field,
// and the row length that goes with it: rows are padded to a multiple of 4 bytes.

#include <cstddef>
#include <cstdint>

namespace convert {

struct BitmapInfoHeader {
    uint32_t size = 0;  // 40 once filled in
    int32_t width = 0;
    int32_t height = 0;  // positive: rows stored bottom-up; negative: top-down
    uint16_t planes = 0;
    uint16_t bitCount = 0;  // bits per pixel: 24 (blue, green, red) or 32 (and alpha)
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

inline constexpr uint32_t kBitmapInfoHeaderSize = 40;

// Bytes from one row to the next.
constexpr size_t DibStride(uint32_t width, uint16_t bitsPerPixel) {
    return (static_cast<size_t>(width) * (bitsPerPixel / 8) + 3) / 4 * 4;
}

}  // namespace convert
