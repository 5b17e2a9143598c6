// kinetrope video: every container read back with ffprobe (codecs, size, frames, rate or a
// GIF's delays, pixel format, sound, its length and the movie's tone in time), its pictures
// compared with the AVI of the same movie, alpha where the container carries it, and failures
// that leave nothing behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "audio/TestFiles.h"
#include "cli/RunKinetrope.h"
#include "run/RunTestFiles.h"
#include "settings/VideoExportSettings.h"
#include "support/SwfWriter.h"

namespace {

constexpr int kFrames = 12;
constexpr int kToneFrame = 5;

// The average PSNR of two videos' pictures, paired in order, the first cut to the second's
// size.
double Psnr(const std::string& video, const std::string& reference, int width, int height) {
    const std::string output =
        ReadCommand("ffmpeg -nostats -i '" + video + "' -i '" + reference +
                    "' -lavfi '[0:v]settb=1,setpts=N,format=rgb24,crop=" + std::to_string(width) +
                    ":" + std::to_string(height) +
                    ":0:0[a];[1:v]settb=1,setpts=N,format=rgb24[b];[a][b]psnr' -f null - 2>&1");
    const size_t at = output.find("average:");
    if (at == std::string::npos) return -1;
    return output.compare(at + 8, 3, "inf") == 0 ? 1000 : std::atof(output.c_str() + at + 8);
}

// The alpha bytes of a video's first picture.
std::string FirstAlpha(const std::string& video, const std::string& decoder) {
    const std::string rgba = ReadCommand("ffmpeg -v error " + decoder + " -i '" + video +
                                         "' -frames:v 1 -f rawvideo -pix_fmt rgba - 2>/dev/null");
    std::string alpha;
    for (size_t i = 3; i < rgba.size(); i += 4) alpha += rgba[i];
    return alpha;
}

class VideoCommand : public testing::Test {
  protected:
    // 12 frames of 33 x 25 (odd, so 4:2:0 pads) at 12 fps: an orange box stepping right over
    // a transparent stage (dark blue at 24 bits); frame 5 starts a 440 Hz tone of a frame.
    void SetUp() override {
        swftest::SwfWriter movie;
        movie.frameSizePixels(33, 25).frameRate(12).setBackgroundColor({10, 20, 60});
        swftest::ShapeBuilder box;
        box.fill1(box.addFill(swftest::FillStyle::solid({240, 140, 30})))
            .rectangle(0, 0, swftest::px(10), swftest::px(10));
        std::vector<int16_t> tone;
        for (int i = 0; i < 3675; ++i)
            tone.push_back(static_cast<int16_t>(
                std::lrint(9000 * std::sin(i * 2 * 3.14159265 * 440 / 44100))));
        const swftest::SoundFormat mono44{swftest::SoundCodec::LittleEndianPcm,
                                          swftest::SoundRate::Hz44100, true, false};
        movie.defineShape(1, box).defineSound(2, mono44, swftest::SoundFormat::littleEndian(tone));
        for (int f = 0; f < kFrames; ++f) {
            const swftest::Matrix at =
                swftest::Matrix::translation(swftest::px(2 * f), swftest::px(f));
            if (f == 0)
                movie.place(1, 1, at);
            else
                movie.move(1, at);
            if (f == kToneFrame) movie.startSound(2);
            movie.showFrame();
        }
        movie.writeFile(movie_);
    }

    testfiles::ScratchDir scratch_;
    const std::string movie_ = scratch_.File("movie.swf");
};

TEST_F(VideoCommand, ContainersHoldTheCodecsSizeFramesAndSoundAsked) {
    // Three seconds and a fifth of one of 44.1 kHz 16-bit stereo.
    runtest::WriteWavFile(scratch_.File("long.wav"), audio::WaveFormat(), 3 * 176400);
    runtest::WriteWavFile(scratch_.File("short.wav"), audio::WaveFormat(), 176400 / 5);
    std::map<std::string, std::string> references;  // the AVI of each --fps, to compare with
    struct Case {
        std::string output;
        std::vector<std::string> options;
        std::string codec, pixelFormat;
        int width, height;
        std::string audioCodec;  // empty: no sound stream
        double minPsnr;          // against the AVI; 0: not compared
        bool alpha;
        std::vector<int> gifDelays;  // hundredths of a second; a GIF's rate
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"default.mp4", {}, "h264", "yuv420p", 34, 26, "aac", 26, false, {}},
        {"default.webm", {}, "vp9", "yuv420p", 34, 26, "opus", 26, false, {}},
        {"default.mkv", {}, "h264", "yuv420p", 34, 26, "flac", 26, false, {}},
        {"default.mov", {}, "prores", "yuv422p10le", 34, 25, "pcm_s16le", 35, false, {}},
        {"short-sound.mp4", {"--audio", scratch_.File("short.wav")}, "h264", "yuv420p", 34, 26,
         "aac", 26, false, {}},
        {"long-sound.mkv", {"--audio", scratch_.File("long.wav"), "--audio-codec", "mp3"}, "h264",
         "yuv420p", 34, 26, "mp3", 26, false, {}},
        {"hevc.mp4", {"--codec", "hevc", "--audio", "none"}, "hevc", "yuv420p", 34, 26, "", 26,
         false, {}},
        {"av1.mkv", {"--codec", "av1", "--audio", "none"}, "av1", "yuv420p", 34, 26, "", 26, false,
         {}},
        {"lossless.mkv", {"--codec", "ffv1", "--audio-codec", "pcm"}, "ffv1", "bgr0", 33, 25,
         "pcm_s16le", 100, false, {}},
        {"alpha.webm", {"--depth", "32", "--audio", "none"}, "vp9", "yuv420p", 34, 26, "", 0, true,
         {}},
        {"alpha.mov", {"--depth", "32", "--audio", "none"}, "prores", "yuva444p12le", 33, 25, "", 0,
         true, {}},
        {"alpha.mkv", {"--depth", "32", "--codec", "ffv1", "--audio", "none"}, "ffv1", "bgra", 33,
         25, "", 0, true, {}},
        {"crf.mp4", {"--crf", "10", "--preset", "veryfast", "--audio-bitrate", "96"}, "h264",
         "yuv420p", 34, 26, "aac", 28, false, {}},
        // One palette for few colours: the pictures match the AVI's; the delays average the rate.
        {"12.gif", {"--fps", "12"}, "gif", "bgra", 33, 25, "", 40, false,
         {8, 9, 8, 8, 9, 8, 8, 9, 8, 8, 9, 8}},
        {"25.gif", {"--fps", "25"}, "gif", "bgra", 33, 25, "", 40, false,
         {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4}},
        {"30.gif", {"--fps", "30"}, "gif", "bgra", 33, 25, "", 40, false,
         {3, 4, 3, 3, 4, 3, 3, 4, 3, 3, 4, 3}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        const std::string output = scratch_.File(c.output);
        settings::VideoExportSettings wanted;
        settings::SetContainer(wanted, *settings::ContainerForPath(c.output));
        std::string fps = "12";
        bool movieSound = !c.audioCodec.empty();
        for (size_t i = 0; i + 1 < c.options.size(); ++i) {
            if (c.options[i] == "--codec")
                wanted.videoCodec = *settings::ParseVideoCodec(c.options[i + 1]);
            if (c.options[i] == "--fps") fps = c.options[i + 1];
            if (c.options[i] == "--audio") movieSound = false;
        }
        if (settings::VideoEncoderName(wanted.videoCodec).empty()) {
            std::printf("[  SKIPPED ] %s: this FFmpeg has no %s encoder\n", c.output.c_str(),
                        settings::InfoOf(wanted.videoCodec).encoders);
            continue;
        }
        std::vector<std::string> args = {"video", movie_, "-o", output};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CommandRun run = RunKinetrope(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "wrote " + output + "\n");

        const auto video = runtest::ProbeStream(output, "video");
        ASSERT_TRUE(video);
        EXPECT_EQ(video->at("codec_name"), c.codec);
        EXPECT_EQ(video->at("pix_fmt"), c.pixelFormat);
        EXPECT_EQ(video->at("width"), std::to_string(c.width));
        EXPECT_EQ(video->at("height"), std::to_string(c.height));
        EXPECT_EQ(video->at("nb_read_frames"), std::to_string(kFrames));
        if (c.gifDelays.empty()) {
            EXPECT_EQ(video->at("avg_frame_rate"), "12/1");
        } else {
            std::istringstream packets(ReadCommand(
                "ffprobe -v error -show_entries packet=duration -of csv=p=0 '" + output + "'"));
            std::vector<int> delays;
            for (int delay = 0; packets >> delay;) delays.push_back(delay);
            EXPECT_EQ(delays, c.gifDelays);
        }

        const auto sound = runtest::ProbeStream(output, "audio");
        ASSERT_EQ(sound.has_value(), !c.audioCodec.empty());
        if (sound) {
            EXPECT_EQ(sound->at("codec_name"), c.audioCodec);
            // Whatever the sound's own length, it ends with the video's second.
            const std::vector<int16_t> samples = runtest::DecodedSound(output);
            EXPECT_NEAR(samples.size() / 48000.0, 1.0, 0.03);
            // The movie's tone starts with frame 5, 5/12 s in.
            const auto loud =
                std::ranges::find_if(samples, [](int16_t s) { return std::abs(s) > 2000; });
            if (movieSound) {
                EXPECT_NEAR(static_cast<double>(loud - samples.begin()), 48000.0 * kToneFrame / 12,
                            600);
            }
        }
        if (c.output.ends_with(".mp4")) {
            // Made to start playing at once: the index before the pictures.
            const std::vector<uint8_t> bytes = testfiles::ReadBytes(output);
            const std::string text(bytes.begin(), bytes.end());
            EXPECT_LT(text.find("moov"), text.find("mdat"));
        }
        if (c.minPsnr > 0) {
            std::string& avi = references[fps];
            if (avi.empty()) {
                avi = scratch_.File("reference" + fps + ".avi");
                ASSERT_EQ(RunKinetrope({"avi", movie_, "-o", avi, "--audio", "none", "--fps", fps})
                              .status,
                          0);
            }
            EXPECT_GT(Psnr(output, avi, 33, 25), c.minPsnr);
        }
        if (c.alpha) {
            const std::string alpha = FirstAlpha(output, c.codec == "vp9" ? "-c:v libvpx-vp9" : "");
            ASSERT_GE(alpha.size(), size_t{33 * 25});
            // Row 20 lies below the box: the stage there is transparent; the box is not.
            EXPECT_LT(static_cast<uint8_t>(alpha[20 * c.width + 30]), 16);
            EXPECT_GT(static_cast<uint8_t>(alpha[2 * c.width + 2]), 240);
        }
    }
    for (const std::string& name : scratch_.Entries())
        EXPECT_EQ(name.find(".partial"), std::string::npos) << name;
}

// Refusals of the options, a disk that fills up and Ctrl+C: each says why and leaves nothing
// but the inputs.
TEST_F(VideoCommand, FailuresSayWhyAndLeaveOnlyTheInputs) {
    enum class Run { Plain, FullDisk, Interrupted };
    struct Case {
        std::string output;
        std::vector<std::string> options;
        Run how;
        int status;
        std::string says;
    };
    const std::vector<Case> cases = {
        {"a.mp4", {"--depth", "32"}, Run::Plain, 2, "use .webm or .mov for --depth 32"},
        {"a.mkv",
         {"--depth", "32"},
         Run::Plain,
         2,
         "use .webm or .mov for --depth 32 (or .mkv with --codec ffv1)"},
        {"a.gif", {"--audio", "movie"}, Run::Plain, 2, "a GIF holds no sound; use --audio none"},
        {"a.mp4",
         {"--codec", "ffv1"},
         Run::Plain,
         2,
         "MP4 cannot hold ffv1; it takes: h264, hevc, vp9"},
        {"a.webm", {"--codec", "h264"}, Run::Plain, 2, "WebM cannot hold h264; it takes: vp9"},
        {"a.mp4",
         {"--audio-codec", "pcm"},
         Run::Plain,
         2,
         "MP4 cannot hold pcm sound; it takes: aac"},
        {"a.mp4", {"--crf", "60"}, Run::Plain, 2, "--crf for h264 is 0 to 51"},
        {"a.mov", {"--crf", "20"}, Run::Plain, 2, "prores takes no --crf"},
        {"a.avi", {}, Run::Plain, 2, "the output must end in .mp4, .mkv, .webm, .mov or .gif"},
        {"a.mp4",
         {"--codec", "mpeg2"},
         Run::Plain,
         2,
         "--codec needs h264, hevc, vp9, av1, prores, ffv1 or gif"},
        {"a.mp4",
         {"--audio-bitrate", "2"},
         Run::Plain,
         2,
         "--audio-bitrate needs kilobits per second"},
        {"a.mp4", {"--format", "44100:16:2"}, Run::Plain, 2, "unknown option '--format'"},
        {"a.mp4", {"--audio", "missing.wav"}, Run::Plain, 2, "(missing.wav)"},
        {"a.mp4",
         {"--preset", "sideways", "--audio", "none"},
         Run::Plain,
         1,
         "could not start the libx264 encoder with --preset sideways"},
        // ProRes frames outgrow the limit at once.
        {"big.mov",
         {"--audio", "none", "--size", "330x250"},
         Run::FullDisk,
         1,
         "could not write " + scratch_.File("big.mov")},
        {"cancel.mp4", {"--audio", "none", "--end", "1000000"}, Run::Interrupted, 130, "cancelled"},
        {"cancel.gif", {"--audio", "none", "--end", "1000000"}, Run::Interrupted, 130, "cancelled"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output + " " + c.says);
        std::vector<std::string> args = {"video", movie_, "-o", scratch_.File(c.output)};
        args.insert(args.end(), c.options.begin(), c.options.end());
        CommandRun run;
        if (c.how == Run::Interrupted) {
            run = RunKinetropeInterrupted(args);
        } else {
            std::optional<testfiles::FileSizeLimit> limit;
            if (c.how == Run::FullDisk) limit.emplace(20000);
            run = RunKinetrope(args);
        }
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_EQ(scratch_.Entries(), std::vector<std::string>{"movie.swf"});
    }
}

}  // namespace
