// kinetrope video: every container read back with ffprobe (codecs, size, frames, rate, pixel
// format, sound and its length), its pictures compared with the AVI of the same movie, alpha
// where the container carries it, a GIF's delays, and refusals that leave nothing behind.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/TestFiles.h"
#include "audio/WavFile.h"
#include "cli/JsonValue.h"
#include "cli/RunKinetrope.h"
#include "convert/VideoFileWriter.h"
#include "settings/VideoExportSettings.h"
#include "support/SwfWriter.h"

namespace {

constexpr int kFrames = 12;
constexpr int kToneFrame = 5;

// ffprobe's description of a file's streams, with their frames counted.
struct Probe {
    cli::JsonValue json;

    static Probe Of(const std::string& path) {
        std::string error;
        auto json = cli::JsonValue::Parse(
            ReadCommand("ffprobe -v error -count_frames -show_streams -of json '" + path + "'"),
            error);
        EXPECT_TRUE(json) << path << ": " << error;
        return {json ? *json : cli::JsonValue()};
    }
    const cli::JsonValue* Stream(const std::string& type) const {
        const cli::JsonValue* streams = json.Member("streams");
        if (streams && streams->AsArray())
            for (const cli::JsonValue& stream : *streams->AsArray())
                if (Text(&stream, "codec_type") == type) return &stream;
        return nullptr;
    }
    // ffprobe writes some numbers as strings, some as numbers.
    static std::string Text(const cli::JsonValue* object, const std::string& name) {
        const cli::JsonValue* member = object ? object->Member(name) : nullptr;
        if (!member) return {};
        if (member->AsString()) return *member->AsString();
        if (member->AsNumber()) return std::to_string(static_cast<long long>(*member->AsNumber()));
        return {};
    }
    static double Number(const cli::JsonValue* object, const std::string& name) {
        const std::string text = Text(object, name);
        return text.empty() ? -1 : std::atof(text.c_str());
    }
};

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

// A sine of `seconds` at 44100 Hz, 16-bit stereo.
void WriteTone(const std::string& path, double seconds) {
    audio::WaveFormat format;
    format.channels = 2;
    format.samplesPerSec = 44100;
    format.bitsPerSample = 16;
    format = audio::NormalizePcm(format);
    audio::WavFile wav;
    ASSERT_EQ(wav.Open(path, audio::WavFile::WriteMode, &format), 0);
    std::vector<int16_t> samples;
    for (int i = 0; i < static_cast<int>(seconds * 44100); ++i) {
        const auto value = static_cast<int16_t>(8000 * std::sin(i * 2 * 3.14159265 * 440 / 44100));
        samples.insert(samples.end(), {value, value});
    }
    ASSERT_EQ(wav.Write(samples.data(), static_cast<uint32_t>(samples.size() * 2)), 0);
    ASSERT_EQ(wav.Close(), 0);
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

    // Nothing but the inputs is left in the scratch folder.
    void ExpectOnlyInputs() {
        for (const std::string& name : scratch_.Entries())
            EXPECT_TRUE(name == "movie.swf" || name == "long.wav" || name == "short.wav") << name;
    }

    testfiles::ScratchDir scratch_;
    const std::string movie_ = scratch_.File("movie.swf");
};

TEST_F(VideoCommand, ContainersHoldTheCodecsSizeFramesAndSoundAsked) {
    const std::string longWav = scratch_.File("long.wav");
    const std::string shortWav = scratch_.File("short.wav");
    WriteTone(longWav, 3.0);
    WriteTone(shortWav, 0.2);
    const std::string avi = scratch_.File("reference.avi");
    ASSERT_EQ(RunKinetrope({"avi", movie_, "-o", avi, "--audio", "none"}).status, 0);

    struct Case {
        std::string output;
        std::vector<std::string> options;
        std::string codec, pixelFormat;
        int width, height;
        std::string audioCodec;  // empty: no sound stream
        double minPsnr;          // against the AVI; 0: not compared
        bool alpha;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"default.mp4", {}, "h264", "yuv420p", 34, 26, "aac", 26, false},
        {"default.webm", {}, "vp9", "yuv420p", 34, 26, "opus", 26, false},
        {"default.mkv", {}, "h264", "yuv420p", 34, 26, "flac", 26, false},
        {"default.mov", {}, "prores", "yuv422p10le", 34, 25, "pcm_s16le", 35, false},
        {"short-sound.mp4", {"--audio", shortWav}, "h264", "yuv420p", 34, 26, "aac", 26, false},
        {"long-sound.mkv", {"--audio", longWav, "--audio-codec", "mp3"}, "h264", "yuv420p", 34, 26,
         "mp3", 26, false},
        {"hevc.mp4", {"--codec", "hevc", "--audio", "none"}, "hevc", "yuv420p", 34, 26, "", 26,
         false},
        {"av1.mkv", {"--codec", "av1", "--audio", "none"}, "av1", "yuv420p", 34, 26, "", 26, false},
        {"lossless.mkv", {"--codec", "ffv1", "--audio-codec", "pcm"}, "ffv1", "bgr0", 33, 25,
         "pcm_s16le", 100, false},
        {"alpha.webm", {"--depth", "32", "--audio", "none"}, "vp9", "yuv420p", 34, 26, "", 0, true},
        {"alpha.mov", {"--depth", "32", "--audio", "none"}, "prores", "yuva444p12le", 33, 25, "", 0,
         true},
        {"alpha.mkv", {"--depth", "32", "--codec", "ffv1", "--audio", "none"}, "ffv1", "bgra", 33,
         25, "", 0, true},
        {"crf.mp4", {"--crf", "10", "--preset", "veryfast", "--audio-bitrate", "96"}, "h264",
         "yuv420p", 34, 26, "aac", 28, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        std::vector<std::string> args = {"video", movie_, "-o", scratch_.File(c.output)};
        args.insert(args.end(), c.options.begin(), c.options.end());
        settings::VideoExportSettings wanted;
        settings::SetContainer(wanted, *settings::ContainerForPath(c.output));
        for (size_t i = 0; i + 1 < c.options.size(); ++i)
            if (c.options[i] == "--codec")
                wanted.videoCodec = *settings::ParseVideoCodec(c.options[i + 1]);
        if (settings::VideoEncoderName(wanted.videoCodec).empty()) {
            std::printf("[  SKIPPED ] %s: this FFmpeg has no %s encoder\n", c.output.c_str(),
                        settings::InfoOf(wanted.videoCodec).encoders);
            continue;
        }
        const CommandRun run = RunKinetrope(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "wrote " + scratch_.File(c.output) + "\n");

        const Probe probe = Probe::Of(scratch_.File(c.output));
        const cli::JsonValue* video = probe.Stream("video");
        ASSERT_NE(video, nullptr);
        EXPECT_EQ(Probe::Text(video, "codec_name"), c.codec);
        EXPECT_EQ(Probe::Text(video, "pix_fmt"), c.pixelFormat);
        EXPECT_EQ(Probe::Number(video, "width"), c.width);
        EXPECT_EQ(Probe::Number(video, "height"), c.height);
        EXPECT_EQ(Probe::Number(video, "nb_read_frames"), kFrames);
        EXPECT_EQ(Probe::Text(video, "avg_frame_rate"), "12/1");

        const cli::JsonValue* sound = probe.Stream("audio");
        if (c.audioCodec.empty()) {
            EXPECT_EQ(sound, nullptr);
        } else {
            ASSERT_NE(sound, nullptr);
            EXPECT_EQ(Probe::Text(sound, "codec_name"), c.audioCodec);
            // Whatever the sound's own length, it ends with the video's second.
            const std::string seconds =
                ReadCommand("ffmpeg -v error -i '" + scratch_.File(c.output) +
                            "' -map 0:a -f s16le -ac 1 -ar 48000 - | wc -c");
            EXPECT_NEAR(std::atof(seconds.c_str()) / 2 / 48000, 1.0, 0.03);
        }
        if (c.output.ends_with(".mp4")) {
            // Made to start playing at once: the index before the pictures.
            const std::vector<uint8_t> bytes = testfiles::ReadBytes(scratch_.File(c.output));
            const std::string text(bytes.begin(), bytes.end());
            EXPECT_LT(text.find("moov"), text.find("mdat"));
        }
        if (c.minPsnr > 0) {
            EXPECT_GT(Psnr(scratch_.File(c.output), avi, 33, 25), c.minPsnr);
        }
        if (c.alpha) {
            const std::string alpha =
                FirstAlpha(scratch_.File(c.output), c.codec == "vp9" ? "-c:v libvpx-vp9" : "");
            ASSERT_GE(alpha.size(), size_t{33 * 25});
            // Row 20 lies below the box: the stage there is transparent; the box is not.
            EXPECT_LT(static_cast<uint8_t>(alpha[20 * c.width + 30]), 16);
            EXPECT_GT(static_cast<uint8_t>(alpha[2 * c.width + 2]), 240);
        }
    }
    for (const std::string& name : scratch_.Entries())
        EXPECT_EQ(name.find(".partial"), std::string::npos) << name;
}

TEST_F(VideoCommand, MovieSoundLinesUpWithTheFrames) {
    const std::string out = scratch_.File("tone.mp4");
    const CommandRun run = RunKinetrope({"video", movie_, "-o", out, "--audio-codec", "aac"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string pcm =
        ReadCommand("ffmpeg -v error -i '" + out + "' -map 0:a -f s16le -ac 1 -ar 48000 -");
    size_t first = pcm.size() / 2;
    for (size_t i = 0; i + 1 < pcm.size(); i += 2)
        if (std::abs(static_cast<int16_t>(static_cast<uint8_t>(pcm[i]) |
                                          static_cast<uint8_t>(pcm[i + 1]) << 8)) > 2000) {
            first = i / 2;
            break;
        }
    // The tone starts with frame 5, 5/12 s in, and lasts a frame.
    EXPECT_NEAR(static_cast<double>(first), 48000.0 * kToneFrame / 12, 600);
}

TEST_F(VideoCommand, GifHasOnePaletteAndDelaysAveragingTheFrameRate) {
    struct Case {
        std::string fps;
        std::vector<int> delays;  // hundredths of a second
    };
    const std::vector<Case> cases = {
        {"12", {8, 9, 8, 8, 9, 8, 8, 9, 8, 8, 9, 8}},
        {"25", {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4}},
        {"30", {3, 4, 3, 3, 4, 3, 3, 4, 3, 3, 4, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fps);
        const std::string out = scratch_.File("movie" + c.fps + ".gif");
        const CommandRun run = RunKinetrope({"video", movie_, "-o", out, "--fps", c.fps});
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string packets =
            ReadCommand("ffprobe -v error -show_entries packet=duration -of csv=p=0 '" + out + "'");
        std::vector<int> delays;
        for (size_t at = 0; at < packets.size();) {
            const size_t end = packets.find('\n', at);
            delays.push_back(std::atoi(packets.substr(at, end - at).c_str()));
            at = end == std::string::npos ? packets.size() : end + 1;
        }
        EXPECT_EQ(delays, c.delays);
        const Probe probe = Probe::Of(out);
        EXPECT_EQ(Probe::Text(probe.Stream("video"), "codec_name"), "gif");
        EXPECT_EQ(Probe::Number(probe.Stream("video"), "width"), 33);
        EXPECT_EQ(probe.Stream("audio"), nullptr);
        // Few colours: the palette holds them exactly, so the pictures match the AVI's.
        const std::string avi = scratch_.File("movie" + c.fps + ".avi");
        ASSERT_EQ(
            RunKinetrope({"avi", movie_, "-o", avi, "--audio", "none", "--fps", c.fps}).status, 0);
        EXPECT_GT(Psnr(out, avi, 33, 25), 40);
        std::remove(avi.c_str());
    }
}

TEST_F(VideoCommand, RefusalsNameWhatWorksAndWriteNothing) {
    struct Case {
        std::string output;
        std::vector<std::string> options;
        int status;
        std::string says;
    };
    const std::vector<Case> cases = {
        {"a.mp4", {"--depth", "32"}, 2, "use .webm or .mov for --depth 32"},
        {"a.mkv",
         {"--depth", "32"},
         2,
         "use .webm or .mov for --depth 32 (or .mkv with --codec ffv1)"},
        {"a.gif", {"--audio", "movie"}, 2, "a GIF holds no sound; use --audio none"},
        {"a.mp4", {"--codec", "ffv1"}, 2, "MP4 cannot hold ffv1; it takes: h264, hevc, vp9"},
        {"a.webm", {"--codec", "h264"}, 2, "WebM cannot hold h264; it takes: vp9"},
        {"a.mp4", {"--audio-codec", "pcm"}, 2, "MP4 cannot hold pcm sound; it takes: aac"},
        {"a.mp4", {"--crf", "60"}, 2, "--crf for h264 is 0 to 51"},
        {"a.mov", {"--crf", "20"}, 2, "prores takes no --crf"},
        {"a.avi", {}, 2, "the output must end in .mp4, .mkv, .webm, .mov or .gif"},
        {"a.mp4",
         {"--codec", "mpeg2"},
         2,
         "--codec needs h264, hevc, vp9, av1, prores, ffv1 or gif"},
        {"a.mp4", {"--audio-bitrate", "2"}, 2, "--audio-bitrate needs kilobits per second"},
        {"a.mp4", {"--format", "44100:16:2"}, 2, "unknown option '--format'"},
        {"a.mp4", {"--audio", "missing.wav"}, 2, "(missing.wav)"},
        {"a.mp4",
         {"--preset", "sideways", "--audio", "none"},
         1,
         "could not start the libx264 encoder with --preset sideways"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output + " " + c.says);
        std::vector<std::string> args = {"video", movie_, "-o", scratch_.File(c.output)};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CommandRun run = RunKinetrope(args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        ExpectOnlyInputs();
    }
}

TEST_F(VideoCommand, FileThatCannotBeFinishedIsRemoved) {
    const std::string out = scratch_.File("big.mov");
    CommandRun run;
    {
        // ProRes frames outgrow this at once, as on a full disk.
        testfiles::FileSizeLimit limit(20000);
        run = RunKinetrope({"video", movie_, "-o", out, "--audio", "none", "--size", "330x250"});
    }
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("could not write " + out), std::string::npos) << run.err;
    ExpectOnlyInputs();
}

TEST_F(VideoCommand, ControlCCancelsAndRemovesTheOutput) {
    for (const std::string name : {"cancel.mp4", "cancel.gif"}) {
        SCOPED_TRACE(name);
        const CommandRun run = RunKinetropeInterrupted(
            {"video", movie_, "-o", scratch_.File(name), "--audio", "none", "--end", "1000000"});
        EXPECT_EQ(run.status, 130);
        EXPECT_NE(run.err.find("cancelled"), std::string::npos) << run.err;
        EXPECT_EQ(scratch_.Entries(), std::vector<std::string>{"movie.swf"});
    }
}

}  // namespace
