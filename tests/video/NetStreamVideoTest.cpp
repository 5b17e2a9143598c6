// A Video object on the stage showing a NetStream: after attachVideo and play of an FLV file
// FFmpeg writes, each frame drawn is one of FFmpeg's own pictures of the file, never an
// earlier one than the frame before, the last once the stream has ended; a Video of another
// size than the file's pictures shows them stretched over its rectangle.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "FfmpegMovies.h"
#include "support/ActionBuilder.h"
#include "support/BitWriter.h"
#include "support/Placement.h"
#include "support/SwfWriter.h"
#include "swf/player/Player.h"

namespace {

namespace fs = std::filesystem;
namespace st = swftest;
using Push = st::ActionBuilder::Value;
using namespace videotest;

// A NetConnection and a NetStream on it, the stream attached to the Video object "v" when
// `attach`, playing clip.flv.
st::ActionBuilder PlayClip(bool attach) {
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
        .setVariable();
    if (attach)
        script.pushString("ns")
            .getVariable()
            .push({Push::integer(1), Push::string("v")})
            .getVariable()
            .pushString("attachVideo")
            .callMethod()
            .pop();
    script.push({Push::string("clip.flv"), Push::integer(1), Push::string("ns")})
        .getVariable()
        .pushString("play")
        .callMethod()
        .pop();
    return script;
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
            const int px = (2 * x + 1) * kWidth / (2 * c.videoWidth);
            const int py = (2 * y + 1) * kHeight / (2 * c.videoHeight);
            const uint8_t* ours = &bgr[(static_cast<size_t>(y) * stageWidth + x) * 3];
            const uint8_t* theirs = picture + (static_cast<size_t>(py) * kWidth + px) * 3;
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
    const TempFolder temp;
    const fs::path& folder = temp.path();
    const fs::path flv = folder / "clip.flv";
    ASSERT_EQ(WriteTestPicture(flv, c.codec), "");
    const std::string pictures = DecodeRgb(flv);
    ASSERT_EQ(pictures.size(), kFrameBytes * kFrames);
    const auto* expected = reinterpret_cast<const uint8_t*>(pictures.data());

    const int stageWidth = kWidth, stageHeight = kHeight;
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
    movie.doAction(PlayClip(true)).showFrame();
    for (int f = 1; f < 48; ++f) {
        // The object's width and height are those of the stream's picture, not its own.
        if (f == 39)
            movie.doAction(st::ActionBuilder()
                               .push({Push::string("v")}).getVariable().pushString("width")
                               .getMember().pushString("x").add2()
                               .push({Push::string("v")}).getVariable().pushString("height")
                               .getMember().add2().trace());
        movie.showFrame();
    }
    const fs::path swf = folder / "movie.swf";
    movie.writeFile(swf);

    swf::Player player;
    std::string traced;
    player.SetTraceSink([&](const std::string& line) { traced += line; });
    player.SetRenderQuality(swf::RenderQuality::Low);
    ASSERT_TRUE(player.LoadMovie(swf.string())) << player.LoadError();
    std::vector<uint8_t> bgr(static_cast<size_t>(stageWidth) * stageHeight * 3);
    int lastShown = -1;
    int pictured = 0;
    for (int tick = 0; tick < 40; ++tick) {
        player.advanceFrame();
        ASSERT_TRUE(player.Draw({bgr.data(), static_cast<size_t>(stageWidth) * 3, 24, false}));
        // The stream's picture this frame: the closest of FFmpeg's, at least as late as the last.
        int best = -1;
        double bestPsnr = 0;
        for (int f = 0; f < kFrames; ++f) {
            const double psnr = Psnr(bgr, stageWidth, c, expected + f * kFrameBytes);
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
    EXPECT_EQ(lastShown, kFrames - 1) << "the stream ends on its last picture";
    EXPECT_EQ(traced, std::to_string(kWidth) + "x" + std::to_string(kHeight));
    EXPECT_GE(pictured, kFrames);
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
// two seconds is heard from the frame the stream starts, for two seconds, at its pitch. A
// stream paused before its file opened starts paused and is heard from its resume on.
st::ActionBuilder PauseStream(bool pause) {
    st::ActionBuilder script;
    script.push({Push::boolean(pause), Push::integer(1), Push::string("ns")})
        .getVariable()
        .pushString("pause")
        .callMethod()
        .pop();
    return script;
}

TEST(NetStreamSoundTest, FileSoundPlaysThroughTheMix) {
    const TempFolder temp;
    const fs::path& folder = temp.path();
    const std::string flv = (folder / "clip.flv").string();
    ASSERT_EQ(ReadCommand("ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=2 -c:a "
                          "libmp3lame -ar 44100 -ac 1 '" +
                          flv + "' 2>&1"),
              "");
    for (const int resumeFrame : {0, 12}) {
        st::SwfWriter movie;
        movie.version(8).frameSizePixels(40, 30).frameRate(12);
        movie.doAction(PlayClip(false)).doAction(PauseStream(resumeFrame != 0)).showFrame();
        for (int f = 1; f < 60; ++f) {
            if (f == resumeFrame) movie.doAction(PauseStream(false));
            movie.showFrame();
        }
        const fs::path swf = folder / "movie.swf";
        movie.writeFile(swf);

        swf::Player player;
        player.SetSoundOutput(44100, 2);
        ASSERT_TRUE(player.LoadMovie(swf.string())) << player.LoadError();
        std::vector<int16_t> left;
        for (int tick = 0; tick < 52; ++tick) {
            player.advanceFrame();
            std::vector<int16_t> interval(44100 / 12 * 2);
            player.TakeSound(interval);
            for (size_t i = 0; i < interval.size(); i += 2) left.push_back(interval[i]);
        }
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
        EXPECT_NEAR(seconds, 2.0, 0.1) << resumeFrame;
        EXPECT_GE(first, size_t{44100 / 12} * resumeFrame) << "silent while paused";
        EXPECT_LT(first, size_t{44100 / 12} * (resumeFrame + 3))
            << "heard from the frames the stream starts in";
        EXPECT_NEAR(crossings / seconds / 2, 440, 5) << resumeFrame;
    }
}

}  // namespace
