#include "swf/video/VideoDecoder.h"

#include <algorithm>
#include <atomic>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "swf/movie/VideoCharacter.h"
#include "swf/video/BlockEdgeFilter.h"
#include "swf/video/VideoPacket.h"

namespace swf {
namespace {

// What one decoder holds per pixel of its stream, counted against kMaxHeldBytes: the RGBA
// picture, the decoder's own reference pictures and the converter's rows.
constexpr size_t kBytesPerPixel = 16;

std::atomic<size_t> heldBytes{0};

AVCodecID codecId(uint8_t codec) {
    switch (codec) {
        case VideoCharacter::H263:
            return AV_CODEC_ID_FLV1;
        case VideoCharacter::ScreenVideo:
            return AV_CODEC_ID_FLASHSV;
        case VideoCharacter::ScreenVideo2:
            return AV_CODEC_ID_FLASHSV2;
        case VideoCharacter::Vp6:
            return AV_CODEC_ID_VP6F;
        case VideoCharacter::Vp6Alpha:
            return AV_CODEC_ID_VP6A;
        default:
            return AV_CODEC_ID_NONE;
    }
}

uint8_t clampedChannel(int32_t fixed) {
    // 16.16 fixed point, rounded to the nearest.
    return static_cast<uint8_t>(std::clamp((fixed + 32768) >> 16, 0, 255));
}

// The player's own conversion of 4:2:0 pictures: studio-range BT.601, each chroma sample
// shared as it is by the 2x2 pixels it covers (not interpolated), every channel rounded to
// the nearest. `alpha`, when the stream has one, is premultiplied in.
void convertYuv420(const AVFrame& frame, int width, int height, bool alpha,
                   std::vector<uint8_t>& rgba) {
    for (int y = 0; y < height; ++y) {
        const uint8_t* luma = frame.data[0] + static_cast<ptrdiff_t>(y) * frame.linesize[0];
        const uint8_t* blue = frame.data[1] + static_cast<ptrdiff_t>(y / 2) * frame.linesize[1];
        const uint8_t* red = frame.data[2] + static_cast<ptrdiff_t>(y / 2) * frame.linesize[2];
        const uint8_t* opacity =
            alpha ? frame.data[3] + static_cast<ptrdiff_t>(y) * frame.linesize[3] : nullptr;
        uint8_t* out = rgba.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
        for (int x = 0; x < width; ++x, out += 4) {
            const int32_t c = (luma[x] - 16) * 76309;
            const int32_t d = blue[x / 2] - 128;
            const int32_t e = red[x / 2] - 128;
            out[0] = clampedChannel(c + 104597 * e);
            out[1] = clampedChannel(c - 25675 * d - 53279 * e);
            out[2] = clampedChannel(c + 132201 * d);
            out[3] = opacity ? opacity[x] : 255;
            if (opacity)
                for (int i = 0; i < 3; ++i)
                    out[i] = static_cast<uint8_t>((out[i] * unsigned{out[3]} + 127) / 255);
        }
    }
}

int roundUp16(int n) {
    return (n + 15) / 16 * 16;
}

}  // namespace

VideoDecoder::VideoDecoder(const VideoCharacter& stream)
    : codec_(stream.codec()),
      deblocking_(stream.deblocking()),
      width_(stream.width()),
      height_(stream.height()) {
    if (width_ < 1 || height_ < 1 || width_ > kMaxSide || height_ > kMaxSide) {
        error_ = "its size " + std::to_string(width_) + "x" + std::to_string(height_) +
                 " is out of range";
        return;
    }
    const AVCodecID id = codecId(codec_);
    const AVCodec* codec = id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_decoder(id);
    if (!codec) {
        error_ = "no decoder for codec " + std::to_string(codec_);
        return;
    }
    const size_t bytes =
        static_cast<size_t>(roundUp16(width_)) * roundUp16(height_) * kBytesPerPixel;
    size_t held = heldBytes.load();
    do {
        if (held + bytes > kMaxHeldBytes) {
            error_ = "too many video pictures are held at once";
            return;
        }
    } while (!heldBytes.compare_exchange_weak(held, held + bytes));
    heldBytes_ = bytes;
    context_ = avcodec_alloc_context3(codec);
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (!context_ || !packet_ || !frame_) {
        error_ = "out of memory";
        return;
    }
    // VP6 keeps the declared size when its macroblocks cover it. Headers of another size are
    // refused before decoding; this bounds what a decoder may still allocate for its own
    // work (H.263's scratch pictures are a few times the stream's, and at least 192 by 280).
    context_->width = width_;
    context_->height = height_;
    context_->max_pixels = int64_t{16} * roundUp16(width_) * roundUp16(height_) + (1 << 20);
    context_->thread_count = 1;
    // The player's Sorenson decoder inverts its DCT in floating point; FFmpeg's float AAN
    // transform lands on the same pixels, where its default integer one comes out a level low.
    context_->idct_algo = FF_IDCT_FAAN;
    // "Off" in DefineVideoStream; VP6's loop filter is the only one these decoders skip.
    if (stream.deblocking() == 1) context_->skip_loop_filter = AVDISCARD_ALL;
    if (const int code = avcodec_open2(context_, codec, nullptr); code < 0) {
        fail("cannot open the decoder", code);
        avcodec_free_context(&context_);
    }
}

VideoDecoder::~VideoDecoder() {
    sws_freeContext(scaler_);
    avcodec_free_context(&context_);
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    av_frame_free(&rgba_);
    av_frame_free(&smoothed_);
    heldBytes -= heldBytes_;
}

bool VideoDecoder::fail(const char* what, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    error_ = std::string(what) + ": " + text;
    return false;
}

bool VideoDecoder::outOfMemory() {
    error_ = "out of memory";
    return false;
}

void VideoDecoder::restart() {
    if (context_ && !failed()) avcodec_flush_buffers(context_);
}

bool VideoDecoder::decode(std::span<const uint8_t> data, Bitmap* picture) {
    if (!context_ || failed()) return false;
    bool valid = false;
    const VideoPacket::Info info = VideoPacket::inspect(codec_, data, valid);
    // A frame of another size never reaches the decoder; the stream goes on without it.
    if (!valid || !VideoPacket::fits(codec_, info, width_, height_)) return true;
    av_packet_unref(packet_);
    // av_new_packet zeroes the AV_INPUT_BUFFER_PADDING_SIZE bytes the decoders may read.
    if (av_new_packet(packet_, static_cast<int>(data.size())) < 0) return outOfMemory();
    std::copy(data.begin(), data.end(), packet_->data);
    if (info.key) packet_->flags |= AV_PKT_FLAG_KEY;
    if (const int code = avcodec_send_packet(context_, packet_); code < 0)
        return fail("a frame could not be decoded", code);
    for (;;) {
        const int code = avcodec_receive_frame(context_, frame_);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return true;
        if (code < 0) return fail("a frame could not be decoded", code);
        const bool sized = frame_->width == width_ && frame_->height == height_;
        const bool smooth = codec_ == VideoCharacter::H263 &&
                            (deblocking_ == 0 ? info.deblock : deblocking_ >= 2) &&
                            frame_->format == AV_PIX_FMT_YUV420P;
        const AVFrame* shown =
            picture && sized && smooth ? smoothBlockEdges(info.quantizer) : frame_;
        if (!shown) {
            av_frame_unref(frame_);
            return outOfMemory();
        }
        const bool converted = !picture || !sized || convert(*shown, *picture);
        av_frame_unref(frame_);
        if (!converted) return false;
    }
}

const AVFrame* VideoDecoder::smoothBlockEdges(int quantizer) {
    if (!smoothed_) {
        smoothed_ = av_frame_alloc();
        if (!smoothed_) return nullptr;
        smoothed_->format = frame_->format;
        smoothed_->width = width_;
        smoothed_->height = height_;
        if (av_frame_get_buffer(smoothed_, 0) < 0) {
            av_frame_free(&smoothed_);
            return nullptr;
        }
    }
    if (av_frame_copy(smoothed_, frame_) < 0) return nullptr;
    BlockEdgeFilter::apply(smoothed_->data[0], width_, height_, smoothed_->linesize[0], quantizer);
    for (int plane = 1; plane < 3; ++plane)
        BlockEdgeFilter::apply(smoothed_->data[plane], (width_ + 1) / 2, (height_ + 1) / 2,
                               smoothed_->linesize[plane], quantizer);
    return smoothed_;
}

bool VideoDecoder::convert(const AVFrame& source, Bitmap& picture) {
    const auto format = static_cast<AVPixelFormat>(source.format);
    if (format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVA420P) {
        picture.width = width_;
        picture.height = height_;
        picture.rgba.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4);
        convertYuv420(source, width_, height_, format == AV_PIX_FMT_YUVA420P, picture.rgba);
        return true;
    }
    scaler_ = sws_getCachedContext(scaler_, width_, height_, format, width_, height_,
                                   AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!scaler_) {
        error_ = "the decoder's pictures cannot be converted";
        return false;
    }
    // swscale writes whole vector blocks past a row's last pixel: it converts into a picture
    // of FFmpeg's own alignment and padding, whose rows are copied out after.
    if (!rgba_) {
        rgba_ = av_frame_alloc();
        if (!rgba_) return outOfMemory();
        rgba_->format = AV_PIX_FMT_RGBA;
        rgba_->width = width_;
        rgba_->height = height_;
        if (av_frame_get_buffer(rgba_, 0) < 0) {
            av_frame_free(&rgba_);
            return outOfMemory();
        }
    }
    sws_scale(scaler_, source.data, source.linesize, 0, height_, rgba_->data, rgba_->linesize);
    picture.width = width_;
    picture.height = height_;
    const size_t rowBytes = static_cast<size_t>(width_) * 4;
    picture.rgba.resize(rowBytes * static_cast<size_t>(height_));
    for (int y = 0; y < height_; ++y)
        std::copy_n(rgba_->data[0] + static_cast<ptrdiff_t>(y) * rgba_->linesize[0], rowBytes,
                    picture.rgba.data() + rowBytes * static_cast<size_t>(y));
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    if (descriptor && (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA)) {
        for (size_t i = 0; i < picture.rgba.size(); i += 4) {
            const unsigned alpha = picture.rgba[i + 3];
            for (size_t c = 0; c < 3; ++c)
                picture.rgba[i + c] =
                    static_cast<uint8_t>((picture.rgba[i + c] * alpha + 127) / 255);
        }
    }
    return true;
}

}  // namespace swf
