#include "bitmap/ImageEncoders.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

namespace bitmaptest {

void Image::set(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
    p[0] = r;
    p[1] = g;
    p[2] = b;
    p[3] = a;
}

Image Image::quadrants(int width, int height) {
    Image image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool right = x >= width / 2;
            bool bottom = y >= height / 2;
            if (!bottom)
                image.set(x, y, right ? 0 : 255, right ? 255 : 0, 0);
            else
                image.set(x, y, right ? 255 : 0, right ? 255 : 0, 255);
        }
    }
    return image;
}

namespace {

struct Compressor {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;

    Compressor(const Image& image, int quality) {
        info.err = jpeg_std_error(&errors);
        jpeg_create_compress(&info);
        jpeg_mem_dest(&info, &buffer, &size);
        info.image_width = static_cast<JDIMENSION>(image.width);
        info.image_height = static_cast<JDIMENSION>(image.height);
        info.input_components = 4;
        info.in_color_space = JCS_EXT_RGBX;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, quality, TRUE);
    }
    ~Compressor() {
        jpeg_destroy_compress(&info);
        std::free(buffer);
    }
    void writeImage(const Image& image, bool withTables) {
        jpeg_start_compress(&info, withTables ? TRUE : FALSE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row = const_cast<uint8_t*>(&image.rgba[info.next_scanline * image.width * 4]);
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
    }
    std::vector<uint8_t> take() {
        std::vector<uint8_t> out(buffer, buffer + size);
        std::free(buffer);
        buffer = nullptr;
        size = 0;
        jpeg_mem_dest(&info, &buffer, &size);
        return out;
    }
};

}  // namespace

std::vector<uint8_t> encodeJpeg(const Image& image, int quality) {
    Compressor compressor(image, quality);
    compressor.writeImage(image, true);
    return compressor.take();
}

SplitJpeg encodeJpegSplit(const Image& image, int quality) {
    Compressor compressor(image, quality);
    SplitJpeg split;
    jpeg_write_tables(&compressor.info);
    split.tables = compressor.take();
    compressor.writeImage(image, false);
    split.image = compressor.take();
    return split;
}

std::vector<uint8_t> encodePng(const Image& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.rgba.data(), 0, nullptr))
        throw std::runtime_error("png size");
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, image.rgba.data(), 0, nullptr))
        throw std::runtime_error("png write");
    out.resize(size);
    return out;
}

namespace {
int appendToVector(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}
}  // namespace

std::vector<uint8_t> encodeGif(int width, int height, const std::vector<uint8_t>& indices,
                               const std::vector<uint8_t>& paletteRgb, int transparentIndex) {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendToVector, &error);
    if (!gif) throw std::runtime_error("EGifOpen");
    int colors = static_cast<int>(paletteRgb.size() / 3);
    int mapSize = 2;
    while (mapSize < colors) mapSize *= 2;
    std::vector<GifColorType> entries(static_cast<size_t>(mapSize));
    for (int i = 0; i < colors; ++i)
        entries[i] = {paletteRgb[i * 3], paletteRgb[i * 3 + 1], paletteRgb[i * 3 + 2]};
    ColorMapObject* map = GifMakeMapObject(mapSize, entries.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, width, height, 8, 0, map);
    if (transparentIndex >= 0) {
        GraphicsControlBlock control{};
        control.TransparentColor = transparentIndex;
        GifByteType block[4];
        size_t length = EGifGCBToExtension(&control, block);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), block);
    }
    EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr);
    for (int y = 0; y < height; ++y)
        EGifPutLine(gif, const_cast<GifPixelType*>(&indices[static_cast<size_t>(y) * width]),
                    width);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace bitmaptest
