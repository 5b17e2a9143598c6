// JPEG decoding with libjpeg. libjpeg reports fatal errors through a callback that must not
// return; it jumps back to the decode call, whose state lives outside the jumped-over frames.
#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jerror.h>
#include <jpeglib.h>

#include "swf/bitmap/ImageDecoder.h"

namespace swf {
namespace {

// Progressive JPEGs may hold any number of scans; each one costs a pass over the image.
constexpr int kMaxScans = 1000;
// Upper bound for libjpeg's working memory (coefficient buffers of progressive images).
constexpr long kMaxDecoderMemory = 512L * 1024 * 1024;
// Tables-only streams that may precede the image (tables tag, stray marker pairs).
constexpr int kMaxLeadingStreams = 8;

struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool ranOutOfData = false;
};

[[noreturn]] void failDecode(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

// Warnings are not printed; running out of data is remembered because libjpeg then fills
// the rest of the image with grey instead of failing.
void noteWarning(j_common_ptr info, int level) {
    auto* errors = reinterpret_cast<JpegErrorManager*>(info->err);
    if (level < 0 && errors->base.msg_code == JWRN_JPEG_EOF) errors->ranOutOfData = true;
}

void limitScans(j_common_ptr info) {
    if (info->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans)
        failDecode(info);
}

struct JpegDecodeState {
    jpeg_decompress_struct info{};
    JpegErrorManager errors{};
    jpeg_progress_mgr progress{};
    std::vector<uint8_t> stream;
    Bitmap bitmap;
    long long maxPixels = kMaxBitmapPixels;
};

bool startsWithStrayPair(std::span<const uint8_t> data) {
    return data.size() >= 4 && data[0] == 0xFF && data[1] == 0xD9 && data[2] == 0xFF &&
           data[3] == 0xD8;
}

std::span<const uint8_t> withoutStrayPair(std::span<const uint8_t> data) {
    return startsWithStrayPair(data) ? data.subspan(4) : data;
}

// Tables, then image, each a stream of its own: libjpeg reads a tables-only stream, keeps
// its tables and goes on to the next.
std::vector<uint8_t> joinStreams(std::span<const uint8_t> tables, std::span<const uint8_t> image) {
    tables = withoutStrayPair(tables);
    image = withoutStrayPair(image);
    std::vector<uint8_t> joined(tables.begin(), tables.end());
    bool tablesEnded =
        tables.size() >= 2 && tables[tables.size() - 2] == 0xFF && tables.back() == 0xD9;
    if (!tables.empty() && !tablesEnded) joined.insert(joined.end(), {0xFF, 0xD9});
    joined.insert(joined.end(), image.begin(), image.end());
    return joined;
}

void convertCmykToRgba(Bitmap& bitmap) {
    // Adobe writes CMYK inverted, which is what JPEGs from authoring tools carry.
    for (size_t i = 0; i + 3 < bitmap.rgba.size(); i += 4) {
        unsigned k = bitmap.rgba[i + 3];
        for (size_t c = 0; c < 3; ++c)
            bitmap.rgba[i + c] = static_cast<uint8_t>(bitmap.rgba[i + c] * k / 255);
        bitmap.rgba[i + 3] = 255;
    }
}

// Returns true with state.bitmap filled, false on any failure. Keeps no objects with
// destructors of its own: a failure jumps back into it.
bool decodeInto(JpegDecodeState& state) {
    jpeg_decompress_struct& info = state.info;
    if (setjmp(state.errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kMaxDecoderMemory;
    info.progress = &state.progress;
    jpeg_mem_src(&info, state.stream.data(), static_cast<unsigned long>(state.stream.size()));

    int header = JPEG_HEADER_TABLES_ONLY;
    for (int i = 0; i < kMaxLeadingStreams && header == JPEG_HEADER_TABLES_ONLY; ++i)
        header = jpeg_read_header(&info, FALSE);
    if (header != JPEG_HEADER_OK ||
        !BitmapSizeAllowed(info.image_width, info.image_height, state.maxPixels)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    if (info.output_components != 4) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    state.bitmap =
        MakeBitmap(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    const size_t stride = static_cast<size_t>(state.bitmap.width) * 4;
    while (info.output_scanline < info.output_height && !state.errors.ranOutOfData) {
        JSAMPROW row = state.bitmap.rgba.data() + info.output_scanline * stride;
        if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
    }
    bool complete = info.output_scanline == info.output_height && !state.errors.ranOutOfData;
    // The trailing end marker is not needed; missing it is common and harmless.
    jpeg_destroy_decompress(&info);
    if (complete && cmyk) convertCmykToRgba(state.bitmap);
    return complete;
}

}  // namespace

std::optional<Bitmap> DecodeJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> image,
                                 long long maxPixels) {
    auto state = std::make_unique<JpegDecodeState>();
    state->maxPixels = maxPixels;
    state->stream = joinStreams(tables, image);
    if (state->stream.empty()) return std::nullopt;
    state->info.err = jpeg_std_error(&state->errors.base);
    state->errors.base.error_exit = failDecode;
    state->errors.base.emit_message = noteWarning;
    state->progress.progress_monitor = limitScans;
    if (!decodeInto(*state)) return std::nullopt;
    return std::move(state->bitmap);
}

}  // namespace swf
