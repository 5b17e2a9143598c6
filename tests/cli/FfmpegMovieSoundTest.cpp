// Movies written by FFmpeg's SWF muxer (an MP3 stream sound beside Sorenson video): the sound
// that `kinetrope avi --audio movie` and `kinetrope wav` record is FFmpeg's own decode of the
// movie, sample for sample, at the same place relative to the pictures, at the same level
// and pitch.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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
    };
    // The muxer's MP3 rates, mono and stereo, and frame intervals longer and shorter than an
    // MP3 frame (so that some blocks hold several MP3 frames and some none).
    const Case cases[] = {{44100, 1, 12}, {22050, 2, 30}, {11025, 1, 15}, {44100, 2, 50}};
    testfiles::ScratchDir scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) +
                     " channels, " + std::to_string(c.fps) + " fps");
        const std::string movie = scratch.File("ffmpeg.swf");
        const std::string fps = std::to_string(c.fps);
        // Black pictures that turn white, and a tone (in stereo the right channel at half its
        // level) that starts, at the gate.
        const std::string gate = "gte(t," + std::to_string(kGateSeconds) + ")";
        const std::string tone = "if(" + gate + ",0.5*sin(2*PI*440*t),0)" +
                                 (c.channels == 2 ? "|if(" + gate + ",0.25*sin(2*PI*440*t),0)" : "");
        const std::string write =
            "ffmpeg -v error -y -f lavfi -i \"color=c=black:s=160x120:r=" + fps +
            ",drawbox=c=white:t=fill:enable='" + gate + "'\" -f lavfi -i \"aevalsrc='" + tone + "':s=" +
            std::to_string(c.rate) + "\" -t 3 -c:v flv -c:a libmp3lame -ac " +
            std::to_string(c.channels) + " -ar " + std::to_string(c.rate) + " '" + movie +
            "' && echo ok";
        ASSERT_EQ(ReadCommand(write), "ok\n");

        // Where FFmpeg sees the first white picture.
        const std::string gray = ReadCommand("ffmpeg -v error -i '" + movie +
                                             "' -map 0:v:0 -vf scale=1:1 -pix_fmt gray -f rawvideo -");
        ASSERT_EQ(gray.size(), static_cast<size_t>(3 * c.fps));
        const auto firstWhite = static_cast<size_t>(
            std::find_if(gray.begin(), gray.end(), [](char v) { return uint8_t(v) > 128; }) -
            gray.begin());
        EXPECT_EQ(firstWhite, static_cast<size_t>(kGateSeconds * c.fps));

        // FFmpeg's decode of the sound, in the movie's own channels: its upmix would lower a
        // mono sound by 3 dB, where the player plays it at full level on both sides.
        const std::vector<int> theirs = Samples(ReadCommand(
            "ffmpeg -v error -i '" + movie + "' -map 0:a:0 -f s16le -ar 44100 -ac " +
            std::to_string(c.channels) + " -"));
        const std::vector<int> theirLeft = Channel(theirs, c.channels, 0);
        const std::vector<int> theirRight = Channel(theirs, c.channels, c.channels - 1);
        ASSERT_GT(theirLeft.size(), kMixRate * 2);

        const std::string avi = scratch.File("movie.avi");
        const CommandRun run = RunKinetrope({"avi", movie, "-o", avi, "--audio", "movie"});
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<int> ours = Samples(
            ReadCommand("ffmpeg -v error -i '" + avi + "' -map 0:a:0 -c copy -f data -"));
        const size_t perFrame = kMixRate / static_cast<size_t>(c.fps);
        ASSERT_EQ(ours.size(), 2 * perFrame * 3 * static_cast<size_t>(c.fps));
        const std::vector<int> left = Channel(ours, 2, 0);
        const std::vector<int> right = Channel(ours, 2, 1);

        // `kinetrope wav` records the same sound.
        const std::string wavPath = scratch.File("movie.wav");
        ASSERT_EQ(RunKinetrope({"wav", movie, "-o", wavPath}).status, 0);
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
    }
}

}  // namespace
