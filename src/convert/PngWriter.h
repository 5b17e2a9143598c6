#pragma once
// Writes one frame as a PNG file through libpng.

#include <cstdint>
#include <span>
#include <string>

#include "convert/BitmapInfoHeader.h"

namespace convert {

// `header` and `pixels` describe 24- or 32-bit rows (bottom-up for a positive height,
// top-down for a negative one). With `alpha` a 32-bit frame is written as RGB with alpha,
// otherwise as RGB. Returns 1 written, 0 failed; a failed write leaves no file behind and
// an existing file of that name as it was.
int WritePngFile(const std::string& path, const BitmapInfoHeader& header,
                 std::span<const uint8_t> pixels, bool alpha);

}  // namespace convert
