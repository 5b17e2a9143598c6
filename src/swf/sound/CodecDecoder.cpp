#include "swf/sound/CodecDecoder.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "swf/sound/Mp3Frames.h"
#include "swf/sound/SpeexFrames.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
}

namespace swf {
namespace {

// Nellymoser's 64-byte blocks go to the decoder a few at a time; the MP3 parser takes the
// data in pieces of at most kMaxPacket.
constexpr size_t kNellymoserPacket = 64 * 16;
constexpr size_t kMaxPacket = 1 << 16;

AVCodecID codecId(SoundCharacter::Format codec) {
    switch (codec) {
        case SoundCharacter::Format::Mp3:
            return AV_CODEC_ID_MP3;
        case SoundCharacter::Format::Nellymoser16k:
        case SoundCharacter::Format::Nellymoser8k:
        case SoundCharacter::Format::Nellymoser:
            return AV_CODEC_ID_NELLYMOSER;
        case SoundCharacter::Format::Speex:
            return AV_CODEC_ID_SPEEX;
        default:
            return AV_CODEC_ID_NONE;
    }
}

// Nellymoser's two fixed-rate variants ignore the rate field; Speex is always wideband.
uint32_t codedRate(const SoundFormat& format) {
    switch (format.codec) {
        case SoundCharacter::Format::Nellymoser16k:
        case SoundCharacter::Format::Speex:
            return 16000;
        case SoundCharacter::Format::Nellymoser8k:
            return 8000;
        default:
            return format.rateHz;
    }
}

int16_t toInt16(float v) {
    if (!(v == v)) return 0;  // NaN
    return static_cast<int16_t>(std::lrint(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
}

// A decoded frame's samples as 16-bit values, whatever layout the decoder chose; the layout
// is looked up once a frame, not once a sample.
class FrameSamples {
  public:
    explicit FrameSamples(const AVFrame& f)
        : frame_(f),
          packed_(av_get_packed_sample_fmt(static_cast<AVSampleFormat>(f.format))),
          planar_(av_sample_fmt_is_planar(static_cast<AVSampleFormat>(f.format)) != 0),
          channels_(f.ch_layout.nb_channels) {}

    int16_t at(int channel, int i) const {
        const uint8_t* plane = frame_.extended_data[planar_ ? channel : 0];
        const int index = planar_ ? i : i * channels_ + channel;
        switch (packed_) {
            case AV_SAMPLE_FMT_S16:
                return reinterpret_cast<const int16_t*>(plane)[index];
            case AV_SAMPLE_FMT_S32:
                return static_cast<int16_t>(reinterpret_cast<const int32_t*>(plane)[index] >> 16);
            case AV_SAMPLE_FMT_FLT:
                return toInt16(reinterpret_cast<const float*>(plane)[index]);
            case AV_SAMPLE_FMT_DBL:
                return toInt16(static_cast<float>(reinterpret_cast<const double*>(plane)[index]));
            default:
                return 0;
        }
    }

  private:
    const AVFrame& frame_;
    AVSampleFormat packed_;
    bool planar_;
    int channels_;
};

}  // namespace

CodecDecoder::CodecDecoder(const SoundFormat& format) : format_(format) {
    const AVCodecID id = codecId(format.codec);
    const AVCodec* codec = id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_decoder(id);
    if (!codec) {
        error_ = "no decoder for this codec";
        return;
    }
    context_ = avcodec_alloc_context3(codec);
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (id == AV_CODEC_ID_MP3) mp3_ = std::make_unique<Mp3Frames>();
    if (!context_ || !packet_ || !frame_) {
        error_ = "out of memory";
        return;
    }
    context_->sample_rate = static_cast<int>(codedRate(format));
    av_channel_layout_default(&context_->ch_layout, format.stereo && id == AV_CODEC_ID_MP3 ? 2 : 1);
    context_->request_sample_fmt = AV_SAMPLE_FMT_S16;
    if (const int code = avcodec_open2(context_, codec, nullptr); code < 0) {
        fail("cannot open the decoder", code);
        avcodec_free_context(&context_);
    }
}

CodecDecoder::~CodecDecoder() {
    avcodec_free_context(&context_);
    av_packet_free(&packet_);
    av_frame_free(&frame_);
}

bool CodecDecoder::fail(const char* what, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    error_ = std::string(what) + ": " + text;
    return false;
}

bool CodecDecoder::feed(std::span<const uint8_t> data, size_t maxFrames, PcmBuffer& out) {
    if (!context_ || !error_.empty()) return false;
    while (!data.empty() && out.frames() < maxFrames) {
        if (mp3_) {
            const size_t piece = std::min(data.size(), kMaxPacket);
            mp3_->append(data.first(piece));
            data = data.subspan(piece);
            if (!sendMp3Frames(false, maxFrames, out)) return false;
            continue;
        }
        if (format_.codec == SoundCharacter::Format::Speex) {
            for (const std::vector<uint8_t>& frame : SpeexFrames::split(data))
                if (out.frames() < maxFrames && !send(frame.data(), frame.size(), maxFrames, out))
                    return false;
            return true;
        }
        const size_t size = std::min(data.size(), kNellymoserPacket);
        if (!send(data.data(), size, maxFrames, out)) return false;
        data = data.subspan(size);
    }
    return true;
}

bool CodecDecoder::finish(size_t maxFrames, PcmBuffer& out) {
    if (!context_ || !error_.empty()) return false;
    if (mp3_ && !sendMp3Frames(true, maxFrames, out)) return false;
    if (const int code = avcodec_send_packet(context_, nullptr); code < 0 && code != AVERROR_EOF)
        return fail("decoding failed", code);
    const int code = receive(maxFrames, out);
    return code >= 0 || fail("decoding failed", code);
}

bool CodecDecoder::sendMp3Frames(bool end, size_t maxFrames, PcmBuffer& out) {
    Mp3Frames::Header header;
    for (std::span<const uint8_t> frame; out.frames() < maxFrames &&
                                         !(frame = mp3_->next(end, header)).empty();) {
        const int code = decode(frame.data(), frame.size(), maxFrames, out);
        if (code == AVERROR(ENOMEM)) return fail("decoding failed", code);
        if (code >= 0) continue;
        // A frame the decoder refuses passes in silence, so that the frames after it keep
        // their time.
        if (out.rate == 0) {
            out.rate = static_cast<uint32_t>(header.rate);
            out.channels = std::min(header.channels, 2);
        }
        const size_t silent = std::min(
            maxFrames - out.frames(),
            static_cast<size_t>(header.samples) * out.rate / static_cast<uint32_t>(header.rate));
        out.samples.insert(out.samples.end(), silent * static_cast<size_t>(out.channels), 0);
    }
    return true;
}

bool CodecDecoder::send(const uint8_t* data, size_t size, size_t maxFrames, PcmBuffer& out) {
    const int code = decode(data, size, maxFrames, out);
    return code >= 0 || fail("decoding failed", code);
}

int CodecDecoder::decode(const uint8_t* data, size_t size, size_t maxFrames, PcmBuffer& out) {
    av_packet_unref(packet_);
    // av_new_packet zeroes the AV_INPUT_BUFFER_PADDING_SIZE bytes the decoders may read.
    if (const int code = av_new_packet(packet_, static_cast<int>(size)); code < 0) return code;
    std::copy_n(data, size, packet_->data);
    if (const int code = avcodec_send_packet(context_, packet_); code < 0) return code;
    return receive(maxFrames, out);
}

int CodecDecoder::receive(size_t maxFrames, PcmBuffer& out) {
    for (;;) {
        const int code = avcodec_receive_frame(context_, frame_);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return 0;
        if (code < 0) return code;
        const int channels = frame_->ch_layout.nb_channels;
        if (channels < 1 || frame_->sample_rate <= 0) continue;
        if (out.rate == 0) {
            out.rate = static_cast<uint32_t>(frame_->sample_rate);
            out.channels = std::min(channels, 2);
        }
        // A frame with another layout than the first is mixed or spread to the first's.
        const auto room =
            static_cast<int>(std::min<size_t>(maxFrames - std::min(maxFrames, out.frames()),
                                              static_cast<size_t>(frame_->nb_samples)));
        const FrameSamples samples(*frame_);
        size_t at = out.samples.size();
        out.samples.resize(at + static_cast<size_t>(room) * static_cast<size_t>(out.channels));
        for (int i = 0; i < room; ++i) {
            const int16_t left = samples.at(0, i);
            const int16_t right = channels > 1 ? samples.at(1, i) : left;
            if (out.channels == 1) {
                out.samples[at++] = static_cast<int16_t>((left + right) / 2);
            } else {
                out.samples[at++] = left;
                out.samples[at++] = right;
            }
        }
        av_frame_unref(frame_);
    }
}

}  // namespace swf
