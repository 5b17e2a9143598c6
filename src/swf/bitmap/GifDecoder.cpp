// GIF decoding with giflib, record by record up to the first image, so that the frames
// after it are never read.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "swf/bitmap/ImageDecoder.h"

namespace swf {
namespace {

// Extension blocks before the first image; real files have a handful.
constexpr int kMaxRecordsBeforeImage = 4096;

struct MemorySource {
    std::span<const uint8_t> data;
    size_t position = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* buffer, int wanted) {
    auto* source = static_cast<MemorySource*>(gif->UserData);
    size_t n =
        std::min(static_cast<size_t>(std::max(wanted, 0)), source->data.size() - source->position);
    std::memcpy(buffer, source->data.data() + source->position, n);
    source->position += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

// Reads extension records up to the first image descriptor; returns the transparent
// colour index from the graphic control extension (NO_TRANSPARENT_COLOR when none).
bool skipToImage(GifFileType* gif, int& transparentIndex) {
    transparentIndex = NO_TRANSPARENT_COLOR;
    for (int i = 0; i < kMaxRecordsBeforeImage; ++i) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) != GIF_OK) return false;
        if (type == IMAGE_DESC_RECORD_TYPE) return true;
        if (type != EXTENSION_RECORD_TYPE) return false;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
            GraphicsControlBlock control{};
            if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                transparentIndex = control.TransparentColor;
        }
        for (int blocks = 0; block; ++blocks) {
            if (blocks > kMaxRecordsBeforeImage || DGifGetExtensionNext(gif, &block) != GIF_OK)
                return false;
        }
    }
    return false;
}

}  // namespace

std::optional<Bitmap> DecodeGif(std::span<const uint8_t> data, long long maxPixels) {
    MemorySource source{data};
    int error = 0;
    GifHandle gif(DGifOpen(&source, readFromMemory, &error));
    if (!gif) return std::nullopt;
    int transparentIndex = NO_TRANSPARENT_COLOR;
    if (!skipToImage(gif.get(), transparentIndex) || DGifGetImageDesc(gif.get()) != GIF_OK)
        return std::nullopt;

    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* colors = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colors || !BitmapSizeAllowed(frame.Width, frame.Height)) return std::nullopt;
    // The logical screen is the picture; a file without one gets the frame's extent.
    long long width = gif->SWidth > 0 ? gif->SWidth : frame.Left + frame.Width;
    long long height = gif->SHeight > 0 ? gif->SHeight : frame.Top + frame.Height;
    if (!BitmapSizeAllowed(width, height, maxPixels)) return std::nullopt;

    Bitmap bitmap = MakeBitmap(static_cast<int>(width), static_cast<int>(height));
    std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));
    auto storeRow = [&](int row) {
        int y = frame.Top + row;
        if (y < 0 || y >= bitmap.height) return;
        for (int x = 0; x < frame.Width; ++x) {
            int px = frame.Left + x;
            int index = line[x];
            if (px < 0 || px >= bitmap.width || index == transparentIndex ||
                index >= colors->ColorCount)
                continue;
            const GifColorType& c = colors->Colors[index];
            uint8_t* out = &bitmap.rgba[(static_cast<size_t>(y) * bitmap.width + px) * 4];
            out[0] = c.Red;
            out[1] = c.Green;
            out[2] = c.Blue;
            out[3] = 255;
        }
    };
    if (frame.Interlace) {
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int row = kStart[pass]; row < frame.Height; row += kStep[pass]) {
                if (DGifGetLine(gif.get(), line.data(), frame.Width) != GIF_OK) return std::nullopt;
                storeRow(row);
            }
        }
    } else {
        for (int row = 0; row < frame.Height; ++row) {
            if (DGifGetLine(gif.get(), line.data(), frame.Width) != GIF_OK) return std::nullopt;
            storeRow(row);
        }
    }
    return bitmap;
}

}  // namespace swf
