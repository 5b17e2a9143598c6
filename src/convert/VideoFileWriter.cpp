#include "convert/VideoFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <tuple>
#include <vector>

#include "convert/GifPalette.h"
#include "convert/ScalerInput.h"
#include "convert/TempFile.h"
#include "convert/Yuv420Conversion.h"
#include "resources/ResultCode.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace convert {
namespace {

constexpr uint16_t kWaveFormatFloat = 3;
constexpr uint16_t kWaveFormatExtensible = 0xFFFE;
// Sound is read and converted this many samples at a time.
constexpr int kAudioChunk = 4096;

std::string ErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

// FFmpeg's informational chatter would fill a terminal; errors still come through.
void QuietenFfmpeg() {
    if (av_log_get_level() == AV_LOG_INFO) av_log_set_level(AV_LOG_ERROR);
}

// The sample format of a WAV file's PCM data as swresample reads it; 24-bit samples are
// widened to 32 bits first.
AVSampleFormat InputSampleFormat(const audio::WaveFormat& format) {
    const bool floating = format.formatTag == kWaveFormatFloat;
    if (format.formatTag != audio::kWaveFormatPcm && !floating &&
        format.formatTag != kWaveFormatExtensible)
        return AV_SAMPLE_FMT_NONE;
    switch (format.bitsPerSample) {
        case 8:
            return floating ? AV_SAMPLE_FMT_NONE : AV_SAMPLE_FMT_U8;
        case 16:
            return floating ? AV_SAMPLE_FMT_NONE : AV_SAMPLE_FMT_S16;
        case 24:
            return floating ? AV_SAMPLE_FMT_NONE : AV_SAMPLE_FMT_S32;
        case 32:
            return floating ? AV_SAMPLE_FMT_FLT : AV_SAMPLE_FMT_S32;
        default:
            return AV_SAMPLE_FMT_NONE;
    }
}

// Samples from 0 to the end of `frames` frames at this rate.
int64_t SamplesUpTo(int64_t frames, int64_t sampleRate, int32_t frameRate100) {
    return frames * sampleRate * 100 / frameRate100;
}

}  // namespace

struct VideoFileWriter::State {
    VideoFileTarget target;
    std::filesystem::path scratch;
    AVFormatContext* format = nullptr;
    bool fileOpen = false;
    AVPacket* packet = nullptr;

    AVCodecContext* video = nullptr;
    AVStream* videoStream = nullptr;
    AVFrame* picture = nullptr;
    SwsContext* scaler = nullptr;
    int32_t codedWidth = 0;
    int32_t codedHeight = 0;
    int bytesPerPixel = 3;
    ScalerInput source;  // a frame with its edge repeated, top-down

    // GIF: frames as tightly packed top-down BGR rows in a temporary file.
    bool gif = false;
    std::string spoolPath;
    FILE* spool = nullptr;
    GifPalette palette;
    std::vector<uint8_t> row;

    AVCodecContext* audio = nullptr;
    AVStream* audioStream = nullptr;
    SwrContext* resampler = nullptr;
    AVAudioFifo* fifo = nullptr;
    AVFrame* sound = nullptr;
    int frameSize = 0;
    SoundInput* input = nullptr;
    audio::WaveFormat inputFormat;
    int64_t inputSamples = 0;
    int64_t queuedSamples = 0;
    int64_t encodedSamples = 0;
    std::vector<uint8_t> readBuffer;
    std::vector<int32_t> widened;

    ~State() {
        sws_freeContext(scaler);
        av_frame_free(&picture);
        av_frame_free(&sound);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        swr_free(&resampler);
        if (fifo) av_audio_fifo_free(fifo);
        av_packet_free(&packet);
        if (format) {
            if (fileOpen) avio_closep(&format->pb);
            avformat_free_context(format);
        }
        if (spool) std::fclose(spool);
        if (!spoolPath.empty()) std::remove(spoolPath.c_str());
    }
};

VideoFileWriter::VideoFileWriter() = default;

VideoFileWriter::~VideoFileWriter() {
    Discard();
}

bool VideoFileWriter::HasEncoder(const std::string& name) {
    return avcodec_find_encoder_by_name(name.c_str()) != nullptr;
}

bool VideoFileWriter::ContainerHolds(const std::string& formatName,
                                     const std::string& encoderName) {
    const AVOutputFormat* muxer = av_guess_format(formatName.c_str(), nullptr, nullptr);
    const AVCodec* encoder = avcodec_find_encoder_by_name(encoderName.c_str());
    if (!muxer || !encoder) return false;
    return avformat_query_codec(muxer, encoder->id, FF_COMPLIANCE_NORMAL) != 0;
}

std::pair<int32_t, int32_t> VideoFileWriter::CodedSize(const std::string& pixelFormat,
                                                       int32_t width, int32_t height) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(av_get_pix_fmt(pixelFormat.c_str()));
    if (!descriptor) return {width, height};
    const auto even = [](int32_t side) { return side + (side & 1); };
    return {descriptor->log2_chroma_w ? even(width) : width,
            descriptor->log2_chroma_h ? even(height) : height};
}

std::string VideoFileWriter::Fail(const std::string& what, int error) {
    if (error == AVERROR(ENOSPC))
        return "the disk is full: could not write " + state_->target.path.string();
    if (error == AVERROR(EFBIG))
        return "the file grew past the largest size allowed here: could not write " +
               state_->target.path.string();
    return what + ": " + ErrorText(error);
}

std::string VideoFileWriter::Open(const VideoFileTarget& target, SoundInput* audio) {
    Discard();
    QuietenFfmpeg();
    std::string failed = Start(target, audio);
    if (!failed.empty()) Discard();
    return failed;
}

std::string VideoFileWriter::Start(const VideoFileTarget& target, SoundInput* audio) {
    state_ = std::make_unique<State>();
    State& s = *state_;
    s.target = target;
    framesWritten_ = 0;
    if (target.width < 1 || target.height < 1 || target.width > FrameBuffer::kMaxSide ||
        target.height > FrameBuffer::kMaxSide || target.frameRate100 <= 0)
        return "no frames of that size or rate can be written";

    const AVOutputFormat* muxer = av_guess_format(target.formatName.c_str(), nullptr, nullptr);
    if (!muxer) return "this FFmpeg cannot write " + target.formatName + " files";
    s.scratch = target.path;
    s.scratch += ".partial";
    if (avformat_alloc_output_context2(&s.format, muxer, nullptr, s.scratch.c_str()) < 0)
        return "out of memory";
    s.packet = av_packet_alloc();

    // The video encoder, with the options it is asked for; one it does not take is refused.
    std::string name = target.videoEncoder;
    std::tie(s.codedWidth, s.codedHeight) =
        CodedSize(target.pixelFormat, target.width, target.height);
    // SVT-AV1 takes no picture under 64 pixels a side; libaom does.
    if (name == "libsvtav1" && (s.codedWidth < 64 || s.codedHeight < 64) &&
        HasEncoder("libaom-av1"))
        name = "libaom-av1";
    if (name == "libsvtav1") setenv("SVT_LOG", "1", 0);  // its banner on stderr otherwise
    const AVCodec* encoder = avcodec_find_encoder_by_name(name.c_str());
    const AVPixelFormat pixelFormat = av_get_pix_fmt(target.pixelFormat.c_str());
    if (!encoder || pixelFormat == AV_PIX_FMT_NONE)
        return "this FFmpeg has no " + name + " encoder";
    s.gif = encoder->id == AV_CODEC_ID_GIF;
    s.video = avcodec_alloc_context3(encoder);
    s.picture = av_frame_alloc();
    if (!s.packet || !s.video || !s.picture) return "out of memory";
    s.video->width = s.codedWidth;
    s.video->height = s.codedHeight;
    s.video->pix_fmt = pixelFormat;
    s.video->framerate = {target.frameRate100, 100};
    // A GIF counts time in hundredths of a second; other files count frames.
    s.video->time_base = s.gif ? AVRational{1, 100} : AVRational{100, target.frameRate100};
    av_reduce(&s.video->time_base.num, &s.video->time_base.den, s.video->time_base.num,
              s.video->time_base.den, 1 << 30);
    s.video->sample_aspect_ratio = {1, 1};
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(pixelFormat);
    if (descriptor && !(descriptor->flags & AV_PIX_FMT_FLAG_RGB) && !s.gif) {
        // swscale's conversion: BT.601 coefficients, limited range.
        s.video->colorspace = AVCOL_SPC_SMPTE170M;
        s.video->color_range = AVCOL_RANGE_MPEG;
    }
    if (muxer->flags & AVFMT_GLOBALHEADER) s.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const bool quickTime = target.formatName == "mp4" || target.formatName == "mov";
    if (encoder->id == AV_CODEC_ID_HEVC && quickTime)
        s.video->codec_tag = MKTAG('h', 'v', 'c', '1');

    AVDictionary* options = nullptr;
    const bool vpx = name == "libvpx-vp9", aom = name == "libaom-av1";
    int32_t crf = target.crf;
    // Without a quality these two aim at a low bitrate; constant quality suits cartoons.
    if (crf < 0 && vpx) crf = 31;
    if (crf < 0 && aom) crf = 32;
    if (crf >= 0) av_dict_set_int(&options, "crf", crf, 0);
    if (vpx || aom) {
        av_dict_set(&options, "b", "0", 0);
        av_dict_set(&options, "row-mt", "1", 0);
        if (target.preset.empty()) av_dict_set(&options, "cpu-used", aom ? "6" : "4", 0);
    }
    if (!target.preset.empty())
        av_dict_set(&options, vpx ? "deadline" : "preset", target.preset.c_str(), 0);
    // x265's lookahead writes out of bounds in its cutree pass on pictures smaller than its
    // 64-pixel blocks.
    if (name == "libx265")
        av_dict_set(&options, "x265-params",
                    s.codedWidth < 64 || s.codedHeight < 64 ? "log-level=error:cutree=0"
                                                            : "log-level=error",
                    0);
    if (name == "prores_ks")
        av_dict_set(&options, "profile", pixelFormat == AV_PIX_FMT_YUVA444P10LE ? "4444" : "hq", 0);
    int error = avcodec_open2(s.video, encoder, &options);
    const AVDictionaryEntry* unused = av_dict_get(options, "", nullptr, AV_DICT_IGNORE_SUFFIX);
    const std::string unusedName = unused ? unused->key : "";
    av_dict_free(&options);
    if (error < 0) {
        const std::string asked =
            std::string(target.preset.empty() ? "" : " --preset " + target.preset) +
            (target.crf >= 0 ? " --crf " + std::to_string(target.crf) : "");
        return "could not start the " + name + " encoder" + (asked.empty() ? "" : " with" + asked) +
               ": " + ErrorText(error);
    }
    if (unusedName == "crf" || unusedName == "preset" || unusedName == "deadline")
        return name + " takes no --" + (unusedName == "crf" ? "crf" : "preset");
    s.videoStream = avformat_new_stream(s.format, nullptr);
    if (!s.videoStream || avcodec_parameters_from_context(s.videoStream->codecpar, s.video) < 0)
        return "out of memory";
    s.videoStream->time_base = s.video->time_base;
    s.videoStream->avg_frame_rate = s.video->framerate;
    s.picture->format = pixelFormat;
    s.picture->width = s.codedWidth;
    s.picture->height = s.codedHeight;
    if (av_frame_get_buffer(s.picture, 0) < 0) return "out of memory";

    if (audio && !target.audioEncoder.empty()) {
        if (std::string refused = OpenAudio(*audio); !refused.empty()) return refused;
    }

    // Only now is anything put on disk.
    if (s.gif) {
        s.spoolPath = MakeTempFileName();
        s.spool = s.spoolPath.empty() ? nullptr : std::fopen(s.spoolPath.c_str(), "w+b");
        if (!s.spool) return "could not make a temporary file for the GIF's frames";
    }
    if (!(muxer->flags & AVFMT_NOFILE)) {
        error = avio_open(&s.format->pb, s.scratch.c_str(), AVIO_FLAG_WRITE);
        if (error < 0) return Fail("could not create " + s.scratch.string(), error);
        s.fileOpen = true;
    }
    AVDictionary* muxerOptions = nullptr;
    if (target.formatName == "mp4") av_dict_set(&muxerOptions, "movflags", "+faststart", 0);
    error = avformat_write_header(s.format, &muxerOptions);
    av_dict_free(&muxerOptions);
    if (error < 0) return Fail("could not start " + target.path.string(), error);
    return {};
}

std::string VideoFileWriter::OpenAudio(SoundInput& source) {
    State& s = *state_;
    const audio::WaveFormat* format = &source.Format();
    const AVSampleFormat inputFormat = InputSampleFormat(*format);
    if (inputFormat == AV_SAMPLE_FMT_NONE || format->channels < 1 || format->samplesPerSec < 1 ||
        format->blockAlign != format->channels * format->bitsPerSample / 8)
        return "the sound is not PCM that can be converted";
    s.inputFormat = *format;
    const AVCodec* encoder = avcodec_find_encoder_by_name(s.target.audioEncoder.c_str());
    if (!encoder) return "this FFmpeg has no " + s.target.audioEncoder + " encoder";
    s.audio = avcodec_alloc_context3(encoder);
    s.sound = av_frame_alloc();
    if (!s.audio || !s.sound) return "out of memory";

    // The WAV file's rate when the encoder takes it, else 48 kHz, else the encoder's first.
    int rate = static_cast<int>(format->samplesPerSec);
    if (const int* rates = encoder->supported_samplerates) {
        bool taken = false, has48k = false;
        for (const int* r = rates; *r; ++r) {
            taken = taken || *r == rate;
            has48k = has48k || *r == 48000;
        }
        if (!taken) rate = has48k ? 48000 : rates[0];
    }
    s.audio->sample_rate = rate;
    s.audio->sample_fmt = encoder->sample_fmts ? encoder->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&s.audio->ch_layout, std::min<int>(format->channels, 2));
    s.audio->time_base = {1, rate};
    if (s.target.audioBitrateK > 0) s.audio->bit_rate = int64_t{s.target.audioBitrateK} * 1000;
    if (s.format->oformat->flags & AVFMT_GLOBALHEADER)
        s.audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (const int error = avcodec_open2(s.audio, encoder, nullptr); error < 0)
        return "could not start the " + s.target.audioEncoder + " encoder: " + ErrorText(error);
    s.frameSize = s.audio->frame_size > 0 ? s.audio->frame_size : 1024;

    AVChannelLayout inputLayout{};
    av_channel_layout_default(&inputLayout, format->channels);
    const int made = swr_alloc_set_opts2(&s.resampler, &s.audio->ch_layout, s.audio->sample_fmt,
                                         rate, &inputLayout, inputFormat,
                                         static_cast<int>(format->samplesPerSec), 0, nullptr);
    av_channel_layout_uninit(&inputLayout);
    if (made < 0 || swr_init(s.resampler) < 0)
        return "the sound cannot be converted to " + s.target.audioEncoder;
    s.fifo =
        av_audio_fifo_alloc(s.audio->sample_fmt, s.audio->ch_layout.nb_channels, s.frameSize * 2);
    s.audioStream = avformat_new_stream(s.format, nullptr);
    if (!s.fifo || !s.audioStream ||
        avcodec_parameters_from_context(s.audioStream->codecpar, s.audio) < 0)
        return "out of memory";
    s.audioStream->time_base = s.audio->time_base;

    s.input = &source;
    return {};
}

std::string VideoFileWriter::WriteFrame(const FrameBuffer& frame) {
    if (!state_ || !state_->format) return "the video file is not open";
    State& s = *state_;
    const BitmapInfoHeader& header = frame.header();
    if (frame.empty() || header.width != s.target.width ||
        std::abs(header.height) != s.target.height ||
        (header.bitCount != 24 && header.bitCount != 32))
        return "a frame does not have the video's size";
    s.bytesPerPixel = header.bitCount / 8;
    const size_t stride = frame.stride();
    const uint8_t* top = frame.pixels().data() + stride * static_cast<size_t>(s.target.height - 1);
    const int width = s.target.width, height = s.target.height;

    if (s.gif) {
        // Kept as blue, green, red rows until the palette is known.
        s.row.resize(static_cast<size_t>(width) * 3);
        for (int y = 0; y < height; ++y) {
            const uint8_t* from = top - stride * static_cast<size_t>(y);
            for (int x = 0; x < width; ++x)
                std::memcpy(&s.row[static_cast<size_t>(x) * 3],
                            from + static_cast<size_t>(x) * s.bytesPerPixel, 3);
            s.palette.Add(s.row.data(), static_cast<size_t>(width));
            if (std::fwrite(s.row.data(), 1, s.row.size(), s.spool) != s.row.size())
                return errno == ENOSPC ? "the disk is full: the GIF's frames do not fit in the "
                                         "temporary folder"
                                       : "could not keep the GIF's frames in a temporary file";
        }
        ++framesWritten_;
        return {};
    }

    if (av_frame_make_writable(s.picture) < 0) return "out of memory";
    if (s.video->pix_fmt == AV_PIX_FMT_YUV420P) {
        ConvertToYuv420(top, -static_cast<ptrdiff_t>(stride), width, height, s.bytesPerPixel,
                        YuvRange::Studio,
                        {s.picture->data, s.picture->linesize, s.codedWidth, s.codedHeight});
    } else if (std::string failed = Scale(top, stride); !failed.empty()) {
        return failed;
    }
    s.picture->pts = framesWritten_;
    if (std::string failed = EncodeVideo(false); !failed.empty()) return failed;
    ++framesWritten_;
    return WriteAudioUpTo(framesWritten_);
}

std::string VideoFileWriter::Scale(const uint8_t* top, size_t stride) {
    State& s = *state_;
    const int width = s.target.width, height = s.target.height;
    const AVPixelFormat source = s.bytesPerPixel == 4 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
    // Copied top-down, the last column and row repeated up to the even size the pixel
    // format may need.
    if (!s.source.Allocate(s.codedWidth, s.codedHeight, s.bytesPerPixel)) return "out of memory";
    s.source.Fill(top, stride, width, height);
    s.scaler = sws_getCachedContext(s.scaler, s.codedWidth, s.codedHeight, source, s.codedWidth,
                                    s.codedHeight, s.video->pix_fmt, SWS_BICUBIC | SWS_ACCURATE_RND,
                                    nullptr, nullptr, nullptr);
    if (!s.scaler) return "out of memory";
    sws_scale(s.scaler, s.source.Planes(), s.source.LineSizes(), 0, s.codedHeight,
              s.picture->data, s.picture->linesize);
    return {};
}

std::string VideoFileWriter::WritePackets(AVCodecContext* codec, AVStream* stream) {
    State& s = *state_;
    for (;;) {
        int error = avcodec_receive_packet(codec, s.packet);
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) return {};
        if (error < 0)
            return Fail("the " + std::string(codec->codec->name) + " encoder failed", error);
        av_packet_rescale_ts(s.packet, codec->time_base, stream->time_base);
        s.packet->stream_index = stream->index;
        error = av_interleaved_write_frame(s.format, s.packet);
        if (error < 0) return Fail("could not write " + s.target.path.string(), error);
    }
}

std::string VideoFileWriter::EncodeVideo(bool flush) {
    State& s = *state_;
    const int error = avcodec_send_frame(s.video, flush ? nullptr : s.picture);
    if (error < 0) return Fail("the " + s.target.videoEncoder + " encoder failed", error);
    return WritePackets(s.video, s.videoStream);
}

std::string VideoFileWriter::QueueSound(const uint8_t* const* input, int count) {
    State& s = *state_;
    const int room = swr_get_out_samples(s.resampler, count);
    if (room < 0) return "the sound cannot be converted";
    uint8_t** converted = nullptr;
    if (av_samples_alloc_array_and_samples(&converted, nullptr, s.audio->ch_layout.nb_channels,
                                           std::max(room, 1), s.audio->sample_fmt, 0) < 0)
        return "out of memory";
    const int made = swr_convert(s.resampler, converted, std::max(room, 1),
                                 const_cast<const uint8_t**>(input), count);
    // Never more sound than the frames so far last.
    const int64_t limit = SamplesUpTo(framesWritten_, s.audio->sample_rate, s.target.frameRate100);
    const int64_t kept = std::clamp<int64_t>(limit - s.queuedSamples, 0, std::max(made, 0));
    int written = kept > 0 ? av_audio_fifo_write(s.fifo, reinterpret_cast<void**>(converted),
                                                 static_cast<int>(kept))
                           : 0;
    av_freep(&converted[0]);
    av_freep(&converted);
    if (made < 0 || written < 0) return "the sound cannot be converted";
    s.queuedSamples += written;
    return EncodeAudio(false);
}

std::string VideoFileWriter::WriteAudioUpTo(int64_t frames) {
    State& s = *state_;
    if (!s.audio) return {};
    const audio::WaveFormat& format = s.inputFormat;
    const int64_t wanted = SamplesUpTo(frames, format.samplesPerSec, s.target.frameRate100);
    const size_t block = format.blockAlign;
    const uint8_t silence = format.bitsPerSample == 8 ? 0x80 : 0;
    while (s.inputSamples < wanted) {
        const int count = static_cast<int>(std::min<int64_t>(wanted - s.inputSamples, kAudioChunk));
        s.readBuffer.assign(block * static_cast<size_t>(count), silence);
        uint32_t got = 0;
        if (s.input && Failed(s.input->Read(s.readBuffer.data(),
                                            static_cast<uint32_t>(s.readBuffer.size()), got)))
            got = 0;
        const bool growing = s.input && s.input->Growing();
        if (got < s.readBuffer.size() && !growing) s.input = nullptr;  // silence from here on
        // The movie's sound not made yet waits for the next frame; past a file's end (and in
        // a torn last sample) there is silence.
        const int taken = growing ? static_cast<int>(got / block) : count;
        if (taken == 0) break;
        std::fill(s.readBuffer.begin() + static_cast<std::ptrdiff_t>(got / block * block),
                  s.readBuffer.end(), silence);
        const uint8_t* planes[1] = {s.readBuffer.data()};
        if (format.bitsPerSample == 24) {
            s.widened.resize(static_cast<size_t>(taken) * format.channels);
            for (size_t i = 0; i < s.widened.size(); ++i) {
                const uint8_t* b = &s.readBuffer[i * 3];
                s.widened[i] = static_cast<int32_t>(uint32_t{b[0]} << 8 | uint32_t{b[1]} << 16 |
                                                    uint32_t{b[2]} << 24);
            }
            planes[0] = reinterpret_cast<const uint8_t*>(s.widened.data());
        }
        s.inputSamples += taken;
        if (std::string failed = QueueSound(planes, taken); !failed.empty()) return failed;
        if (taken < count) break;
    }
    return {};
}

std::string VideoFileWriter::EncodeAudio(bool flush) {
    State& s = *state_;
    while (av_audio_fifo_size(s.fifo) >= s.frameSize || (flush && av_audio_fifo_size(s.fifo) > 0)) {
        const int count = std::min(av_audio_fifo_size(s.fifo), s.frameSize);
        av_frame_unref(s.sound);
        s.sound->nb_samples = count;
        s.sound->format = s.audio->sample_fmt;
        s.sound->sample_rate = s.audio->sample_rate;
        if (av_channel_layout_copy(&s.sound->ch_layout, &s.audio->ch_layout) < 0 ||
            av_frame_get_buffer(s.sound, 0) < 0)
            return "out of memory";
        if (av_audio_fifo_read(s.fifo, reinterpret_cast<void**>(s.sound->data), count) != count)
            return "the sound cannot be converted";
        s.sound->pts = s.encodedSamples;
        s.encodedSamples += count;
        const int error = avcodec_send_frame(s.audio, s.sound);
        if (error < 0) return Fail("the " + s.target.audioEncoder + " encoder failed", error);
        if (std::string failed = WritePackets(s.audio, s.audioStream); !failed.empty())
            return failed;
    }
    if (!flush) return {};
    const int error = avcodec_send_frame(s.audio, nullptr);
    if (error < 0) return Fail("the " + s.target.audioEncoder + " encoder failed", error);
    return WritePackets(s.audio, s.audioStream);
}

std::string VideoFileWriter::FinishSound() {
    State& s = *state_;
    if (!s.audio) return {};
    // What the resampler still holds, then silence up to the end of the last frame.
    if (std::string failed = QueueSound(nullptr, 0); !failed.empty()) return failed;
    const int64_t total = SamplesUpTo(framesWritten_, s.audio->sample_rate, s.target.frameRate100);
    uint8_t** silence = nullptr;
    if (av_samples_alloc_array_and_samples(&silence, nullptr, s.audio->ch_layout.nb_channels,
                                           s.frameSize, s.audio->sample_fmt, 0) < 0)
        return "out of memory";
    av_samples_set_silence(silence, 0, s.frameSize, s.audio->ch_layout.nb_channels,
                           s.audio->sample_fmt);
    std::string failed;
    while (failed.empty() && s.queuedSamples < total) {
        const int count = static_cast<int>(std::min<int64_t>(total - s.queuedSamples, s.frameSize));
        if (av_audio_fifo_write(s.fifo, reinterpret_cast<void**>(silence), count) != count)
            failed = "out of memory";
        s.queuedSamples += count;
        if (failed.empty()) failed = EncodeAudio(false);
    }
    av_freep(&silence[0]);
    av_freep(&silence);
    return failed.empty() ? EncodeAudio(true) : failed;
}

std::string VideoFileWriter::FinishGif() {
    State& s = *state_;
    s.palette.Build();
    const std::vector<uint32_t>& colours = s.palette.Colours();
    const size_t rowBytes = static_cast<size_t>(s.target.width) * 3;
    s.row.resize(rowBytes);
    if (std::fflush(s.spool) != 0 || std::fseek(s.spool, 0, SEEK_SET) != 0)
        return "could not read the GIF's frames back";
    // Delays are whole hundredths: each frame starts at its own time rounded, so that short
    // and long delays alternate and the average is the frame rate's.
    const auto startOf = [&](int64_t frame) {
        return static_cast<int64_t>(
            std::llround(static_cast<double>(frame) * 10000.0 / s.target.frameRate100));
    };
    int64_t previous = -1;
    for (int64_t frame = 0; frame < framesWritten_; ++frame) {
        if (av_frame_make_writable(s.picture) < 0) return "out of memory";
        uint32_t* palette = reinterpret_cast<uint32_t*>(s.picture->data[1]);
        std::fill(palette, palette + 256, 0xFF000000u);
        std::copy(colours.begin(), colours.end(), palette);
        for (int y = 0; y < s.target.height; ++y) {
            if (std::fread(s.row.data(), 1, rowBytes, s.spool) != rowBytes)
                return "could not read the GIF's frames back";
            uint8_t* to = s.picture->data[0] + static_cast<ptrdiff_t>(y) * s.picture->linesize[0];
            for (int x = 0; x < s.target.width; ++x) {
                const uint8_t* bgr = &s.row[static_cast<size_t>(x) * 3];
                to[x] = s.palette.IndexOf(bgr[0], bgr[1], bgr[2]);
            }
        }
        previous = std::max(previous + 1, startOf(frame));
        s.picture->pts = previous;
        if (std::string failed = EncodeVideo(false); !failed.empty()) return failed;
    }
    // The last frame lasts up to the end of the file's time, at least a hundredth.
    const int64_t lastDelay = std::max<int64_t>(1, startOf(framesWritten_) - previous);
    av_opt_set_int(s.format->priv_data, "final_delay", lastDelay, 0);
    return EncodeVideo(true);
}

std::string VideoFileWriter::Close() {
    if (!state_ || !state_->format) return "the video file is not open";
    State& s = *state_;
    std::string failed;
    if (framesWritten_ == 0) failed = "no frame was written";
    if (failed.empty()) failed = s.gif ? FinishGif() : FinishSound();
    if (failed.empty() && !s.gif) failed = EncodeVideo(true);
    if (failed.empty()) {
        const int error = av_write_trailer(s.format);
        if (error < 0) failed = Fail("could not finish " + s.target.path.string(), error);
    }
    if (failed.empty() && s.fileOpen) {
        const int error = avio_closep(&s.format->pb);
        s.fileOpen = false;
        if (error < 0) failed = Fail("could not finish " + s.target.path.string(), error);
    }
    if (failed.empty()) {
        std::error_code renamed;
        std::filesystem::rename(s.scratch, s.target.path, renamed);
        if (renamed)
            failed = "could not name the file " + s.target.path.string() + ": " + renamed.message();
    }
    if (!failed.empty()) {
        Discard();
        return failed;
    }
    state_.reset();
    return {};
}

void VideoFileWriter::Discard() {
    if (!state_) return;
    const std::filesystem::path scratch = state_->scratch;
    state_.reset();  // closes the file first
    std::error_code ignored;
    if (!scratch.empty()) std::filesystem::remove(scratch, ignored);
}

}  // namespace convert
