#include "swf/sound/Resampler.h"

#include <algorithm>
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
        const int room = static_cast<int>(out.frames());
        const auto* input = reinterpret_cast<const uint8_t*>(in.samples.data());
        const size_t frameBytes = sizeof(int16_t) * static_cast<size_t>(in.channels);
        // A piece at a time: libswresample sizes (and clears) its buffers by the counts of
        // one call, so a whole sound at once costs more than the filtering itself.
        constexpr size_t kPieceFrames = 8192;
        const int pieceRoom = static_cast<int>(kPieceFrames * rate / in.rate) + 256;
        size_t done = 0;
        while (code >= 0) {
            const int count = static_cast<int>(std::min(kPieceFrames, in.frames() - done));
            const uint8_t* piece = input + done * frameBytes;
            done += static_cast<size_t>(count);
            auto* output = reinterpret_cast<uint8_t*>(out.samples.data() +
                                                      static_cast<size_t>(made) * in.channels);
            // No input (a null list, not a list holding null) asks for what the filter holds.
            code = swr_convert(swr, &output, std::min(pieceRoom, room - made),
                               count > 0 ? &piece : nullptr, count);
            if (code >= 0) made += code;
            // Once the input is spent, the filter gives back what it holds until it is empty.
            if (count == 0 && code <= 0) break;
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
