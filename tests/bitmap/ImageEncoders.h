#pragma once
// Encoders that build the image data the bitmap tests feed to the decoders.

#include <cstdint>
#include <vector>

namespace bitmaptest {

// Straight (not premultiplied) RGBA pixels, top-down.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    void set(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);
    // Four solid quadrants: red, green (top), blue, white (bottom).
    static Image quadrants(int width, int height);
};

// A complete JPEG stream (tables and image together).
std::vector<uint8_t> encodeJpeg(const Image& image, int quality = 95);

// The same image as the DefineBits/JPEGTables pair writes it: a tables-only stream and an
// abbreviated image stream without tables.
struct SplitJpeg {
    std::vector<uint8_t> tables;
    std::vector<uint8_t> image;
};
SplitJpeg encodeJpegSplit(const Image& image, int quality = 95);

std::vector<uint8_t> encodePng(const Image& image);

// An 8-bit GIF of palette indices; `transparentIndex` < 0 writes no transparency.
std::vector<uint8_t> encodeGif(int width, int height, const std::vector<uint8_t>& indices,
                               const std::vector<uint8_t>& paletteRgb, int transparentIndex);

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts);

}  // namespace bitmaptest
