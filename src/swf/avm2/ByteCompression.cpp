#include "swf/avm2/ByteCompression.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>

#include "swf/parse/LzmaBody.h"

namespace swf::avm2 {
namespace {

constexpr size_t kLzmaProperties = 5;
constexpr size_t kLzmaHeader = kLzmaProperties + 8;
constexpr size_t kChunk = size_t{1} << 16;

// Fills `out` a chunk at a time up to `limit`: `step(at, room, written)` writes at most `room`
// bytes at `at`, says how many, and whether there is more to come.
template <class Step>
void fillInChunks(std::vector<uint8_t>& out, size_t limit, Step step) {
    bool more = true;
    while (more && out.size() < limit) {
        size_t have = out.size();
        size_t room = std::min(kChunk, limit - have);
        out.resize(have + room);
        size_t written = 0;
        more = step(out.data() + have, room, written);
        out.resize(have + written);
    }
}

// zlib's window bits: a zlib stream, or raw deflate.
int windowBits(ByteCompression how) {
    return how == ByteCompression::Zlib ? 15 : -15;
}

std::optional<std::vector<uint8_t>> deflateBytes(const std::vector<uint8_t>& data, ByteCompression how, size_t limit) {
    z_stream z{};
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits(how), 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return std::nullopt;
    std::vector<uint8_t> out(std::min(limit, static_cast<size_t>(deflateBound(&z, static_cast<uLong>(data.size())))));
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    int status = deflate(&z, Z_FINISH);
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    if (status != Z_STREAM_END) return std::nullopt;
    return out;
}

std::optional<std::vector<uint8_t>> inflateBytes(const std::vector<uint8_t>& data, ByteCompression how, size_t limit) {
    z_stream z{};
    if (inflateInit2(&z, windowBits(how)) != Z_OK) return std::nullopt;
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    std::vector<uint8_t> out;
    int status = Z_OK;
    fillInChunks(out, limit, [&](uint8_t* at, size_t room, size_t& written) {
        z.next_out = at;
        z.avail_out = static_cast<uInt>(room);
        status = inflate(&z, Z_NO_FLUSH);
        written = room - z.avail_out;
        return status == Z_OK;
    });
    inflateEnd(&z);
    // Raw deflate that stops short still gives what it holds; a zlib stream must be whole.
    if (status == Z_STREAM_END || (how == ByteCompression::Deflate && status == Z_BUF_ERROR)) return out;
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> lzmaCompress(const std::vector<uint8_t>& data, size_t limit) {
    lzma_options_lzma options;
    if (lzma_lzma_preset(&options, LZMA_PRESET_DEFAULT)) return std::nullopt;
    lzma_filter filters[2]{};
    filters[0].id = LZMA_FILTER_LZMA1;
    filters[0].options = &options;
    filters[1].id = LZMA_VLI_UNKNOWN;
    std::vector<uint8_t> out(kLzmaHeader);
    if (lzma_properties_encode(&filters[0], out.data()) != LZMA_OK) return std::nullopt;
    for (size_t i = 0; i < 8; ++i) out[kLzmaProperties + i] = static_cast<uint8_t>(static_cast<uint64_t>(data.size()) >> (8 * i));
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&stream, filters) != LZMA_OK) return std::nullopt;
    stream.next_in = data.data();
    stream.avail_in = data.size();
    lzma_ret status = LZMA_OK;
    fillInChunks(out, limit, [&](uint8_t* at, size_t room, size_t& written) {
        stream.next_out = at;
        stream.avail_out = room;
        status = lzma_code(&stream, LZMA_FINISH);
        written = room - stream.avail_out;
        return status == LZMA_OK;
    });
    lzma_end(&stream);
    if (status != LZMA_STREAM_END) return std::nullopt;
    return out;
}

std::optional<std::vector<uint8_t>> lzmaUncompress(const std::vector<uint8_t>& data, size_t limit) {
    if (data.size() < kLzmaHeader) return std::nullopt;
    uint64_t length = 0;
    for (size_t i = 0; i < 8; ++i) length |= static_cast<uint64_t>(data[kLzmaProperties + i]) << (8 * i);
    if (length > limit) return std::nullopt;
    std::span<const uint8_t> all(data);
    std::vector<uint8_t> out;
    std::string error;
    if (!LzmaBody::decodeRaw(all.first(kLzmaProperties), all.subspan(kLzmaHeader), static_cast<size_t>(length), out, error) ||
        out.size() != length)
        return std::nullopt;
    return out;
}

}  // namespace

std::optional<ByteCompression> compressionNamed(const std::string& name) {
    if (name == "zlib") return ByteCompression::Zlib;
    if (name == "deflate") return ByteCompression::Deflate;
    if (name == "lzma") return ByteCompression::Lzma;
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> compressBytes(const std::vector<uint8_t>& data, ByteCompression how, size_t limit) {
    return how == ByteCompression::Lzma ? lzmaCompress(data, limit) : deflateBytes(data, how, limit);
}

std::optional<std::vector<uint8_t>> uncompressBytes(const std::vector<uint8_t>& data, ByteCompression how, size_t limit) {
    return how == ByteCompression::Lzma ? lzmaUncompress(data, limit) : inflateBytes(data, how, limit);
}

}  // namespace swf::avm2
