#include "support/Zlib.h"

#include <zlib.h>

#include <stdexcept>

namespace swftest {

std::vector<uint8_t> Zlib::compress(std::span<const uint8_t> data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<uint8_t> out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    out.resize(size);
    return out;
}

std::vector<uint8_t> Zlib::inflate(std::span<const uint8_t> stream, size_t maxSize) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw std::runtime_error("zlib initialisation failed");
    std::vector<uint8_t> out;
    uint8_t chunk[16384];
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        z.next_out = chunk;
        z.avail_out = sizeof chunk;
        status = ::inflate(&z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) {
            inflateEnd(&z);
            throw std::runtime_error("damaged or truncated zlib stream");
        }
        const size_t produced = sizeof chunk - z.avail_out;
        if (out.size() + produced > maxSize) {
            inflateEnd(&z);
            throw std::runtime_error("zlib stream inflates beyond the size limit");
        }
        out.insert(out.end(), chunk, chunk + produced);
        if (status == Z_OK && produced == 0 && z.avail_in == 0) {
            inflateEnd(&z);
            throw std::runtime_error("truncated zlib stream");
        }
    }
    inflateEnd(&z);
    return out;
}

}  // namespace swftest
