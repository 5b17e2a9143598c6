// Movies written by FFmpeg's SWF muxer (an MP3 stream sound, beside Sorenson video or alone):
// the sound that `kinetrope avi --audio movie` and `kinetrope wav` record is FFmpeg's own
// decode of the movie, sample for sample, at the same place relative to the pictures, at the
// same level and pitch.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "audio/TestFiles.h"
#include "audio/WavFile.h"
#include "cli/RunKinetrope.h"

namespace {

constexpr uint32_t kMixRate = 44100;
constexpr double kToneHz = 440;
constexpr double kGateSeconds = 1;  // the picture turns white and the tone starts here

// Interleaved 16-bit little-endian samples as numbers.
std::vector<int> Samples(const std::string& bytes) {
    std::vector<int> out;
    for (size_t i = 0; i + 2 <= bytes.size(); i += 2)
        out.push_back(static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) |
                                           static_cast<uint8_t>(bytes[i + 1]) << 8));
    return out;
}

std::vector<int> Channel(const std::vector<int>& interleaved, int channels, int channel) {
    std::vector<int> out;
    for (size_t i = static_cast<size_t>(channel); i < interleaved.size();
         i += static_cast<size_t>(channels))
        out.push_back(interleaved[i]);
    return out;
}

size_t Onset(const std::vector<int>& samples) {
    for (size_t i = 0; i < samples.size(); ++i)
        if (std::abs(samples[i]) > 1000) return i;
    return samples.size();
}

double Rms(const std::vector<int>& samples, size_t from, size_t count) {
    double sum = 0;
    for (size_t i = from; i < from + count; ++i) sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(count));
}

// The strongest frequency between 50 Hz and 4 kHz, in 5 Hz steps (Goertzel).
double DominantHz(const std::vector<int>& samples, size_t from, size_t count) {
    double best = 0, bestPower = -1;
    for (double hz = 50; hz <= 4000; hz += 5) {
        const double w = 2 * std::numbers::pi * hz / kMixRate;
        double s1 = 0, s2 = 0;
        for (size_t i = from; i < from + count; ++i) {
            const double s0 = samples[i] + 2 * std::cos(w) * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
        if (power > bestPower) {
            bestPower = power;
            best = hz;
        }
    }
    return best;
}

bool FfmpegCanWriteFlashMovies() {
    const std::string encoders = ReadCommand("ffmpeg -hide_banner -encoders 2>/dev/null");
    const std::string muxers = ReadCommand("ffmpeg -hide_banner -muxers 2>/dev/null");
    return encoders.find(" libmp3lame ") != std::string::npos &&
           encoders.find(" flv ") != std::string::npos &&
           muxers.find(" swf ") != std::string::npos;
}

TEST(FfmpegMovieSound, RecordedSoundIsFfmpegsDecodeInPlaceAndLevel) {
    if (!FfmpegCanWriteFlashMovies())
        GTEST_SKIP() << "ffmpeg cannot write SWF movies with MP3 sound (libmp3lame, flv, swf)";
    struct Case {
        uint32_t rate;
        int channels;
        int fps;
        bool video;
    };
    // The muxer's MP3 rates, mono and stereo, and frame intervals longer and shorter than an
    // MP3 frame (so that some blocks hold several MP3 frames and some none). Without video
    // the muxer declares 10 fps, writes one MP3 frame per movie frame (about a quarter of the
    // frame's interval at these rates) and leaves its placeholder frame count (6000) in the
    // header: the sound runs on through the blocks as it was coded, far ahead of the frames,
    // and the movie's loop after its last block plays it again from the start.
    const Case cases[] = {{44100, 1, 12, true},  {22050, 2, 30, true}, {11025, 1, 15, true},
                          {44100, 2, 50, true},  {44100, 1, 10, false}, {22050, 2, 10, false}};
    testfiles::ScratchDir scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) +
                     " channels, " + std::to_string(c.fps) + " fps" +
                     (c.video ? "" : ", no video"));
        const std::string movie = scratch.File("ffmpeg.swf");
        const std::string fps = std::to_string(c.fps);
        // Black pictures that turn white, and a tone (in stereo the right channel at half its
        // level) that starts, at the gate.
        const std::string gate = "gte(t," + std::to_string(kGateSeconds) + ")";
        const std::string tone = "if(" + gate + ",0.5*sin(2*PI*440*t),0)" +
                                 (c.channels == 2 ? "|if(" + gate + ",0.25*sin(2*PI*440*t),0)" : "");
        const std::string pictures = "-f lavfi -i \"color=c=black:s=160x120:r=" + fps +
                                     ",drawbox=c=white:t=fill:enable='" + gate + "'\" -c:v flv ";
        const std::string write =
            "ffmpeg -v error -y " + (c.video ? pictures : "") + "-f lavfi -i \"aevalsrc='" +
            tone + "':s=" + std::to_string(c.rate) + "\" -t 3 -c:a libmp3lame -ac " +
            std::to_string(c.channels) + " -ar " + std::to_string(c.rate) + " '" + movie +
            "' && echo ok";
        ASSERT_EQ(ReadCommand(write), "ok\n");

        // Where FFmpeg sees the first white picture; without pictures, the gate's frame.
        size_t firstWhite = static_cast<size_t>(kGateSeconds * c.fps);
        if (c.video) {
            const std::string gray =
                ReadCommand("ffmpeg -v error -i '" + movie +
                            "' -map 0:v:0 -vf scale=1:1 -pix_fmt gray -f rawvideo -");
            ASSERT_EQ(gray.size(), static_cast<size_t>(3 * c.fps));
            EXPECT_EQ(static_cast<size_t>(std::find_if(gray.begin(), gray.end(),
                                                       [](char v) { return uint8_t(v) > 128; }) -
                                          gray.begin()),
                      firstWhite);
        }
        // The movie's frames: with video its three seconds; without, one per stream block,
        // recorded on to two seconds into the loop.
        const size_t blocks = static_cast<size_t>(std::atoi(
            ReadCommand("ffprobe -v error -select_streams a:0 -count_packets -show_entries "
                        "stream=nb_read_packets -of csv=p=0 '" + movie + "'")
                .c_str()));
        ASSERT_GT(blocks, 0u);
        const size_t movieFrames = c.video ? static_cast<size_t>(3 * c.fps) : blocks;
        const size_t recorded =
            c.video ? movieFrames : movieFrames + 2 * static_cast<size_t>(c.fps);

        // FFmpeg's decode of the sound, in the movie's own channels: its upmix would lower a
        // mono sound by 3 dB, where the player plays it at full level on both sides.
        const std::vector<int> theirs = Samples(ReadCommand(
            "ffmpeg -v error -i '" + movie + "' -map 0:a:0 -f s16le -ar 44100 -ac " +
            std::to_string(c.channels) + " -"));
        const std::vector<int> theirLeft = Channel(theirs, c.channels, 0);
        const std::vector<int> theirRight = Channel(theirs, c.channels, c.channels - 1);
        ASSERT_GT(theirLeft.size(), kMixRate * 2);

        const std::string avi = scratch.File("movie.avi");
        const std::string end = std::to_string(recorded - 1);
        const CommandRun run =
            RunKinetrope({"avi", movie, "-o", avi, "--audio", "movie", "--end", end, "--size",
                          "80x60"});
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<int> ours = Samples(
            ReadCommand("ffmpeg -v error -i '" + avi + "' -map 0:a:0 -c copy -f data -"));
        const size_t perFrame = kMixRate / static_cast<size_t>(c.fps);
        ASSERT_EQ(ours.size(), 2 * perFrame * recorded);
        const std::vector<int> left = Channel(ours, 2, 0);
        const std::vector<int> right = Channel(ours, 2, 1);

        // `kinetrope wav` records the same sound.
        const std::string wavPath = scratch.File("movie.wav");
        ASSERT_EQ(RunKinetrope({"wav", movie, "-o", wavPath, "--end", end}).status, 0);
        audio::WavFile wav;
        ASSERT_EQ(wav.Open(wavPath, audio::WavFile::ReadMode), 0);
        std::string wavBytes(wav.DataSize(), '\0');
        ASSERT_EQ(wav.Read(reinterpret_cast<uint8_t*>(wavBytes.data()),
                           static_cast<uint32_t>(wavBytes.size())),
                  0);
        wav.Close();
        EXPECT_TRUE(Samples(wavBytes) == ours);

        // The tone starts where FFmpeg's decode has it, counted from the first picture: at
        // the white picture, late by the encoder's delay, which the data holds and the
        // muxer's stream head does not state (LAME's 1105 samples at the coded rate).
        const size_t onset = Onset(left);
        EXPECT_NEAR(static_cast<double>(onset), static_cast<double>(Onset(theirLeft)), 2);
        EXPECT_GE(onset, firstWhite * perFrame);
        EXPECT_LT(onset, static_cast<double>(firstWhite * perFrame) + 1200.0 * kMixRate / c.rate);

        // Level and pitch over a second of the tone, and the sample-wise difference: small
        // next to the tone, so the two line up to the sample everywhere.
        const size_t from = onset + perFrame, count = kMixRate;
        ASSERT_LE(from + count, std::min(left.size(), theirLeft.size()));
        const double level = Rms(left, from, count);
        EXPECT_NEAR(level, Rms(theirLeft, from, count), level * 0.02);
        EXPECT_NEAR(Rms(right, from, count), Rms(theirRight, from, count), level * 0.02);
        EXPECT_NEAR(level, 0.5 * 32767 / std::sqrt(2.0), 0.1 * level);
        EXPECT_EQ(DominantHz(left, from, count), kToneHz);
        EXPECT_EQ(DominantHz(right, from, count), kToneHz);
        std::vector<int> difference;
        const size_t common = std::min(left.size(), theirLeft.size());
        for (size_t i = 0; i < common; ++i) difference.push_back(left[i] - theirLeft[i]);
        EXPECT_LT(Rms(difference, 0, common), level * 0.01);
        // Before the gate only silence.
        EXPECT_TRUE(std::all_of(left.begin(), left.begin() + firstWhite * perFrame,
                                [](int v) { return v == 0; }));
        if (c.video) continue;
        // The whole sound, then silence up to the loop back to the first frame, where the
        // first block's sound starts again at its frame's sample.
        const size_t loop = movieFrames * perFrame;
        ASSERT_LT(theirLeft.size(), loop);
        EXPECT_TRUE(std::all_of(left.begin() + theirLeft.size(), left.begin() + loop,
                                [](int v) { return v == 0; }));
        std::vector<int> again;
        for (size_t i = loop; i < left.size(); ++i) again.push_back(left[i] - theirLeft[i - loop]);
        EXPECT_LT(Rms(again, 0, again.size()), level * 0.01);
        EXPECT_EQ(Onset(std::vector<int>(left.begin() + loop, left.end())), Onset(theirLeft));
    }
}

}  // namespace
