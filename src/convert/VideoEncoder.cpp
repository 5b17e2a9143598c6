#include "convert/VideoEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/mathematics.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <climits>
#include <optional>
#include <thread>

#include "audio/FormatDescription.h"
#include "convert/BitmapInfoHeader.h"
#include "convert/ScalerInput.h"
#include "convert/Yuv420Conversion.h"
#include "resources/ResultCode.h"

namespace convert {
namespace {

// Threads that share one frame's slices; more gain little on frames of a movie's size.
constexpr int kMaxEncoderThreads = 4;

// How an encoder is told the quality and data rate the settings ask for.
enum class RateControl {
    None,    // lossless: nothing to trade
    QScale,  // a quantiser from 31 (worst) to 2 (best), or a bit rate
    Crf,     // x264's constant rate factor from 51 (worst) to 0 (best), or a bit rate
};

struct EncoderEntry {
    FourCC fourcc;
    const char* name;
    const char* encoder;  // libavcodec's name for it
    RateControl rateControl;
    bool listed;  // false: another FourCC for an encoder listed under its usual one
};

constexpr EncoderEntry kEncoders[] = {
    {MakeFourCC('M', 'J', 'P', 'G'), "Motion JPEG", "mjpeg", RateControl::QScale, true},
    {MakeFourCC('F', 'F', 'V', '1'), "FFV1 (lossless)", "ffv1", RateControl::None, true},
    {MakeFourCC('H', 'F', 'Y', 'U'), "Huffyuv (lossless)", "huffyuv", RateControl::None, true},
    {MakeFourCC('Z', 'M', 'B', 'V'), "Zip Motion Blocks Video (lossless)", "zmbv",
     RateControl::None, true},
    {MakeFourCC('M', 'P', 'N', 'G'), "PNG frames (lossless)", "png", RateControl::None, true},
    {MakeFourCC('H', '2', '6', '4'), "H.264 (x264)", "libx264", RateControl::Crf, true},
    {MakeFourCC('X', '2', '6', '4'), "H.264 (x264)", "libx264", RateControl::Crf, false},
    {MakeFourCC('F', 'M', 'P', '4'), "MPEG-4 Part 2", "mpeg4", RateControl::QScale, true},
    {MakeFourCC('X', 'V', 'I', 'D'), "MPEG-4 Part 2", "mpeg4", RateControl::QScale, false},
};

const EncoderEntry* FindEntry(FourCC handler) {
    const auto* found = std::ranges::find(kEncoders, handler, &EncoderEntry::fourcc);
    return found != std::end(kEncoders) ? found : nullptr;
}

const AVCodec* FindEncoder(const EncoderEntry& entry) {
    return avcodec_find_encoder_by_name(entry.encoder);
}

// The encoder's input format closest to the frame buffer's rows: an RGB layout keeps
// every colour (and alpha at 32 bits) where the encoder takes one; otherwise the encoder's
// first choice, which for the YUV encoders is their most widely decoded one.
AVPixelFormat ChoosePixelFormat(const AVCodec& codec, int bitsPerPixel) {
    static constexpr AVPixelFormat kFor24[] = {AV_PIX_FMT_BGR24, AV_PIX_FMT_BGR0, AV_PIX_FMT_RGB24,
                                               AV_PIX_FMT_BGRA, AV_PIX_FMT_RGBA};
    static constexpr AVPixelFormat kFor32[] = {AV_PIX_FMT_BGRA, AV_PIX_FMT_RGBA, AV_PIX_FMT_BGR0,
                                               AV_PIX_FMT_BGR24, AV_PIX_FMT_RGB24};
    const std::span<const AVPixelFormat> preferred =
        bitsPerPixel == 32 ? std::span<const AVPixelFormat>(kFor32) : kFor24;
    if (codec.pix_fmts == nullptr) return AV_PIX_FMT_NONE;
    for (AVPixelFormat wanted : preferred)
        for (const AVPixelFormat* p = codec.pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
            if (*p == wanted) return wanted;
    return codec.pix_fmts[0];
}

// The 4:2:0 layouts converted without swscale.
std::optional<YuvRange> DirectYuv420(AVPixelFormat target) {
    if (target == AV_PIX_FMT_YUVJ420P) return YuvRange::Full;
    if (target == AV_PIX_FMT_YUV420P) return YuvRange::Studio;
    return std::nullopt;
}

// The converter from the frame buffer's rows to the encoder's other inputs. The full-range "J"
// YUV layouts are the plain ones with full-range numbers to the scaler.
SwsContext* MakeScaler(const VideoFrameFormat& format, AVPixelFormat source, AVPixelFormat target) {
    static constexpr std::pair<AVPixelFormat, AVPixelFormat> kFullRange[] = {
        {AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUV420P},
        {AV_PIX_FMT_YUVJ422P, AV_PIX_FMT_YUV422P},
        {AV_PIX_FMT_YUVJ444P, AV_PIX_FMT_YUV444P},
    };
    bool fullRange = false;
    for (const auto& [jpeg, plain] : kFullRange) {
        if (target != jpeg) continue;
        target = plain;
        fullRange = true;
    }
    SwsContext* scaler =
        sws_getContext(format.width, format.height, source, format.width, format.height, target,
                       SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (scaler && fullRange) {
        int* inverse = nullptr;
        int* table = nullptr;
        int sourceRange = 0;
        int targetRange = 0;
        int brightness = 0;
        int contrast = 0;
        int saturation = 0;
        sws_getColorspaceDetails(scaler, &inverse, &sourceRange, &table, &targetRange, &brightness,
                                 &contrast, &saturation);
        sws_setColorspaceDetails(scaler, inverse, sourceRange, table, 1, brightness, contrast,
                                 saturation);
    }
    return scaler;
}

void ApplyRateControl(AVCodecContext& context, RateControl rateControl,
                      const CompressionOptions& options) {
    const bool quality = options.quality >= 0;
    const bool dataRate = (options.flags & kCompressDataRate) != 0 && options.bytesPerSecond > 0;
    const int64_t quality10000 = std::min(options.quality, 10000);
    switch (rateControl) {
        case RateControl::None:
            return;
        case RateControl::QScale:
            if (quality) {
                const int64_t quantiser = 31 - quality10000 * 29 / 10000;
                context.flags |= AV_CODEC_FLAG_QSCALE;
                context.global_quality = static_cast<int>(FF_QP2LAMBDA * quantiser);
            } else if (dataRate) {
                context.bit_rate = int64_t{options.bytesPerSecond} * 8;
            }
            return;
        case RateControl::Crf:
            if (quality)
                av_opt_set_double(context.priv_data, "crf", 51.0 * (10000 - quality10000) / 10000,
                                  0);
            else if (dataRate)
                context.bit_rate = int64_t{options.bytesPerSecond} * 8;
            return;
    }
}

}  // namespace

std::vector<VideoCompressorInfo> AvailableVideoCompressors() {
    std::vector<VideoCompressorInfo> compressors;
    compressors.push_back({kFourCCDib, audio::CompressorName(std::nullopt)});
    for (const EncoderEntry& entry : kEncoders)
        if (entry.listed && FindEncoder(entry)) compressors.push_back({entry.fourcc, entry.name});
    return compressors;
}

std::shared_ptr<const VideoCompressorInfo> OpenVideoCompressor(FourCC handler) {
    const EncoderEntry* entry = FindEntry(handler);
    if (!entry || !FindEncoder(*entry)) return nullptr;
    return std::make_shared<const VideoCompressorInfo>(
        VideoCompressorInfo{entry->fourcc, entry->name});
}

std::string VideoCompressorName(const CompressorSettings& settings) {
    if (!settings.hic) return audio::CompressorName(std::nullopt);
    return audio::CompressorName(settings.hic->name);
}

CompressionOptions MakeCompressionOptions(const CompressorSettings& settings) {
    CompressionOptions options;
    options.type = settings.fccType;
    options.handler = settings.fccHandler;
    options.keyFrameEvery = settings.lKey;
    options.quality = settings.lQ;
    // Kilobytes per second; a rate past what the field holds is no limit worth keeping.
    options.bytesPerSecond = settings.lDataRate > 0 && settings.lDataRate <= INT32_MAX / 1024
                                 ? settings.lDataRate * 1024
                                 : 0;
    options.flags = kCompressValid;
    if (settings.lKey != 0) options.flags |= kCompressKeyFrames;
    if (settings.lDataRate != 0) options.flags |= kCompressDataRate;
    return options;
}

uint64_t FrameImageSize(const VideoFrameFormat& format) {
    if (format.width <= 0 || format.height <= 0 ||
        (format.bitsPerPixel != 24 && format.bitsPerPixel != 32))
        return 0;
    return DibStride(static_cast<uint32_t>(format.width),
                     static_cast<uint16_t>(format.bitsPerPixel)) *
           static_cast<uint64_t>(format.height);
}

struct VideoEncoder::Codec {
    AVCodecContext* context = nullptr;
    SwsContext* scaler = nullptr;
    ScalerInput source;  // the frame's rows as the scaler reads them
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    std::optional<YuvRange> yuv420;  // converted here rather than by the scaler
    size_t stride = 0;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3;
    int64_t nextPts = 0;

    ~Codec() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        sws_freeContext(scaler);
        avcodec_free_context(&context);
    }

    // Hands every sample the encoder has ready to `sink`.
    int32_t Drain(const SampleSink& sink) {
        for (;;) {
            const int received = avcodec_receive_packet(context, packet);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return kResultOk;
            if (received < 0) return kResultFail;
            const int32_t written = sink({packet->data, static_cast<size_t>(packet->size)},
                                         (packet->flags & AV_PKT_FLAG_KEY) != 0);
            av_packet_unref(packet);
            if (Failed(written)) return written;
        }
    }
};

VideoEncoder::VideoEncoder() = default;
VideoEncoder::~VideoEncoder() = default;

void VideoEncoder::Close() {
    codec_.reset();
    open_ = false;
    streamHandler_ = 0;
    compression_ = 0;
    bitCount_ = 0;
    codecData_.clear();
    imageSize_ = 0;
}

int32_t VideoEncoder::Open(const VideoFrameFormat& format, const CompressionOptions& options) {
    Close();
    const uint64_t imageSize = FrameImageSize(format);
    if (imageSize == 0 || imageSize > UINT32_MAX || format.frameRate100 <= 0) return kResultFail;

    if (options.handler == kFourCCDib) {
        imageSize_ = static_cast<uint32_t>(imageSize);
        bitCount_ = static_cast<uint16_t>(format.bitsPerPixel);
        open_ = true;
        return kResultOk;
    }

    const EncoderEntry* entry = FindEntry(options.handler);
    const AVCodec* encoder = entry ? FindEncoder(*entry) : nullptr;
    if (!encoder) return kResultFail;
    const AVPixelFormat pixelFormat = ChoosePixelFormat(*encoder, format.bitsPerPixel);
    if (pixelFormat == AV_PIX_FMT_NONE) return kResultFail;

    auto codec = std::make_unique<Codec>();
    codec->context = avcodec_alloc_context3(encoder);
    codec->frame = av_frame_alloc();
    codec->packet = av_packet_alloc();
    if (!codec->context || !codec->frame || !codec->packet) return kResultOutOfMemory;

    AVCodecContext& context = *codec->context;
    context.width = format.width;
    context.height = format.height;
    context.pix_fmt = pixelFormat;
    av_reduce(&context.time_base.num, &context.time_base.den, 100, format.frameRate100, INT_MAX);
    context.framerate = av_inv_q(context.time_base);
    // One sample out for every frame in, so every frame's sample lands beside its audio:
    // no reordered frames, no frame threads, no look-ahead. Slices of one frame may be
    // encoded at once where the encoder can (MJPG, MPEG-4, FFV1), one thread a core.
    context.max_b_frames = 0;
    context.thread_type = FF_THREAD_SLICE;
    context.thread_count =
        std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxEncoderThreads);
    if (entry->rateControl == RateControl::Crf) {
        av_opt_set(context.priv_data, "tune", "zerolatency", 0);
        // Only errors: x264's notes and statistics are no part of a conversion's output.
        av_opt_set(context.priv_data, "x264-params", "log=0", 0);
    }
    if ((options.flags & kCompressKeyFrames) != 0 && options.keyFrameEvery > 0) {
        // Exactly every so many frames: some encoders (ZMBV) count from the minimum.
        context.gop_size = options.keyFrameEvery;
        context.keyint_min = options.keyFrameEvery;
    }
    ApplyRateControl(context, entry->rateControl, options);
    if (avcodec_open2(&context, encoder, nullptr) < 0) return kResultFail;

    codec->frame->format = pixelFormat;
    codec->frame->width = format.width;
    codec->frame->height = format.height;
    if (av_frame_get_buffer(codec->frame, 0) < 0) return kResultOutOfMemory;
    const AVPixelFormat source = format.bitsPerPixel == 32 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
    codec->yuv420 = DirectYuv420(pixelFormat);
    if (!codec->yuv420) {
        codec->scaler = MakeScaler(format, source, pixelFormat);
        if (!codec->scaler) return kResultFail;
        if (!codec->source.Allocate(format.width, format.height, format.bitsPerPixel / 8))
            return kResultOutOfMemory;
    }
    codec->stride =
        DibStride(static_cast<uint32_t>(format.width), static_cast<uint16_t>(format.bitsPerPixel));
    codec->width = format.width;
    codec->height = format.height;
    codec->bytesPerPixel = format.bitsPerPixel / 8;

    streamHandler_ = options.handler;
    compression_ = options.handler;
    // Some decoders (Huffyuv) learn the layout of the samples from the bit count.
    bitCount_ = static_cast<uint16_t>(
        context.bits_per_coded_sample > 0 ? context.bits_per_coded_sample : format.bitsPerPixel);
    if (context.extradata && context.extradata_size > 0)
        codecData_.assign(context.extradata, context.extradata + context.extradata_size);
    imageSize_ = static_cast<uint32_t>(imageSize);
    codec_ = std::move(codec);
    open_ = true;
    return kResultOk;
}

int32_t VideoEncoder::Encode(std::span<const uint8_t> frame, const SampleSink& sink) {
    if (!open_ || frame.size() != imageSize_) return kResultFail;
    if (!codec_) return sink(frame, true);

    Codec& codec = *codec_;
    if (av_frame_make_writable(codec.frame) < 0) return kResultOutOfMemory;
    // The rows are stored bottom-up: start at the last one and step backwards.
    const uint8_t* top = frame.data() + (codec.height - 1) * codec.stride;
    if (codec.yuv420) {
        ConvertToYuv420(top, -static_cast<ptrdiff_t>(codec.stride), codec.width, codec.height,
                        codec.bytesPerPixel, *codec.yuv420,
                        {codec.frame->data, codec.frame->linesize, codec.width, codec.height});
    } else {
        codec.source.Fill(top, codec.stride, codec.width, codec.height);
        sws_scale(codec.scaler, codec.source.Planes(), codec.source.LineSizes(), 0, codec.height,
                  codec.frame->data, codec.frame->linesize);
    }
    codec.frame->pts = codec.nextPts++;
    // The quantiser encoders take from each frame when their quality is fixed.
    codec.frame->quality = codec.context->global_quality;
    if (avcodec_send_frame(codec.context, codec.frame) < 0) return kResultFail;
    return codec.Drain(sink);
}

int32_t VideoEncoder::Flush(const SampleSink& sink) {
    if (!open_) return kResultFail;
    if (!codec_) return kResultOk;
    const int sent = avcodec_send_frame(codec_->context, nullptr);
    if (sent < 0 && sent != AVERROR_EOF) return kResultFail;
    return codec_->Drain(sink);
}

}  // namespace convert
