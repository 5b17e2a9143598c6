#include "support/Lzma.h"

#include <lzma.h>

#include <stdexcept>

namespace swftest {

std::vector<uint8_t> Lzma::compress(std::span<const uint8_t> data) {
    lzma_options_lzma options;
    if (lzma_lzma_preset(&options, 6)) throw std::runtime_error("LZMA preset failed");
    lzma_filter filters[2]{};
    filters[0].id = LZMA_FILTER_LZMA1;
    filters[0].options = &options;
    filters[1].id = LZMA_VLI_UNKNOWN;
    std::vector<uint8_t> out(5);
    if (lzma_properties_encode(&filters[0], out.data()) != LZMA_OK)
        throw std::runtime_error("LZMA properties could not be written");
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&stream, filters) != LZMA_OK)
        throw std::runtime_error("LZMA encoder could not be started");
    out.resize(5 + data.size() + data.size() / 2 + 1024);
    stream.next_in = data.data();
    stream.avail_in = data.size();
    stream.next_out = out.data() + 5;
    stream.avail_out = out.size() - 5;
    lzma_ret status = lzma_code(&stream, LZMA_FINISH);
    out.resize(out.size() - stream.avail_out);
    lzma_end(&stream);
    if (status != LZMA_STREAM_END) throw std::runtime_error("LZMA compression failed");
    return out;
}

}  // namespace swftest
