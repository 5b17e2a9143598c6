#include "convert/PngWriter.h"

#include <png.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "convert/DibView.h"
#include "convert/OutputFile.h"

namespace convert {
namespace {

[[noreturn]] void OnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

// libpng reports errors by jumping back here, so this frame holds nothing that needs
// destroying.
bool Encode(png_structp png, png_infop info, FILE* file, const DibView& image, bool alpha,
            png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width(), image.height(), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    // A 32-bit frame without alpha: the fourth byte of each pixel is left out.
    if (image.bitsPerPixel() == 32 && !alpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

int WritePngFile(const std::string& path, const BitmapInfoHeader& header,
                 std::span<const uint8_t> pixels, bool alpha) {
    const std::optional<DibView> image = DibView::Make(header, pixels);
    if (!image || image->width() > PNG_USER_WIDTH_MAX || image->height() > PNG_USER_HEIGHT_MAX)
        return 0;
    std::vector<png_bytep> rows(image->height());
    for (uint32_t y = 0; y < image->height(); ++y) rows[y] = const_cast<png_bytep>(image->row(y));

    OutputFile file(path);
    if (!file.Open()) {
        std::fputs("Create png file failed\n", stderr);
        return 0;
    }
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool written = info && Encode(png, info, file.stream(), *image,
                                        alpha && image->bitsPerPixel() == 32, rows.data());
    png_destroy_write_struct(&png, &info);
    return written && file.Commit() ? 1 : 0;
}

}  // namespace convert
