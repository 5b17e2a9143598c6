// The movie's own sound on the command line: an AVI's audio lines up with a flash in its
// pictures, and kinetrope wav writes the sound of the frames asked for, in the format asked
// for, or leaves an existing file alone when it cannot.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/TestFiles.h"
#include "audio/WavFile.h"
#include "cli/CommandLine.h"
#include "cli/RunKinetrope.h"
#include "support/SwfWriter.h"

namespace {

// 16-bit little-endian stereo samples as numbers; the left channel.
std::vector<int> LeftChannel(const std::string& bytes) {
    std::vector<int> left;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
        left.push_back(static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) |
                                            static_cast<uint8_t>(bytes[i + 1]) << 8));
    return left;
}

size_t FirstNonZero(const std::vector<int>& samples) {
    for (size_t i = 0; i < samples.size(); ++i)
        if (samples[i] != 0) return i;
    return samples.size();
}

constexpr int kFlashFrame = 5;
constexpr size_t kSamplesPerFrame = 3675;  // 44100 / 12

class SoundCommand : public testing::Test {
  protected:
    // 12 frames of 32 x 24 at 12 fps on black; frame 5 alone shows a white box and starts a
    // 440 Hz tone of one frame's length.
    void SetUp() override {
        swftest::SwfWriter movie;
        movie.frameSizePixels(32, 24).frameRate(12).setBackgroundColor({0, 0, 0});
        swftest::ShapeBuilder box;
        box.fill1(box.addFill(swftest::FillStyle::solid({255, 255, 255})))
            .rectangle(0, 0, swftest::px(32), swftest::px(24));
        std::vector<int16_t> tone;
        for (size_t i = 0; i < kSamplesPerFrame; ++i)
            tone.push_back(static_cast<int16_t>(
                std::lrint(10000 * std::sin(2 * 3.14159265358979 * 440 * i / 44100.0) + 1)));
        const swftest::SoundFormat mono44{swftest::SoundCodec::LittleEndianPcm,
                                          swftest::SoundRate::Hz44100, true, false};
        movie.defineShape(1, box).defineSound(2, mono44, swftest::SoundFormat::littleEndian(tone));
        for (int f = 0; f < 12; ++f) {
            if (f == kFlashFrame) movie.place(1, 1).startSound(2);
            if (f == kFlashFrame + 1) movie.removeObject2(1);
            movie.showFrame();
        }
        movie.writeFile(movie_);
    }

    testfiles::ScratchDir scratch_;
    const std::string movie_ = scratch_.File("flash.swf");
};

TEST_F(SoundCommand, AviSoundLinesUpWithTheFlashInThePictures) {
    const std::string out = scratch_.File("flash.avi");
    const CommandRun run =
        RunKinetrope({"avi", movie_, "-o", out, "--audio", "movie", "--fps", "12"});
    ASSERT_EQ(run.status, 0) << run.err;
    // The mean brightness of every picture: only frame 5 is white.
    const std::string gray = ReadCommand("ffmpeg -v error -i '" + out +
                                         "' -map 0:v:0 -vf scale=1:1 -pix_fmt gray -f rawvideo -");
    ASSERT_EQ(gray.size(), 12u);
    for (size_t f = 0; f < gray.size(); ++f)
        EXPECT_EQ(static_cast<uint8_t>(gray[f]) > 128, static_cast<int>(f) == kFlashFrame) << f;
    // The sound: silent up to the flash's first sample, the tone through its frame, then
    // silent again.
    const std::vector<int> left =
        LeftChannel(ReadCommand("ffmpeg -v error -i '" + out + "' -map 0:a:0 -c copy -f data -"));
    ASSERT_EQ(left.size(), 12 * kSamplesPerFrame);
    EXPECT_EQ(FirstNonZero(left), kFlashFrame * kSamplesPerFrame);
    double energy = 0;
    for (size_t i = kFlashFrame * kSamplesPerFrame; i < (kFlashFrame + 1) * kSamplesPerFrame; ++i)
        energy += static_cast<double>(left[i]) * left[i];
    EXPECT_NEAR(std::sqrt(energy / kSamplesPerFrame), 10000 / std::sqrt(2), 100);
    for (size_t i = (kFlashFrame + 1) * kSamplesPerFrame; i < left.size(); ++i)
        ASSERT_EQ(left[i], 0) << i;
}

TEST_F(SoundCommand, WavHoldsTheSoundOfTheFramesAskedForInTheFormatAskedFor) {
    struct Case {
        std::vector<std::string> options;
        uint32_t rate;
        uint16_t bits;
        uint16_t channels;
        uint32_t frames;  // sample frames written
        uint32_t toneAt;  // the first sample of the tone
    };
    const Case cases[] = {
        {{}, 44100, 16, 2, 12 * 3675, kFlashFrame * 3675},
        {{"--start", "3", "--end", "8"}, 44100, 16, 2, 6 * 3675, (kFlashFrame - 3) * 3675},
        {{"--format", "22050:8:1", "--mode", "frame"},
         22050,
         8,
         1,
         12 * 22050 / 12,
         kFlashFrame * 22050 / 12},
        {{"--format", "48000:16:2", "--mode", "skip", "--end", "6"},
         48000,
         16,
         2,
         7 * 4000,
         kFlashFrame * 4000},
    };
    for (const Case& c : cases) {
        const std::string out = scratch_.File("sound.wav");
        std::vector<std::string> args = {"wav", movie_, "-o", out};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CommandRun run = RunKinetrope(args);
        SCOPED_TRACE(run.err);
        ASSERT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "wrote " + out + "\n");
        audio::WavFile wav;
        ASSERT_EQ(wav.Open(out, audio::WavFile::ReadMode), 0);
        const audio::WaveFormat& format = *wav.Format();
        EXPECT_EQ(format.samplesPerSec, c.rate);
        EXPECT_EQ(format.bitsPerSample, c.bits);
        EXPECT_EQ(format.channels, c.channels);
        EXPECT_EQ(wav.DataSize(), c.frames * format.blockAlign);
        std::vector<uint8_t> data(wav.DataSize());
        ASSERT_EQ(wav.Read(data.data(), static_cast<uint32_t>(data.size())), 0);
        // The first sample whose first channel is not silence.
        const uint8_t silence = c.bits == 8 ? 0x80 : 0;
        size_t first = c.frames;
        for (size_t i = 0; i < c.frames; ++i) {
            const uint8_t* sample = &data[i * format.blockAlign];
            if (sample[0] != silence || (c.bits == 16 && sample[1] != 0)) {
                first = i;
                break;
            }
        }
        EXPECT_NEAR(static_cast<double>(first), c.toneAt, c.rate == 44100 ? 0 : 2);
        wav.Close();
        std::remove(out.c_str());
    }
    // Only the movie is left: no scratch file stays behind.
    EXPECT_EQ(scratch_.Entries().size(), 1u);
}

TEST_F(SoundCommand, WavThatCannotBeMadeLeavesAnExistingFileAlone) {
    const std::string out = scratch_.File("keep.wav");
    testfiles::WriteBytes(out, {'k', 'e', 'e', 'p'});
    const CommandRun missing = RunKinetrope({"wav", scratch_.File("none.swf"), "-o", out});
    EXPECT_EQ(missing.status, 1);
    const CommandRun backwards =
        RunKinetrope({"wav", movie_, "-o", out, "--start", "9", "--end", "2"});
    EXPECT_EQ(backwards.status, 2);
    EXPECT_EQ(backwards.err, "kinetrope wav: the start frame is after the end frame\n");
    const CommandRun sized = RunKinetrope({"wav", movie_, "-o", out, "--size", "10x10"});
    EXPECT_EQ(sized.status, 2);
    EXPECT_EQ(ReadCommand("cat '" + out + "'"), "keep");
    EXPECT_EQ(scratch_.Entries().size(), 2u);
}

}  // namespace
