#include "swf/parse/LzmaBody.h"

#include <lzma.h>

#include <algorithm>
#include <cstdlib>

namespace swf {
namespace {

constexpr size_t kLengthField = 4;
constexpr size_t kPropertiesSize = 5;

}  // namespace

bool LzmaBody::decode(std::span<const uint8_t> afterHeader, size_t outputLimit,
                      std::vector<uint8_t>& out, std::string& error) {
    if (afterHeader.size() < kLengthField + kPropertiesSize) {
        error = "the LZMA-compressed movie is cut short before its data";
        return false;
    }
    return decodeRaw(afterHeader.subspan(kLengthField, kPropertiesSize),
                     afterHeader.subspan(kLengthField + kPropertiesSize), outputLimit, out, error);
}

bool LzmaBody::decodeRaw(std::span<const uint8_t> properties, std::span<const uint8_t> data,
                         size_t outputLimit, std::vector<uint8_t>& out, std::string& error) {
    lzma_filter filters[2]{};
    filters[0].id = LZMA_FILTER_LZMA1;
    filters[1].id = LZMA_VLI_UNKNOWN;
    if (properties.size() != kPropertiesSize ||
        lzma_properties_decode(&filters[0], nullptr, properties.data(), kPropertiesSize) != LZMA_OK) {
        error = "the LZMA-compressed data has damaged properties";
        return false;
    }
    lzma_stream stream = LZMA_STREAM_INIT;
    lzma_ret status = lzma_raw_decoder(&stream, filters);
    free(filters[0].options);  // the decoder keeps its own copy
    if (status != LZMA_OK) {
        error = "the LZMA decompressor could not be started";
        return false;
    }
    stream.next_in = data.data();
    stream.avail_in = data.size();
    constexpr size_t kChunk = 1 << 16;
    while (out.size() < outputLimit) {
        size_t have = out.size();
        size_t room = std::min(kChunk, outputLimit - have);
        out.resize(have + room);
        stream.next_out = out.data() + have;
        stream.avail_out = room;
        status = lzma_code(&stream, LZMA_RUN);
        out.resize(have + (room - stream.avail_out));
        // The end marker, data that ends early (no progress) or damage all end the body here.
        if (status != LZMA_OK || (stream.avail_in == 0 && out.size() == have)) break;
    }
    lzma_end(&stream);
    if (out.empty() && status != LZMA_OK && status != LZMA_STREAM_END && status != LZMA_BUF_ERROR) {
        error = "the LZMA-compressed data is damaged";
        return false;
    }
    return true;
}

}  // namespace swf
