// The engine's sound: a tone of known frequency and level in every codec, rate and channel
// layout comes out of the mix as that tone; event sounds start on their frame to the sample;
// a stream follows its timeline through loops, gotos and stops; SoundInfo's points, loops,
// envelope, no-multiple and stop; scripts' sounds; and bad sound data that only ends itself.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <span>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include "TestMovie.h"
#include "support/ActionBuilder.h"
#include "support/BitWriter.h"
#include "support/ButtonBuilder.h"
#include "support/SwfWriter.h"
#include "swf/player/Player.h"
#include "swf/sound/AdpcmDecoder.h"
#include "swf/sound/Resampler.h"

namespace {

using swftest::SoundCodec;
using swftest::SoundFormat;
using swftest::SoundRate;
using swftest::SwfWriter;

constexpr uint32_t kMixRate = 44100;

uint32_t RateHz(SoundRate rate) {
    static constexpr uint32_t kRates[] = {5512, 11025, 22050, 44100};
    return kRates[static_cast<int>(rate)];
}

// A sine of `hz` at `rate`; the right channel (when there is one) at half the level.
std::vector<int16_t> Tone(double hz, uint32_t rate, size_t frames, double level, int channels) {
    std::vector<int16_t> out;
    for (size_t i = 0; i < frames; ++i) {
        const double v =
            level * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate);
        out.push_back(static_cast<int16_t>(std::lrint(v)));
        if (channels == 2) out.push_back(static_cast<int16_t>(std::lrint(v / 2)));
    }
    return out;
}

// Plays `frames` frames of the movie and returns their sound at 44.1 kHz stereo. `between`
// runs before each frame's tick with the frame's number (gotos, stops).
std::vector<int16_t> PlaySound(const SwfWriter& movie, int frames,
                               const std::function<void(swf::Player&, int)>& between = {}) {
    swf::Player player;
    player.SetSoundOutput(kMixRate, 2);
    enginetest::Load(player, movie);
    std::vector<int16_t> all;
    const double fps = player.Header()->frameRate;
    const auto upTo = [&](int n) {
        return static_cast<size_t>(static_cast<long double>(n) * kMixRate / fps);
    };
    for (int n = 0; n < frames; ++n) {
        if (between) between(player, n);
        player.advanceFrame();
        std::vector<int16_t> interval((upTo(n + 1) - upTo(n)) * 2);
        EXPECT_EQ(player.TakeSound(interval), interval.size()) << "frame " << n;
        all.insert(all.end(), interval.begin(), interval.end());
    }
    return all;
}

// The sine at `hz` that best fits one channel of a stretch of stereo sound, and the RMS of
// what is left over.
struct ToneFit {
    double level = 0;
    double residual = 0;
};
ToneFit FitTone(std::span<const int16_t> stereo, int channel, size_t from, size_t count,
                double hz) {
    double c = 0, s = 0;
    for (size_t i = from; i < from + count; ++i) {
        const double phase = 2 * std::numbers::pi * hz * static_cast<double>(i) / kMixRate;
        c += stereo[2 * i + channel] * std::cos(phase);
        s += stereo[2 * i + channel] * std::sin(phase);
    }
    c *= 2.0 / count;
    s *= 2.0 / count;
    double rest = 0;
    for (size_t i = from; i < from + count; ++i) {
        const double phase = 2 * std::numbers::pi * hz * static_cast<double>(i) / kMixRate;
        const double e = stereo[2 * i + channel] - c * std::cos(phase) - s * std::sin(phase);
        rest += e * e;
    }
    return {std::hypot(c, s), std::sqrt(rest / count)};
}

// The format's own ADPCM, encoded here by successive approximation of each difference.
std::vector<uint8_t> AdpcmEncode(std::span<const int16_t> samples, int channels, int bits) {
    static constexpr int kSteps[89] = {
        7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
        25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
        88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
        307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
        1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
        3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
        12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
    static const std::vector<int> kIndex[] = {
        {-1, 2},
        {-1, -1, 2, 4},
        {-1, -1, -1, -1, 2, 4, 6, 8},
        {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16}};
    swftest::BitWriter out;
    out.ub(static_cast<uint32_t>(bits - 2), 2);
    const size_t frames = samples.size() / channels;
    int predicted[2] = {0, 0}, index[2] = {0, 0};
    for (size_t i = 0; i < frames; ++i)
        for (int ch = 0; ch < channels; ++ch) {
            const int target = samples[i * channels + ch];
            if (i % 4096 == 0) {
                predicted[ch] = target;
                index[ch] = std::min(index[ch], 63);
                out.sb(target, 16).ub(static_cast<uint32_t>(index[ch]), 6);
                continue;
            }
            const int step = kSteps[index[ch]];
            int difference = std::abs(target - predicted[ch]);
            int delta = step >> (bits - 1);
            uint32_t code = target < predicted[ch] ? 1u << (bits - 1) : 0;
            for (int k = bits - 2; k >= 0; --k) {
                const int weight = step >> (bits - 2 - k);
                if (difference >= weight) {
                    code |= 1u << k;
                    difference -= weight;
                    delta += weight;
                }
            }
            predicted[ch] = std::clamp(
                code >> (bits - 1) ? predicted[ch] - delta : predicted[ch] + delta, -32768, 32767);
            index[ch] =
                std::clamp(index[ch] + kIndex[bits - 2][code & ((1u << (bits - 1)) - 1)], 0, 88);
            out.ub(code, bits);
        }
    out.align();
    return out.bytes();
}

// A sound encoded by libavcodec: its packets, and the samples its decoder puts first.
struct Encoded {
    std::vector<std::vector<uint8_t>> packets;
    int delay = 0;
    int frameSize = 0;
};
Encoded AvEncode(const char* encoderName, uint32_t rate, int channels,
                 std::span<const int16_t> samples) {
    Encoded result;
    const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
    if (!codec) return result;
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->sample_rate = static_cast<int>(rate);
    av_channel_layout_default(&context->ch_layout, channels);
    // The first format the encoder takes; the tone is converted to it.
    context->sample_fmt = codec->sample_fmts[0];
    context->bit_rate = 64000 * channels;
    if (avcodec_open2(context, codec, nullptr) < 0) {
        avcodec_free_context(&context);
        return result;
    }
    result.delay = context->initial_padding;
    result.frameSize = context->frame_size;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    const auto drain = [&] {
        while (avcodec_receive_packet(context, packet) == 0) {
            result.packets.emplace_back(packet->data, packet->data + packet->size);
            av_packet_unref(packet);
        }
    };
    const size_t total = samples.size() / channels;
    const auto frameSize =
        static_cast<size_t>(context->frame_size > 0 ? context->frame_size : 1024);
    for (size_t at = 0; at < total; at += frameSize) {
        frame->nb_samples = static_cast<int>(std::min(frameSize, total - at));
        frame->format = context->sample_fmt;
        av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
        frame->sample_rate = context->sample_rate;
        av_frame_get_buffer(frame, 0);
        const bool planar = av_sample_fmt_is_planar(context->sample_fmt);
        for (int i = 0; i < frame->nb_samples; ++i)
            for (int ch = 0; ch < channels; ++ch) {
                const int16_t v = samples[(at + i) * channels + ch];
                const int index = planar ? i : i * channels + ch;
                uint8_t* plane = frame->extended_data[planar ? ch : 0];
                if (av_get_packed_sample_fmt(context->sample_fmt) == AV_SAMPLE_FMT_FLT)
                    reinterpret_cast<float*>(plane)[index] = v / 32768.0f;
                else if (av_get_packed_sample_fmt(context->sample_fmt) == AV_SAMPLE_FMT_S32)
                    reinterpret_cast<int32_t*>(plane)[index] = v * 65536;
                else
                    reinterpret_cast<int16_t*>(plane)[index] = v;
            }
        avcodec_send_frame(context, frame);
        av_frame_unref(frame);
        drain();
    }
    avcodec_send_frame(context, nullptr);
    drain();
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    return result;
}

std::vector<uint8_t> Joined(const std::vector<std::vector<uint8_t>>& packets) {
    std::vector<uint8_t> all;
    for (const auto& p : packets) all.insert(all.end(), p.begin(), p.end());
    return all;
}

struct ToneCase {
    const char* name;
    SoundFormat format;
    int adpcmBits;  // ADPCM only
    bool stream;
    double minSnrDb;  // the tone against what else the mix holds
};

constexpr double kHz = 440;
constexpr double kLevel = 12000;
constexpr double kFps = 10;

// A movie of 10 frames at 10 fps whose first frame starts a 0.6 s tone, as an event sound
// or as a stream of one block a frame; empty when this libavcodec cannot encode it.
std::optional<SwfWriter> ToneMovie(const ToneCase& c) {
    const SoundFormat& f = c.format;
    const uint32_t rate = f.codec == SoundCodec::Nellymoser8k    ? 8000
                          : f.codec == SoundCodec::Nellymoser16k ? 16000
                          : f.codec == SoundCodec::Speex         ? 16000
                                                                 : RateHz(f.rate);
    const int channels = f.stereo ? 2 : 1;
    const auto frames = static_cast<size_t>(rate * 0.6);
    const std::vector<int16_t> tone = Tone(kHz, rate, frames, kLevel, channels);
    SwfWriter movie;
    movie.frameRate(kFps);
    const auto pcmBytes = [&](std::span<const int16_t> part) {
        if (f.sixteenBit) return SoundFormat::littleEndian(part);
        std::vector<uint8_t> bytes;
        for (int16_t v : part) bytes.push_back(static_cast<uint8_t>((v >> 8) + 128));
        return bytes;
    };
    const char* encoder = f.codec == SoundCodec::Mp3     ? "libmp3lame"
                          : f.codec == SoundCodec::Speex ? "libspeex"
                                                         : "nellymoser";
    if (!c.stream) {
        std::vector<uint8_t> data;
        std::optional<uint32_t> count;
        if (f.isPcm()) {
            data = pcmBytes(tone);
        } else if (f.codec == SoundCodec::Adpcm) {
            data = AdpcmEncode(tone, channels, c.adpcmBits);
            count = static_cast<uint32_t>(frames);
        } else {
            Encoded encoded = AvEncode(encoder, rate, channels, tone);
            if (encoded.packets.empty()) return std::nullopt;
            // MP3 event sounds open with the samples to skip.
            if (f.codec == SoundCodec::Mp3)
                data = {static_cast<uint8_t>(encoded.delay),
                        static_cast<uint8_t>(encoded.delay >> 8)};
            const std::vector<uint8_t> body = Joined(encoded.packets);
            data.insert(data.end(), body.begin(), body.end());
            count = static_cast<uint32_t>(frames);
        }
        movie.defineSound(1, f, data, count).startSound(1);
        for (int i = 0; i < 10; ++i) movie.showFrame();
        return movie;
    }
    if (f.codec == SoundCodec::Mp3) {
        // Each block holds the MP3 frames that start up to one MP3 frame before its frame's
        // sound (latency included), and says how far into them that sound starts.
        Encoded encoded = AvEncode(encoder, rate, channels, tone);
        if (encoded.packets.empty()) return std::nullopt;
        movie.soundStreamHead(f, f, static_cast<uint16_t>(rate / kFps),
                              static_cast<int16_t>(encoded.delay));
        size_t next = 0;
        for (int n = 0; n < 10; ++n) {
            const auto wanted = static_cast<int64_t>(n * rate / kFps) + encoded.delay;
            const auto first = static_cast<int64_t>(next) * encoded.frameSize;
            std::vector<uint8_t> frames;
            uint16_t count = 0;
            for (; next < encoded.packets.size() && static_cast<int64_t>(next) * encoded.frameSize <
                                                        wanted + rate / kFps - encoded.frameSize;
                 ++next, count = static_cast<uint16_t>(count + encoded.frameSize))
                frames.insert(frames.end(), encoded.packets[next].begin(),
                              encoded.packets[next].end());
            swftest::BitWriter block;
            block.u16(count).s16(static_cast<int16_t>(wanted - first)).raw(frames);
            movie.soundStreamBlock(block.bytes()).showFrame();
        }
        return movie;
    }
    movie.soundStreamHead(f, f, static_cast<uint16_t>(rate / kFps));
    if (f.codec == SoundCodec::Speex) {
        // Each block holds the whole packets (20 ms each) of its frame's interval.
        Encoded encoded = AvEncode(encoder, rate, channels, tone);
        if (encoded.packets.empty() || encoded.frameSize <= 0) return std::nullopt;
        const auto perFrame =
            static_cast<size_t>(rate / kFps) / static_cast<size_t>(encoded.frameSize);
        for (size_t n = 0; n < 10; ++n) {
            const size_t from = std::min(encoded.packets.size(), n * perFrame);
            const size_t to = std::min(encoded.packets.size(), (n + 1) * perFrame);
            const auto first = encoded.packets.begin();
            if (from < to)
                movie.soundStreamBlock(Joined({first + static_cast<std::ptrdiff_t>(from),
                                               first + static_cast<std::ptrdiff_t>(to)}));
            movie.showFrame();
        }
        return movie;
    }
    for (int n = 0; n < 10; ++n) {
        const auto from = std::min(frames, static_cast<size_t>(n * rate / kFps));
        const auto to = std::min(frames, static_cast<size_t>((n + 1) * rate / kFps));
        if (from < to) {
            std::span<const int16_t> part(tone.data() + from * channels, (to - from) * channels);
            movie.soundStreamBlock(f.codec == SoundCodec::Adpcm
                                       ? AdpcmEncode(part, channels, c.adpcmBits)
                                       : pcmBytes(part));
        }
        movie.showFrame();
    }
    return movie;
}

SoundFormat Format(SoundCodec codec, SoundRate rate, bool sixteenBit, bool stereo) {
    return SoundFormat{codec, rate, sixteenBit, stereo};
}

TEST(SoundTest, ToneComesOutInEveryFormatAndRate) {
    using enum SoundCodec;
    using enum SoundRate;
    const ToneCase cases[] = {
        {"PCM 16-bit mono 44 kHz", Format(LittleEndianPcm, Hz44100, true, false), 0, false, 60},
        {"PCM 16-bit stereo 22 kHz", Format(LittleEndianPcm, Hz22050, true, true), 0, false, 50},
        {"PCM 16-bit mono 11 kHz", Format(LittleEndianPcm, Hz11025, true, false), 0, false, 50},
        {"PCM 16-bit mono 5.5 kHz", Format(LittleEndianPcm, Hz5512, true, false), 0, false, 40},
        {"PCM 8-bit stereo 44 kHz", Format(LittleEndianPcm, Hz44100, false, true), 0, false, 30},
        {"PCM 8-bit mono 11 kHz", Format(LittleEndianPcm, Hz11025, false, false), 0, false, 30},
        {"native-order PCM 16-bit mono 22 kHz", Format(NativePcm, Hz22050, true, false), 0, false,
         50},
        {"ADPCM 2-bit mono 22 kHz", Format(Adpcm, Hz22050, true, false), 2, false, 3},
        {"ADPCM 3-bit stereo 22 kHz", Format(Adpcm, Hz22050, true, true), 3, false, 10},
        {"ADPCM 4-bit mono 44 kHz", Format(Adpcm, Hz44100, true, false), 4, false, 20},
        {"ADPCM 5-bit stereo 11 kHz", Format(Adpcm, Hz11025, true, true), 5, false, 25},
        {"MP3 mono 44 kHz", Format(Mp3, Hz44100, true, false), 0, false, 20},
        {"MP3 stereo 22 kHz", Format(Mp3, Hz22050, true, true), 0, false, 20},
        {"MP3 mono 11 kHz", Format(Mp3, Hz11025, true, false), 0, false, 20},
        {"Nellymoser mono 22 kHz", Format(Nellymoser, Hz22050, true, false), 0, false, 10},
        {"Nellymoser 8 kHz", Format(Nellymoser8k, Hz5512, true, false), 0, false, 10},
        {"Nellymoser 16 kHz", Format(Nellymoser16k, Hz5512, true, false), 0, false, 10},
        {"Speex", Format(Speex, Hz5512, true, false), 0, false, 10},
        {"stream PCM 16-bit stereo 44 kHz", Format(LittleEndianPcm, Hz44100, true, true), 0, true,
         60},
        {"stream PCM 8-bit mono 5.5 kHz", Format(LittleEndianPcm, Hz5512, false, false), 0, true,
         30},
        {"stream ADPCM 4-bit stereo 22 kHz", Format(Adpcm, Hz22050, true, true), 4, true, 20},
        {"stream ADPCM 2-bit mono 11 kHz", Format(Adpcm, Hz11025, true, false), 2, true, 3},
        {"stream MP3 stereo 44 kHz", Format(Mp3, Hz44100, true, true), 0, true, 20},
        {"stream MP3 mono 22 kHz", Format(Mp3, Hz22050, true, false), 0, true, 20},
        {"stream Speex", Format(Speex, Hz5512, true, false), 0, true, 10},
    };
    for (const ToneCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto movie = ToneMovie(c);
        ASSERT_TRUE(movie) << "libavcodec cannot encode this";
        const std::vector<int16_t> sound = PlaySound(*movie, 8);
        // 0.1 s to 0.5 s: inside the tone, clear of its edges.
        const size_t from = kMixRate / 10, count = kMixRate * 4 / 10;
        const ToneFit left = FitTone(sound, 0, from, count, kHz);
        EXPECT_NEAR(left.level, kLevel, kLevel * 0.1);
        EXPECT_GT(20 * std::log10(left.level / std::sqrt(2) / std::max(left.residual, 1.0)),
                  c.minSnrDb);
        const ToneFit right = FitTone(sound, 1, from, count, kHz);
        EXPECT_NEAR(right.level, c.format.stereo ? kLevel / 2 : kLevel, kLevel * 0.1);
        // After the tone (0.6 s) and the codec's tail: nothing.
        const auto after = std::span(sound).subspan(kMixRate * 2 * 7 / 10);
        EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](int16_t v) { return v == 0; }));
    }
}

// A constant level, which shows exactly where a sound starts and stops.
std::vector<uint8_t> Constant(int16_t value, size_t frames) {
    return SoundFormat::littleEndian(std::vector<int16_t>(frames, value));
}
const SoundFormat kMono44 = {SoundCodec::LittleEndianPcm, SoundRate::Hz44100, true, false};

// The first sample of the left channel that is not silent.
size_t FirstSound(std::span<const int16_t> stereo) {
    for (size_t i = 0; i < stereo.size() / 2; ++i)
        if (stereo[2 * i] != 0) return i;
    return stereo.size() / 2;
}

TEST(SoundTest, EventSoundStartsOnItsFrameToTheSample) {
    struct Case {
        uint16_t rate88;  // 8.8 frames per second
        int frame;
    };
    // 12 fps (3675 samples a frame), 23.976 fps and 7.5 fps: fractions of a sample a frame.
    for (const Case c : {Case{12 << 8, 3}, Case{6138, 5}, Case{0x0780, 2}}) {
        SCOPED_TRACE(c.rate88);
        SwfWriter movie;
        movie.frameRateFixed(c.rate88).defineSound(1, kMono44, Constant(10000, 100));
        for (int f = 0; f < 8; ++f) {
            if (f == c.frame) movie.startSound(1);
            movie.showFrame();
        }
        const std::vector<int16_t> sound = PlaySound(movie, 8);
        const auto start =
            static_cast<size_t>(static_cast<long double>(c.frame) * kMixRate / (c.rate88 / 256.0L));
        EXPECT_EQ(FirstSound(sound), start);
        EXPECT_EQ(sound[2 * (start + 99)], 10000);
        EXPECT_EQ(sound[2 * (start + 100)], 0);
    }
}

// StartSound2 names its sound by the name it is exported under, matched ignoring case; a
// name nothing is exported under starts nothing.
TEST(SoundTest, EventSoundNamedByItsExportStartsOnItsFrame) {
    constexpr uint16_t kExportAssets = 56, kStartSound2 = 89;
    for (const std::string name : {"Tone", "TONE", "Drum"}) {
        SCOPED_TRACE(name);
        swftest::BitWriter exports, start;
        exports.u16(1).u16(1).string("Tone");
        start.string(name).u8(0);
        SwfWriter movie;
        movie.frameRate(12).defineSound(1, kMono44, Constant(10000, 100));
        movie.tag(kExportAssets, exports.bytes()).showFrame().showFrame();
        movie.tag(kStartSound2, start.bytes()).showFrame().showFrame();
        const std::vector<int16_t> sound = PlaySound(movie, 4);
        if (name == "Drum") {
            EXPECT_EQ(FirstSound(sound), sound.size() / 2);
        } else {
            EXPECT_EQ(FirstSound(sound), size_t{2 * 3675});
            EXPECT_EQ(sound[2 * (2 * 3675 + 99)], 10000);
        }
    }
}

// A 4-frame timeline at 12 fps whose stream holds, in frame f, the level 1000 * (f + 1).
SwfWriter MarkedStream(SwfWriter timeline = {}) {
    timeline.soundStreamHead(kMono44, kMono44, 3675);
    for (int f = 0; f < 4; ++f)
        timeline.soundStreamBlock(Constant(static_cast<int16_t>(1000 * (f + 1)), 3675)).showFrame();
    return timeline;
}

// The level each frame interval of the sound holds throughout, or -1 when it changes inside.
std::vector<int> LevelPerFrame(std::span<const int16_t> stereo) {
    std::vector<int> levels;
    for (size_t at = 0; at + 2 * 3675 <= stereo.size(); at += 2 * 3675) {
        const auto frame = stereo.subspan(at, 2 * 3675);
        const bool even =
            std::all_of(frame.begin(), frame.end(), [&](int16_t v) { return v == frame[0]; });
        levels.push_back(even ? frame[0] : -1);
    }
    return levels;
}

TEST(SoundTest, StreamFollowsItsTimelineThroughLoopsGotosAndStops) {
    SwfWriter movie = MarkedStream(SwfWriter().frameRate(12));
    // Frames shown: 0 1 2 3, the loop back 0 1, a goto 3 then 0 1; stopped there, the frame
    // it stopped on sounds once, then nothing until it plays on (2 stays silent: it is shown
    // before the tick that reaches it); a goto 1, then 2.
    const std::vector<int16_t> sound = PlaySound(movie, 14, [](swf::Player& player, int n) {
        if (n == 6) player.GotoFrame(3);
        if (n == 8) player.StopPlay();
        if (n == 10) player.Play();
        if (n == 12) player.GotoFrame(1);
    });
    const std::vector<int> expected = {1000, 2000, 3000, 4000, 1000, 2000, 4000,
                                       1000, 2000, 0,    0,    3000, 2000, 3000};
    EXPECT_EQ(LevelPerFrame(sound), expected);
}

TEST(SoundTest, SpriteStreamPlaysWhileTheSpriteIsOnStage) {
    SwfWriter movie;
    movie.frameRate(12).defineSprite(2, MarkedStream()).place(2, 1).showFrame().showFrame();
    movie.showFrame().removeObject2(1).showFrame().showFrame();
    const std::vector<int> expected = {1000, 2000, 3000, 0, 0};
    EXPECT_EQ(LevelPerFrame(PlaySound(movie, 5)), expected);
}

TEST(SoundTest, SoundInfoPointsLoopsEnvelopeAndRepeats) {
    // 4410 samples of 16000; played from 441 to 2205 (1764 samples) three times, the right
    // channel silenced by the envelope and the left one at half level from the 1000th sample.
    swftest::SoundInfo info;
    info.inPoint = 441;
    info.outPoint = 2205;
    info.loopCount = 3;
    info.envelope = {{0, 32768, 0}, {999, 32768, 0}, {1000, 16384, 0}};
    SwfWriter movie;
    movie.frameRate(12).defineSound(1, kMono44, Constant(16000, 4410)).startSound(1, info);
    swftest::SoundInfo again;
    again.syncNoMultiple = true;
    swftest::SoundInfo stop;
    stop.syncStop = true;
    movie.showFrame().startSound(1, again).showFrame().showFrame();
    const std::vector<int16_t> sound = PlaySound(movie, 3);
    for (size_t i : {size_t{0}, size_t{998}}) EXPECT_EQ(sound[2 * i], 16000) << i;
    for (size_t i : {size_t{1000}, size_t{1763}, size_t{1764}, size_t{3 * 1764 - 1}})
        EXPECT_EQ(sound[2 * i], 8000) << i;
    EXPECT_EQ(sound[2 * 3 * 1764], 0);
    EXPECT_TRUE(std::all_of(sound.begin(), sound.end(), [&](int16_t v) { return v >= 0; }));
    for (size_t i = 0; i < sound.size() / 2; ++i) ASSERT_EQ(sound[2 * i + 1], 0) << i;

    // A stop start silences the sound from its frame on.
    SwfWriter stopped;
    stopped.frameRate(12).defineSound(1, kMono44, Constant(5000, 44100)).startSound(1);
    stopped.showFrame().showFrame().startSound(1, stop).showFrame().showFrame();
    EXPECT_EQ(LevelPerFrame(PlaySound(stopped, 4)), (std::vector<int>{5000, 5000, 0, 0}));
}

TEST(SoundTest, ScriptSoundsPlayAtTheirVolumeAndStop) {
    // Frame 0 starts the exported sound at volume 50, frame 2 stops it; stopAllSounds in
    // frame 3 silences the timeline's own sound started in frame 1.
    const uint8_t exports[] = {1, 0, 1, 0, 't', 'o', 'n', 'e', 0};
    SwfWriter movie;
    movie.frameRate(12)
        .defineSound(1, kMono44, Constant(8000, 44100))
        .defineSound(2, kMono44, Constant(100, 44100))
        .tag(56, exports)
        .doAction(swftest::ActionBuilder::assemble(
            "push \"s\", 0, \"Sound\"; newObject; setVariable\n"
            "push \"tone\", 1, \"s\"; getVariable; push \"attachSound\"; callMethod; pop\n"
            "push 50, 1, \"s\"; getVariable; push \"setVolume\"; callMethod; pop\n"
            "push 0, \"s\"; getVariable; push \"start\"; callMethod; pop\n"))
        .showFrame()
        .startSound(2)
        .showFrame()
        .doAction(swftest::ActionBuilder::assemble(
            "push 0, \"s\"; getVariable; push \"stop\"; callMethod; pop\n"))
        .showFrame()
        .doAction(swftest::ActionBuilder().stopSounds())
        .showFrame()
        .showFrame();
    EXPECT_EQ(LevelPerFrame(PlaySound(movie, 5)), (std::vector<int>{4000, 4050, 50, 0, 0}));
}

TEST(SoundTest, ScriptSoundStartsAtItsOffsetLoopsAndPans) {
    // 2205 samples of 6000: start(0.01, 2) plays samples 441 on twice (3528 samples), with
    // the pan all to the left.
    const uint8_t exports[] = {1, 0, 1, 0, 't', 'o', 'n', 'e', 0};
    SwfWriter movie;
    movie.frameRate(12)
        .defineSound(1, kMono44, Constant(6000, 2205))
        .tag(56, exports)
        .doAction(swftest::ActionBuilder::assemble(
            "push \"s\", 0, \"Sound\"; newObject; setVariable\n"
            "push \"tone\", 1, \"s\"; getVariable; push \"attachSound\"; callMethod; pop\n"
            "push -100, 1, \"s\"; getVariable; push \"setPan\"; callMethod; pop\n"
            "push 2, 0.01, 2, \"s\"; getVariable; push \"start\"; callMethod; pop\n"))
        .showFrame()
        .showFrame();
    const std::vector<int16_t> sound = PlaySound(movie, 2);
    for (size_t i = 0; i < sound.size() / 2; ++i) {
        ASSERT_EQ(sound[2 * i], i < 2 * 1764 ? 6000 : 0) << i;
        ASSERT_EQ(sound[2 * i + 1], 0) << i;
    }
}

TEST(SoundTest, ButtonSoundsPlayOnTheirStateChanges) {
    // Rolling over the button plays 1000, pressing it 2000; rolling out and releasing nothing.
    swftest::ButtonBuilder button;
    button.add({.states = swftest::kButtonUp | swftest::kButtonOver | swftest::kButtonDown |
                          swftest::kButtonHitTest,
                .character = 1});
    swftest::BitWriter sounds;
    sounds.u16(2).u16(0).u16(3);
    swftest::SoundInfo{}.write(sounds);
    sounds.u16(4);
    swftest::SoundInfo{}.write(sounds);
    sounds.u16(0);
    SwfWriter movie;
    movie.frameSizePixels(40, 40)
        .frameRate(12)
        .defineShape(1, enginetest::Square({0, 0, 0}, swftest::px(40)))
        .defineButton2(2, button)
        .defineSound(3, kMono44, Constant(1000, 44100))
        .defineSound(4, kMono44, Constant(2000, 44100))
        .tag(17, sounds.bytes())
        .place(2, 1)
        .showFrame()
        .showFrame()
        .showFrame();
    const std::vector<int16_t> sound = PlaySound(movie, 3, [](swf::Player& player, int n) {
        swf::InputEvent event;
        event.x = 20;
        event.y = 20;
        if (n == 1) player.HandleInput(event);
        event.type = swf::InputEvent::Type::MouseDown;
        if (n == 2) player.HandleInput(event);
    });
    EXPECT_EQ(LevelPerFrame(sound), (std::vector<int>{0, 1000, 3000}));
}

TEST(SoundTest, BadSoundDataEndsOnlyThatSound) {
    // An MP3 sound of garbage and a truncated ADPCM one next to a good sound; 40 starts of
    // one sound in a frame, of which 32 are heard.
    std::vector<uint8_t> garbage(4000);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 7919 >> 3);
    SwfWriter movie;
    movie.frameRate(12)
        .defineSound(1, {SoundCodec::Mp3, SoundRate::Hz44100, true, false}, garbage, 100000)
        .defineSound(2, {SoundCodec::Adpcm, SoundRate::Hz44100, true, true},
                     std::vector<uint8_t>{0xFF}, 0xFFFFFFFF)
        .defineSound(3, kMono44, Constant(300, 44100))
        .startSound(1)
        .startSound(2);
    for (int i = 0; i < 40; ++i) movie.startSound(3);
    movie.showFrame().showFrame();
    EXPECT_EQ(LevelPerFrame(PlaySound(movie, 2)), (std::vector<int>{9600, 9600}));
}

// MP3 resynchronises: bytes that start no frame are passed over to the next frame header
// that the header after it confirms, a frame the decoder refuses passes in silence, and a
// frame cut off at the end is dropped. A 0.6 s tone (MPEG-1, 1152 samples a frame, at the
// mix's rate) as an event sound: where its sound ends, its level, and the silence inside.
TEST(SoundTest, Mp3ResynchronisesAtTheNextFrame) {
    const std::vector<int16_t> tone = Tone(kHz, kMixRate, kMixRate * 6 / 10, kLevel, 1);
    const Encoded encoded = AvEncode("libmp3lame", kMixRate, 1, tone);
    ASSERT_GT(encoded.packets.size(), 20u) << "libavcodec cannot encode MP3";
    constexpr int kFrame = 1152;
    constexpr size_t kBad = 12;  // the frame damaged in the middle
    const auto badStart = static_cast<int>(kBad) * kFrame - encoded.delay;
    // The tail of an encoder's info frame: its tag, a table with false frame syncs, zeros.
    std::vector<uint8_t> infoTail = {'X', 'i', 'n', 'g', 0, 0, 0, 15};
    for (int i = 0; i < 300; ++i) infoTail.push_back(i % 7 == 0 ? 0xFF : static_cast<uint8_t>(i * 13));
    struct Case {
        const char* name;
        std::function<void(std::vector<std::vector<uint8_t>>&)> damage;
        int end;      // the sample the sound ends at, about
        bool gap;     // silence of one frame at the damaged frame
        bool silent;  // nothing at all
    };
    const int toneEnd = static_cast<int>(tone.size());
    const int lastFrameEnd = static_cast<int>(encoded.packets.size() - 1) * kFrame - encoded.delay;
    const Case cases[] = {
        {"clean", [](auto&) {}, toneEnd, false, false},
        {"garbage before the first frame",
         [&](auto& frames) { frames.insert(frames.begin(), infoTail); }, toneEnd, false, false},
        {"a frame without its header: passed over",
         [&](auto& frames) { std::fill_n(frames[kBad].begin(), 4, 0); }, toneEnd - kFrame, false,
         false},
        {"a frame the decoder refuses: silence",
         [&](auto& frames) { std::fill_n(frames[kBad].begin() + 4, 17, 0xFF); }, toneEnd, true,
         false},
        {"a truncated last frame",
         [](auto& frames) { frames.back().resize(frames.back().size() / 2); },
         std::min(toneEnd, lastFrameEnd), false, false},
        {"all garbage", [&](auto& frames) { frames.assign(30, infoTail); }, 0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::vector<uint8_t>> frames = encoded.packets;
        c.damage(frames);
        std::vector<uint8_t> data = {static_cast<uint8_t>(encoded.delay),
                                     static_cast<uint8_t>(encoded.delay >> 8)};
        const std::vector<uint8_t> body = Joined(frames);
        data.insert(data.end(), body.begin(), body.end());
        SwfWriter movie;
        movie.frameRate(kFps)
            .defineSound(1, {SoundCodec::Mp3, SoundRate::Hz44100, true, false}, data,
                         static_cast<uint32_t>(tone.size()))
            .startSound(1);
        for (int i = 0; i < 10; ++i) movie.showFrame();
        const std::vector<int16_t> sound = PlaySound(movie, 10);
        int end = 0;
        for (size_t i = 0; i < sound.size() / 2; ++i)
            if (std::abs(sound[2 * i]) > kLevel / 4) end = static_cast<int>(i) + 1;
        if (c.silent) {
            EXPECT_TRUE(std::all_of(sound.begin(), sound.end(), [](int16_t v) { return v == 0; }));
            continue;
        }
        EXPECT_NEAR(end, c.end, 200);
        EXPECT_NEAR(FitTone(sound, 0, kMixRate / 20, kMixRate / 10, kHz).level, kLevel,
                    kLevel * 0.1);
        // Past the damaged frame and the frames that drew on it (the decoder's overlap and
        // bit reservoir): the tone again.
        const auto after = static_cast<size_t>(badStart + 4 * kFrame);
        EXPECT_NEAR(FitTone(sound, 0, after, 4 * kFrame, kHz).level, kLevel, kLevel * 0.1);
        if (!c.gap) continue;
        const ToneFit damaged =
            FitTone(sound, 0, static_cast<size_t>(badStart + 100), kFrame - 200, kHz);
        EXPECT_LT(damaged.level + damaged.residual, kLevel / 20);
    }
}

TEST(SoundTest, AdpcmDecodesAsLibavcodecDoes) {
    // libavcodec's encoder makes one packet of 4096 frames with its own header; each decodes
    // alike here and in libavcodec's decoder.
    for (int channels : {1, 2}) {
        const std::vector<int16_t> tone = Tone(700, 22050, 3 * 4096, 20000, channels);
        const Encoded encoded = AvEncode("adpcm_swf", 22050, channels, tone);
        ASSERT_FALSE(encoded.packets.empty());
        const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_ADPCM_SWF);
        AVCodecContext* context = avcodec_alloc_context3(codec);
        context->sample_rate = 22050;
        av_channel_layout_default(&context->ch_layout, channels);
        ASSERT_EQ(avcodec_open2(context, codec, nullptr), 0);
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        for (const auto& bytes : encoded.packets) {
            std::vector<int16_t> ours;
            swf::AdpcmDecoder::decode(bytes, channels, 100000, ours);
            av_new_packet(packet, static_cast<int>(bytes.size()));
            std::copy(bytes.begin(), bytes.end(), packet->data);
            ASSERT_EQ(avcodec_send_packet(context, packet), 0);
            ASSERT_EQ(avcodec_receive_frame(context, frame), 0);
            std::vector<int16_t> theirs;
            const bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(frame->format));
            for (int i = 0; i < frame->nb_samples; ++i)
                for (int ch = 0; ch < channels; ++ch)
                    theirs.push_back(reinterpret_cast<const int16_t*>(
                        frame->extended_data[planar ? ch : 0])[planar ? i : i * channels + ch]);
            EXPECT_EQ(ours, theirs);
            av_frame_unref(frame);
            av_packet_unref(packet);
        }
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&context);
    }
}


// Long sounds are resampled in pieces: the result is the input's duration at the new rate,
// and a tone stays in phase across every seam (a lost or repeated sample would shift it).
TEST(SoundTest, ResamplingKeepsLengthAndPhaseAcrossPieces) {
    struct Case {
        uint32_t from, to;
        size_t frames;
        int channels;
    };
    const Case cases[] = {{22050, 44100, 8192 * 3 + 17, 1},
                          {5512, 44100, 40000, 2},
                          {44100, 22050, 100000, 2},
                          {11025, 44100, 8191, 1}};
    constexpr double kHz = 220, kLevel = 8000;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
        swf::PcmBuffer pcm{c.from, c.channels, Tone(kHz, c.from, c.frames, kLevel, c.channels)};
        std::string error;
        ASSERT_TRUE(swf::Resampler::convert(pcm, c.to, error)) << error;
        const auto wanted = (static_cast<uint64_t>(c.frames) * c.to + c.from / 2) / c.from;
        ASSERT_EQ(pcm.frames(), wanted);
        ASSERT_EQ(pcm.rate, c.to);
        double worst = 0;
        // The filter's edges aside, every sample is the tone at the new rate.
        for (size_t i = 64; i + 64 < pcm.frames(); ++i) {
            const double ideal = kLevel * std::sin(2 * std::numbers::pi * kHz * i / c.to);
            worst = std::max(worst, std::abs(pcm.samples[i * c.channels] - ideal));
        }
        EXPECT_LT(worst, kLevel * 0.02);
    }
}

}  // namespace
