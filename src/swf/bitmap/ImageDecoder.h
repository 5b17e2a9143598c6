#pragma once
// Decoders for the image formats a movie embeds (JPEG, PNG, GIF) and the limits they share.
// Every decoder works from memory, never reads outside its input, and returns nothing for
// data it cannot decode completely.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "swf/bitmap/Bitmap.h"

namespace swf {

// Larger images are refused before any pixel memory is allocated: no side above 8192 and
// no more than 16M pixels (64 MB decoded), the limits of the player's own bitmaps. Every
// decoder also takes a lower pixel limit, for callers with a memory budget of their own.
constexpr int kMaxBitmapSide = 8192;
constexpr long long kMaxBitmapPixels = 1LL << 24;

bool BitmapSizeAllowed(long long width, long long height, long long maxPixels = kMaxBitmapPixels);

// A bitmap of the given size with every pixel transparent black.
Bitmap MakeBitmap(int width, int height);

// Clamps each colour channel to its alpha, as premultiplied data requires.
void ClampToAlpha(Bitmap& bitmap);
// Multiplies straight-alpha colours by their alpha, rounded down as the player does.
void Premultiply(Bitmap& bitmap);

// DefineBits: the image part with the movie's separate tables (either may be empty or start
// with the stray FF D9 FF D8 pair some encoders wrote). Opaque result.
std::optional<Bitmap> DecodeJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> image,
                                 long long maxPixels = kMaxBitmapPixels);
std::optional<Bitmap> DecodePng(std::span<const uint8_t> data,
                                long long maxPixels = kMaxBitmapPixels);
// The first frame, with its transparent colour.
std::optional<Bitmap> DecodeGif(std::span<const uint8_t> data,
                                long long maxPixels = kMaxBitmapPixels);

// DefineBitsLossless (withAlpha false) and DefineBitsLossless2 (true) pixel data: format 3
// (colour-mapped, `colorTableSize` entries), 4 (15-bit RGB) or 5 (32-bit (A)RGB), zlib
// compressed. Lossless2 colours are premultiplied already.
std::optional<Bitmap> DecodeLossless(int format, int width, int height, int colorTableSize,
                                     std::span<const uint8_t> compressed, bool withAlpha,
                                     long long maxPixels = kMaxBitmapPixels);

enum class ImageFormat { Jpeg, Png, Gif };
// The DefineBitsJPEG2..4 tags may hold any of the three; the signature tells which.
ImageFormat SniffImageFormat(std::span<const uint8_t> data);
std::optional<Bitmap> DecodeEmbeddedImage(std::span<const uint8_t> data,
                                          long long maxPixels = kMaxBitmapPixels);

// Inflates zlib data, producing at most `limit` bytes; stops early on corrupt or truncated
// input, so callers compare the size they got with the size they need.
std::vector<uint8_t> InflateBounded(std::span<const uint8_t> data, size_t limit);

}  // namespace swf
