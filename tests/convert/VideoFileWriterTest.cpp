#include "convert/VideoFileWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "audio/TestFiles.h"
#include "convert/GifPalette.h"
#include "convert/WavSoundInput.h"
#include "run/RunTestFiles.h"

namespace {

// A frame of one colour (blue, green, red) with a white pixel at the top left.
void Fill(convert::FrameBuffer& frame, int width, int height, int bits, uint8_t b, uint8_t g,
          uint8_t r) {
    ASSERT_TRUE(frame.Create(width, height, static_cast<uint16_t>(bits)));
    const int bytes = bits / 8;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = frame.row(y) + x * bytes;
            const bool corner = x == 0 && y == 0;
            pixel[0] = corner ? 255 : b;
            pixel[1] = corner ? 255 : g;
            pixel[2] = corner ? 255 : r;
            if (bytes == 4) pixel[3] = 255;
        }
}

TEST(GifPalette, FewColoursStayExactManyAreCutToTheNearest) {
    struct Case {
        int colours;   // distinct ones added
        int maxError;  // of any channel after mapping
    };
    const std::vector<Case> cases = {{1, 0}, {200, 0}, {256, 0}, {257, 48}, {4096, 48}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colours);
        convert::GifPalette palette;
        std::vector<uint8_t> pixels;
        for (int i = 0; i < c.colours; ++i) {
            // Spread over the cube so that the cut has work to do.
            pixels.insert(pixels.end(),
                          {static_cast<uint8_t>(i * 53), static_cast<uint8_t>(i >> 8 << 4),
                           static_cast<uint8_t>(i)});
        }
        palette.Add(pixels.data(), pixels.size() / 3);
        palette.Build();
        EXPECT_LE(palette.Colours().size(), convert::GifPalette::kMaxColours);
        int worst = 0;
        for (size_t i = 0; i < pixels.size(); i += 3) {
            const uint32_t colour =
                palette.Colours()[palette.IndexOf(pixels[i], pixels[i + 1], pixels[i + 2])];
            worst = std::max({worst, std::abs(static_cast<int>(colour & 0xFF) - pixels[i]),
                              std::abs(static_cast<int>((colour >> 8) & 0xFF) - pixels[i + 1]),
                              std::abs(static_cast<int>((colour >> 16) & 0xFF) - pixels[i + 2])});
            EXPECT_EQ(colour >> 24, 0xFFu);
        }
        EXPECT_LE(worst, c.maxError);
    }
}

class VideoFileWriterTest : public testing::Test {
  protected:
    convert::VideoFileTarget Spec(const std::string& name) {
        convert::VideoFileTarget target;
        target.path = scratch_.File(name);
        target.formatName = "matroska";
        target.videoEncoder = "ffv1";
        target.pixelFormat = "bgr0";
        target.width = 16;
        target.height = 12;
        target.frameRate100 = 1000;
        return target;
    }
    testfiles::ScratchDir scratch_;
};

TEST_F(VideoFileWriterTest, SoundOfAnyPcmFormatLastsAsLongAsTheFrames) {
    struct Case {
        int rate, bits, channels;
        double seconds;       // of the WAV file
        std::string encoder;  // of the sound
        double tolerance;     // seconds
    };
    // Matroska keeps no note of AAC's priming samples: its decode is a frame of 1024 longer.
    const std::vector<Case> cases = {
        {44100, 16, 2, 3.0, "flac", 0.01},      {22050, 8, 1, 0.3, "flac", 0.01},
        {48000, 24, 2, 1.0, "pcm_s16le", 0.01}, {8000, 32, 1, 2.0, "libopus", 0.03},
        {44100, 16, 2, 0.0, "aac", 0.05},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits to " + c.encoder);
        if (!convert::VideoFileWriter::HasEncoder(c.encoder)) {
            std::printf("[  SKIPPED ] this FFmpeg has no %s encoder\n", c.encoder.c_str());
            continue;
        }
        audio::WaveFormat format;
        format.samplesPerSec = static_cast<uint32_t>(c.rate);
        format.bitsPerSample = static_cast<uint16_t>(c.bits);
        format.channels = static_cast<uint16_t>(c.channels);
        format = audio::NormalizePcm(format);
        const std::string wavPath = scratch_.File("sound.wav");
        runtest::WriteWavFile(wavPath, format,
                              static_cast<size_t>(c.seconds * c.rate) * format.blockAlign);
        convert::WavSoundInput source;
        ASSERT_EQ(source.Open(wavPath), 0);
        convert::VideoFileTarget target = Spec("sound.mkv");
        target.audioEncoder = c.encoder;
        convert::VideoFileWriter writer;
        ASSERT_EQ(writer.Open(target, &source), "");
        convert::FrameBuffer frame;
        Fill(frame, 16, 12, 24, 10, 20, 30);
        for (int i = 0; i < 10; ++i) ASSERT_EQ(writer.WriteFrame(frame), "");
        ASSERT_EQ(writer.Close(), "");
        // Ten frames at 10 fps: one second of sound, whatever the file held.
        EXPECT_NEAR(runtest::DecodedSound(target.path).size() / 48000.0, 1.0, c.tolerance);
        EXPECT_EQ(runtest::ProbeField(target.path, "video", "nb_read_frames"), "10");
        std::filesystem::remove(target.path);
    }
}

// Whatever stops a file, a refused target, a frame of another size, no frame at all or a
// writer let go unclosed, no file is left.
TEST_F(VideoFileWriterTest, FailuresLeaveNoFile) {
    struct Case {
        std::string name;
        std::function<void(convert::VideoFileTarget&)> change;
        int frameWidth;    // 0: no frame written
        std::string says;  // empty: the writer is let go without Close
    };
    const auto same = [](convert::VideoFileTarget&) {};
    const std::vector<Case> cases = {
        {"rate", [](convert::VideoFileTarget& s) { s.frameRate100 = 0; }, 16, "no frames of that"},
        {"muxer", [](convert::VideoFileTarget& s) { s.formatName = "nosuch"; }, 16,
         "this FFmpeg cannot write nosuch files"},
        {"encoder", [](convert::VideoFileTarget& s) { s.videoEncoder = "nosuch"; }, 16,
         "this FFmpeg has no nosuch encoder"},
        {"crf", [](convert::VideoFileTarget& s) { s.crf = 20; }, 16, "ffv1 takes no --crf"},
        {"folder", [this](convert::VideoFileTarget& s) { s.path = scratch_.File("no/such.mkv"); },
         16, "could not create"},
        {"frame size", same, 15, "a frame does not have the video's size"},
        {"no frames", same, 0, "no frame was written"},
        {"not closed", same, 16, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        convert::VideoFileTarget target = Spec("fail.mkv");
        c.change(target);
        {
            convert::VideoFileWriter writer;
            std::string said = writer.Open(target, nullptr);
            if (said.empty() && c.frameWidth > 0) {
                convert::FrameBuffer frame;
                Fill(frame, c.frameWidth, 12, 32, 0, 0, 0);
                said = writer.WriteFrame(frame);
                if (c.says.empty()) {
                    // Written under a temporary name until closed.
                    EXPECT_EQ(said, "");
                    EXPECT_EQ(scratch_.Entries(), std::vector<std::string>{"fail.mkv.partial"});
                } else {
                    if (said.empty()) said = writer.Close();
                    writer.Discard();
                }
            } else if (said.empty()) {
                said = writer.Close();
            }
            EXPECT_EQ(said.substr(0, c.says.size()), c.says) << said;
        }
        EXPECT_TRUE(scratch_.Entries().empty());
    }
}

}  // namespace
