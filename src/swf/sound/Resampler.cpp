#include "swf/sound/Resampler.h"

#include <utility>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libswresample/swresample.h>
}

namespace swf {

bool Resampler::convert(PcmBuffer& in, uint32_t rate, std::string& error) {
    if (in.rate == rate || in.samples.empty()) {
        in.rate = rate;
        return true;
    }
    if (in.rate == 0 || rate == 0) {
        error = "no sample rate";
        return false;
    }
    AVChannelLayout layout;
    av_channel_layout_default(&layout, in.channels);
    SwrContext* swr = nullptr;
    int code =
        swr_alloc_set_opts2(&swr, &layout, AV_SAMPLE_FMT_S16, static_cast<int>(rate), &layout,
                            AV_SAMPLE_FMT_S16, static_cast<int>(in.rate), 0, nullptr);
    if (code >= 0) code = swr_init(swr);
    PcmBuffer out;
    out.rate = rate;
    out.channels = in.channels;
    const auto wanted =
        static_cast<size_t>((static_cast<uint64_t>(in.frames()) * rate + in.rate / 2) / in.rate);
    // Room for the whole sound plus what the filter gives back at the end.
    out.samples.resize((wanted + 256) * static_cast<size_t>(in.channels));
    int made = 0;
    if (code >= 0) {
        auto* output = reinterpret_cast<uint8_t*>(out.samples.data());
        const auto* input = reinterpret_cast<const uint8_t*>(in.samples.data());
        const int room = static_cast<int>(out.frames());
        code = swr_convert(swr, &output, room, &input, static_cast<int>(in.frames()));
        if (code >= 0) {
            made = code;
            auto* rest = reinterpret_cast<uint8_t*>(out.samples.data() +
                                                    static_cast<size_t>(made) * in.channels);
            code = swr_convert(swr, &rest, room - made, nullptr, 0);
            if (code >= 0) made += code;
        }
    }
    swr_free(&swr);
    if (code < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(code, text, sizeof text);
        error = std::string("resampling failed: ") + text;
        return false;
    }
    out.samples.resize(wanted * static_cast<size_t>(in.channels));
    in = std::move(out);
    return true;
}

}  // namespace swf
