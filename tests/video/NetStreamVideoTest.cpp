// A Video object on the stage showing a NetStream: after attachVideo and play of an FLV file
// FFmpeg writes, each frame drawn is one of FFmpeg's own pictures of the file, never an
// earlier one than the frame before, the last once the stream has ended; a Video of another
// size than the file's pictures shows them stretched over its rectangle.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/ActionBuilder.h"
#include "support/BitWriter.h"
#include "support/Placement.h"
#include "support/SwfWriter.h"
#include "swf/player/Player.h"

namespace {

namespace fs = std::filesystem;
namespace st = swftest;
using Push = st::ActionBuilder::Value;

constexpr int kFileWidth = 160;
constexpr int kFileHeight = 120;
constexpr int kFileFrames = 24;
constexpr size_t kFileFrameBytes = size_t{kFileWidth} * kFileHeight * 3;

std::string ReadCommand(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[1 << 16];
        for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, got);
        pclose(pipe);
    }
    return output;
}

struct FeedCase {
    std::string name;
    std::string codec;
    int videoWidth;  // the Video object's own size on the stage
    int videoHeight;
};

class NetStreamVideoTest : public testing::TestWithParam<FeedCase> {};

// The Video object's pixel (x, y) of a drawn stage against FFmpeg's picture `frame`, sampled
// where the stretched picture puts that pixel's centre.
double Psnr(const std::vector<uint8_t>& bgr, int stageWidth, const FeedCase& c,
            const uint8_t* picture) {
    double sum = 0;
    for (int y = 0; y < c.videoHeight; ++y)
        for (int x = 0; x < c.videoWidth; ++x) {
            const int px = (2 * x + 1) * kFileWidth / (2 * c.videoWidth);
            const int py = (2 * y + 1) * kFileHeight / (2 * c.videoHeight);
            const uint8_t* ours = &bgr[(static_cast<size_t>(y) * stageWidth + x) * 3];
            const uint8_t* theirs = picture + (static_cast<size_t>(py) * kFileWidth + px) * 3;
            for (int ch = 0; ch < 3; ++ch) {
                const double d = static_cast<double>(ours[2 - ch]) - theirs[ch];
                sum += d * d;
            }
        }
    const double mse = sum / (3.0 * c.videoWidth * c.videoHeight);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST_P(NetStreamVideoTest, AttachedVideoShowsTheStreamsPictures) {
    const FeedCase& c = GetParam();
    const fs::path folder =
        fs::temp_directory_path() / ("kt-netstream-" + std::to_string(getpid()) + "-" + c.name);
    fs::create_directories(folder);
    const std::string flv = (folder / "clip.flv").string();
    ASSERT_EQ(
        ReadCommand("ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=12 -frames:v 24 "
                    "-c:v " +
                    c.codec + " '" + flv + "' 2>&1"),
        "");
    const std::string pictures =
        ReadCommand("ffmpeg -v error -i '" + flv + "' -f rawvideo -pix_fmt rgb24 -");
    ASSERT_EQ(pictures.size(), kFileFrameBytes * kFileFrames);
    const auto* expected = reinterpret_cast<const uint8_t*>(pictures.data());

    const int stageWidth = kFileWidth, stageHeight = kFileHeight;
    st::SwfWriter movie;
    movie.version(8).frameSizePixels(stageWidth, stageHeight).frameRate(12);
    // A Video object as authoring tools place one: a stream of no frames and no codec.
    st::BitWriter define;
    define.u16(1)
        .u16(0)
        .u16(static_cast<uint16_t>(c.videoWidth))
        .u16(static_cast<uint16_t>(c.videoHeight))
        .u8(0)
        .u8(0);
    movie.tag(60, define.bytes());
    movie.placeObject2({.depth = 1, .character = 1, .name = "v"});
    st::ActionBuilder script;
    script.push({Push::string("nc"), Push::integer(0), Push::string("NetConnection")})
        .newObject()
        .setVariable()
        .push({Push::null(), Push::integer(1), Push::string("nc")})
        .getVariable()
        .pushString("connect")
        .callMethod()
        .pop()
        .push({Push::string("ns"), Push::string("nc")})
        .getVariable()
        .push({Push::integer(1), Push::string("NetStream")})
        .newObject()
        .setVariable()
        .pushString("ns")
        .getVariable()
        .push({Push::integer(1), Push::string("v")})
        .getVariable()
        .pushString("attachVideo")
        .callMethod()
        .pop()
        .push({Push::string("clip.flv"), Push::integer(1), Push::string("ns")})
        .getVariable()
        .pushString("play")
        .callMethod()
        .pop();
    movie.doAction(script).showFrame();
    for (int f = 1; f < 48; ++f) movie.showFrame();
    const fs::path swf = folder / "movie.swf";
    movie.writeFile(swf);

    swf::Player player;
    player.SetRenderQuality(swf::RenderQuality::Low);
    ASSERT_TRUE(player.LoadMovie(swf.string())) << player.LoadError();
    std::vector<uint8_t> bgr(static_cast<size_t>(stageWidth) * stageHeight * 3);
    int lastShown = -1;
    int pictured = 0;
    for (int tick = 0; tick < 40; ++tick) {
        player.OnTimer(0);
        ASSERT_TRUE(player.Draw({bgr.data(), static_cast<size_t>(stageWidth) * 3, 24, false}));
        // The stream's picture this frame: the closest of FFmpeg's, at least as late as the last.
        int best = -1;
        double bestPsnr = 0;
        for (int f = 0; f < kFileFrames; ++f) {
            const double psnr = Psnr(bgr, stageWidth, c, expected + f * kFileFrameBytes);
            if (psnr > bestPsnr) {
                bestPsnr = psnr;
                best = f;
            }
        }
        if (bestPsnr < 35) {
            EXPECT_EQ(lastShown, -1) << "tick " << tick << ": the picture went";
            continue;
        }
        EXPECT_GE(best, lastShown) << "tick " << tick;
        lastShown = best;
        ++pictured;
    }
    EXPECT_EQ(lastShown, kFileFrames - 1) << "the stream ends on its last picture";
    EXPECT_GE(pictured, kFileFrames);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

INSTANTIATE_TEST_SUITE_P(Files, NetStreamVideoTest,
                         testing::Values(FeedCase{"H263", "flv", 160, 120},
                                         FeedCase{"ScreenVideo", "flashsv", 160, 120},
                                         FeedCase{"ScreenVideo2", "flashsv2", 160, 120},
                                         FeedCase{"H263Stretched", "flv", 80, 60}),
                         [](const auto& info) { return info.param.name; });

}  // namespace

namespace {

// The sound of an FLV file a NetStream plays goes through the movie's mix: a 440 Hz tone of
// two seconds is heard from the frame the stream starts, for two seconds, at its pitch.
TEST(NetStreamSoundTest, FileSoundPlaysThroughTheMix) {
    const fs::path folder =
        fs::temp_directory_path() / ("kt-netstream-sound-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string flv = (folder / "clip.flv").string();
    ASSERT_EQ(ReadCommand("ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=2 -c:a "
                          "libmp3lame -ar 44100 -ac 1 '" +
                          flv + "' 2>&1"),
              "");
    st::SwfWriter movie;
    movie.version(8).frameSizePixels(40, 30).frameRate(12);
    st::ActionBuilder script;
    script.push({Push::string("nc"), Push::integer(0), Push::string("NetConnection")})
        .newObject()
        .setVariable()
        .push({Push::null(), Push::integer(1), Push::string("nc")})
        .getVariable()
        .pushString("connect")
        .callMethod()
        .pop()
        .push({Push::string("ns"), Push::string("nc")})
        .getVariable()
        .push({Push::integer(1), Push::string("NetStream")})
        .newObject()
        .setVariable()
        .push({Push::string("clip.flv"), Push::integer(1), Push::string("ns")})
        .getVariable()
        .pushString("play")
        .callMethod()
        .pop();
    movie.doAction(script).showFrame();
    for (int f = 1; f < 48; ++f) movie.showFrame();
    const fs::path swf = folder / "movie.swf";
    movie.writeFile(swf);

    swf::Player player;
    player.SetSoundOutput(44100, 2);
    ASSERT_TRUE(player.LoadMovie(swf.string())) << player.LoadError();
    std::vector<int16_t> left;
    for (int tick = 0; tick < 40; ++tick) {
        player.OnTimer(0);
        std::vector<int16_t> interval(44100 / 12 * 2);
        player.TakeSound(interval);
        for (size_t i = 0; i < interval.size(); i += 2) left.push_back(interval[i]);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    // Where the tone is heard, and how often it crosses zero there.
    size_t first = left.size(), last = 0, crossings = 0;
    for (size_t i = 0; i < left.size(); ++i)
        if (std::abs(left[i]) > 2000) {
            first = std::min(first, i);
            last = i;
        }
    ASSERT_LT(first, last);
    for (size_t i = first + 1; i <= last; ++i)
        if ((left[i - 1] < 0) != (left[i] < 0)) ++crossings;
    const double seconds = static_cast<double>(last - first) / 44100;
    EXPECT_NEAR(seconds, 2.0, 0.1);
    EXPECT_LT(first, size_t{44100 / 12 * 3}) << "heard from the frames the stream starts in";
    EXPECT_NEAR(crossings / seconds / 2, 440, 5);
}

}  // namespace
