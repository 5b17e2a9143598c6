#pragma once
// Turns the body of a bitmap definition tag into a BitmapCharacter.
//
// Handled tags: DefineBits (6, needs the movie's JPEGTables body), DefineBitsJPEG2 (21),
// DefineBitsJPEG3 (35), DefineBitsJPEG4 (90), DefineBitsLossless (20) and
// DefineBitsLossless2 (36). The JPEG tags may hold PNG or GIF data instead.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "swf/bitmap/BitmapCharacter.h"

namespace swf {

// True for the tag codes ParseBitmapTag understands (not JPEGTables itself).
bool IsBitmapTag(uint16_t tagCode);

// `body` is the whole tag body, starting with the character id. `jpegTables` is the body of
// the movie's JPEGTables tag (empty when there is none); only DefineBits uses it.
// Returns null when the image cannot be decoded: corrupt or truncated data, an unknown
// format, or dimensions beyond the decoder's limits or beyond `maxDecodedBytes` of pixels,
// which is checked before any pixel memory is taken.
std::shared_ptr<BitmapCharacter> ParseBitmapTag(uint16_t tagCode, std::span<const uint8_t> body,
                                                std::span<const uint8_t> jpegTables,
                                                size_t maxDecodedBytes = SIZE_MAX);

}  // namespace swf
