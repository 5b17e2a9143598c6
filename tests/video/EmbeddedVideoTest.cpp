// Embedded video (DefineVideoStream and VideoFrame): movies FFmpeg writes with Sorenson H.263
// and Screen Video play frame by frame as FFmpeg itself decodes them, in order and through
// gotos that jump past key frames and back; damaged streams end only themselves.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FfmpegMovies.h"
#include "support/BitWriter.h"
#include "support/Placement.h"
#include "support/SwfWriter.h"
#include "support/Zlib.h"
#include "swf/format/TagStream.h"
#include "swf/movie/VideoCharacter.h"
#include "swf/player/Player.h"
#include "swf/render/RenderQuality.h"
#include "swf/video/FlvVideo.h"
#include "swf/video/VideoPacket.h"

namespace {

namespace fs = std::filesystem;
namespace st = swftest;
using namespace videotest;

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// FFmpeg's test picture as a movie of `codec`, and FFmpeg's own decode of that movie.
struct FfmpegMovie {
    fs::path swf;
    std::string rgb;  // kFrames pictures of rgb24
};

FfmpegMovie WriteMovie(const fs::path& folder, const std::string& codec,
                       const std::string& options = "", const std::string& size = "160x120") {
    FfmpegMovie movie{folder / (codec + size + ".swf"), {}};
    EXPECT_EQ(WriteTestPicture(movie.swf, codec, options, size), "");
    movie.rgb = DecodeRgb(movie.swf);
    return movie;
}

// Draws the player's current frame as rgb24 rows, top row first.
std::vector<uint8_t> DrawRgb(const swf::Player& player) {
    std::vector<uint8_t> bgr(kFrameBytes);
    EXPECT_TRUE(player.Draw({bgr.data(), size_t{kWidth} * 3, 24, false}));
    for (size_t i = 0; i < bgr.size(); i += 3) std::swap(bgr[i], bgr[i + 2]);
    return bgr;
}

double Luma(const uint8_t* p) {
    return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
}

// PSNR of two rgb24 pictures, over the brightness only or over every channel.
double Psnr(const uint8_t* a, const uint8_t* b, bool brightnessOnly, size_t bytes = kFrameBytes) {
    double sum = 0;
    size_t count = 0;
    for (size_t i = 0; i < bytes; i += 3) {
        if (brightnessOnly) {
            const double d = Luma(a + i) - Luma(b + i);
            sum += d * d;
            ++count;
            continue;
        }
        for (size_t c = 0; c < 3; ++c) {
            const double d = static_cast<double>(a[i + c]) - b[i + c];
            sum += d * d;
            ++count;
        }
    }
    const double mse = sum / static_cast<double>(count);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

struct PlayCase {
    std::string name;
    std::string codec;
    bool brightnessOnly;     // H.263's chroma goes through another converter
    std::vector<int> gotos;  // frames shown by goto, after playing through in order
};

class EmbeddedVideoPlayTest : public testing::TestWithParam<PlayCase> {};

// Every frame drawn, played in order and then reached by gotos, is FFmpeg's decode of the
// same frame, and the movie has as many frames as FFmpeg decodes.
TEST_P(EmbeddedVideoPlayTest, FramesMatchFfmpegDecode) {
    const PlayCase& c = GetParam();
    TempFolder folder;
    const FfmpegMovie movie = WriteMovie(folder.path(), c.codec, "-g 6");
    ASSERT_EQ(movie.rgb.size(), kFrameBytes * kFrames);
    const auto* expected = reinterpret_cast<const uint8_t*>(movie.rgb.data());

    swf::Player player;
    ASSERT_TRUE(player.LoadMovie(movie.swf.string())) << player.LoadError();
    ASSERT_EQ(player.TotalFrames(), kFrames);
    double lowest = 99;
    for (int frame = 0; frame < kFrames; ++frame) {
        ASSERT_EQ(player.TCurrentFrame(), frame);
        const double psnr =
            Psnr(DrawRgb(player).data(), expected + frame * kFrameBytes, c.brightnessOnly);
        EXPECT_GT(psnr, 35) << "frame " << frame;
        lowest = std::min(lowest, psnr);
        player.advanceFrame();
    }
    for (int frame : c.gotos) {
        player.GotoFrame(frame);
        const double psnr =
            Psnr(DrawRgb(player).data(), expected + frame * kFrameBytes, c.brightnessOnly);
        EXPECT_GT(psnr, 35) << "goto frame " << frame;
        lowest = std::min(lowest, psnr);
    }
    std::printf("[ %s ] lowest PSNR %.2f dB\n", c.name.c_str(), lowest);
}

// The tags of a movie FFmpeg wrote: uncompressed, they start after the header, the stage
// rectangle, the rate and the count.
swf::TagStream MovieTags(const std::vector<uint8_t>& swf) {
    const size_t rectBits = 5 + 4 * size_t{static_cast<uint8_t>(swf.at(8) >> 3)};
    return swf::TagStream(std::span<const uint8_t>(swf).subspan(8 + (rectBits + 7) / 8 + 4));
}

// Sets the deblocking of the DefineVideoStream in a movie file FFmpeg wrote.
void SetDeblocking(const std::filesystem::path& file, uint8_t level) {
    std::vector<uint8_t> swf = ReadFile(file);
    swf::TagStream tags = MovieTags(swf);
    swf::Tag tag;
    while (tags.next(tag))
        if (tag.code == 60) {
            uint8_t& flags = swf.at(static_cast<size_t>(tag.body.data() - swf.data()) + 8);
            flags = static_cast<uint8_t>((flags & ~0x0e) | level << 1);
        }
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(swf.data()), static_cast<std::streamsize>(swf.size()));
}

// The decoder's own pictures become colours as the player converts them: studio-range
// BT.601, a chroma sample shared by the 2x2 pixels it covers, rounded to the nearest. (The
// stream's deblocking is off: FFmpeg's frames ask for their block edges to be smoothed.)
TEST(EmbeddedVideoColourTest, PicturesConvertExactly) {
    TempFolder folder;
    const FfmpegMovie movie = WriteMovie(folder.path(), "flv");
    SetDeblocking(movie.swf, 1);
    const std::string yuv = DecodeRgb(movie.swf, "yuv420p");
    ASSERT_GE(yuv.size(), size_t{kWidth} * kHeight * 3 / 2);
    const auto* planes = reinterpret_cast<const uint8_t*>(yuv.data());
    swf::Player player;
    ASSERT_TRUE(player.LoadMovie(movie.swf.string())) << player.LoadError();
    const std::vector<uint8_t> drawn = DrawRgb(player);
    int exact = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double c = (planes[y * kWidth + x] - 16) * 255.0 / 219;
            const size_t chroma = size_t{kWidth} * kHeight + (y / 2) * (kWidth / 2) + x / 2;
            const double d = (planes[chroma] - 128) * 255.0 / 224;
            const double e = (planes[chroma + kWidth * kHeight / 4] - 128) * 255.0 / 224;
            const double rgb[] = {c + 1.402 * e, c - 0.344136 * d - 0.714136 * e, c + 1.772 * d};
            for (int i = 0; i < 3; ++i) {
                const long expected = std::clamp(std::lround(rgb[i]), 0L, 255L);
                const int drawnChannel = drawn[(y * kWidth + x) * 3 + i];
                // Fixed point may tip a value within a hair of a half the other way.
                ASSERT_LE(std::abs(drawnChannel - expected), 1) << x << "," << y;
                exact += drawnChannel == expected;
            }
        }
    EXPECT_GT(exact, kWidth * kHeight * 3 * 999 / 1000);
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, EmbeddedVideoPlayTest,
    testing::Values(PlayCase{"H263", "flv", true, {}},
                    PlayCase{"ScreenVideo", "flashsv", false, {}},
                    // Forward past a key frame, back before it, to a key frame, to the end.
                    PlayCase{"H263Seeking", "flv", true, {20, 3, 13, 12, 23, 0, 5}},
                    PlayCase{"ScreenVideoSeeking", "flashsv", false, {20, 3, 13, 12, 23, 0}}),
    [](const auto& info) { return info.param.name; });

// The DefineVideoStream and VideoFrame bodies of a movie FFmpeg wrote.
struct StreamTags {
    std::vector<uint8_t> define;
    std::vector<std::vector<uint8_t>> frames;
};

StreamTags ReadStreamTags(const std::vector<uint8_t>& swf) {
    StreamTags out;
    swf::TagStream stream = MovieTags(swf);
    swf::Tag tag;
    while (stream.next(tag)) {
        if (tag.code == 60) out.define.assign(tag.body.begin(), tag.body.end());
        if (tag.code == 61) out.frames.emplace_back(tag.body.begin(), tag.body.end());
    }
    return out;
}

// A movie of our own around FFmpeg's frames: the stream defined as `define` says (id 1), its
// frames renumbered by `number`, each frame placed at depth 1 with ratio = its frame, and a
// red square at depth 2 beside the video that must be drawn whatever the video does.
struct HostileCase {
    std::string name;
    std::string source;  // the codec FFmpeg writes the frames with
    uint16_t declaredFrames;
    uint16_t declaredWidth;
    uint16_t declaredHeight;
    uint8_t codec;
    bool damageData;  // every frame's bytes after its header overwritten
    // FFmpeg's frame shown at the last movie frame; -1: none (white); -2: not checked.
    int expectedFrame;
};

class EmbeddedVideoHostileTest : public testing::TestWithParam<HostileCase> {};

TEST_P(EmbeddedVideoHostileTest, BadStreamsEndOnlyThemselves) {
    const HostileCase& c = GetParam();
    TempFolder folder;
    const FfmpegMovie source = WriteMovie(folder.path(), c.source);
    ASSERT_EQ(source.rgb.size(), kFrameBytes * kFrames);
    const StreamTags tags = ReadStreamTags(ReadFile(source.swf));
    ASSERT_EQ(tags.frames.size(), size_t{kFrames});

    st::SwfWriter movie;
    movie.frameSizePixels(kWidth + 20, kHeight).frameRate(12).setBackgroundColor({255, 255, 255});
    st::BitWriter define;
    define.u16(1)
        .u16(c.declaredFrames)
        .u16(c.declaredWidth)
        .u16(c.declaredHeight)
        .u8(0)
        .u8(c.codec);
    movie.tag(60, define.bytes());
    st::ShapeBuilder square;
    square.fill1(square.addFill(st::FillStyle::solid({255, 0, 0})))
        .rectangle(kWidth * 20, 0, 20 * 20, kHeight * 20);
    movie.defineShape(2, square);
    // A frame for a stream that is not there, and one before any stream: both ignored.
    std::vector<uint8_t> stray = tags.frames[0];
    stray[0] = 9;
    stray[1] = 0;
    movie.tag(61, stray);
    for (int f = 0; f < kFrames; ++f) {
        std::vector<uint8_t> body = tags.frames[static_cast<size_t>(f)];
        body[0] = 1;
        body[1] = 0;
        if (c.damageData)
            for (size_t i = 12; i < body.size(); ++i) body[i] = static_cast<uint8_t>(i * 37);
        movie.tag(61, body);
        if (f == 0)
            movie.placeObject2({.depth = 1, .character = 1, .ratio = 0})
                .placeObject2({.depth = 2, .character = 2});
        else
            movie.placeObject2({.depth = 1, .move = true, .ratio = static_cast<uint16_t>(f)});
        movie.showFrame();
    }
    swf::Player player;
    const std::vector<uint8_t> bytes = movie.bytes();
    ASSERT_TRUE(player.LoadMovieFromMemory(bytes)) << player.LoadError();
    player.SetViewSize(kWidth + 20, kHeight);
    std::vector<uint8_t> bgr;
    testing::internal::CaptureStderr();
    for (int f = 0; f < kFrames; ++f) {
        bgr.assign(size_t{kWidth + 20} * kHeight * 3, 0);
        ASSERT_TRUE(player.Draw({bgr.data(), size_t{kWidth + 20} * 3, 24, false}));
        player.advanceFrame();
    }
    const std::string err = testing::internal::GetCapturedStderr();
    // The square beside the video is drawn.
    const uint8_t* red = &bgr[(60 * size_t{kWidth + 20} + kWidth + 10) * 3];
    EXPECT_EQ(red[0], 0);
    EXPECT_EQ(red[2], 255);
    std::vector<uint8_t> rgb(kFrameBytes);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int ch = 0; ch < 3; ++ch)
                rgb[(size_t{static_cast<size_t>(y)} * kWidth + x) * 3 + ch] =
                    bgr[(size_t{static_cast<size_t>(y)} * (kWidth + 20) + x) * 3 + 2 - ch];
    if (c.expectedFrame == -1) {
        EXPECT_EQ(rgb, std::vector<uint8_t>(kFrameBytes, 255)) << "nothing of the video shows";
    } else if (c.expectedFrame >= 0) {
        const auto* expected = reinterpret_cast<const uint8_t*>(source.rgb.data());
        EXPECT_GT(Psnr(rgb.data(), expected + c.expectedFrame * kFrameBytes, false), 35);
    }
    if (c.damageData) {
        EXPECT_NE(err.find("video stream 1 failed"), std::string::npos) << err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Streams, EmbeddedVideoHostileTest,
    testing::Values(
        // A sound stream: the last frame shows the last picture.
        HostileCase{"Whole", "flv", kFrames, kWidth, kHeight, 2, false, kFrames - 1},
        HostileCase{"WholeScreenVideo", "flashsv", kFrames, kWidth, kHeight, 3, false, 23},
        // Frames numbered past NumFrames are dropped: the last kept picture stays.
        HostileCase{"FewerFramesDeclared", "flv", 5, kWidth, kHeight, 2, false, 4},
        // Pictures of another size than the stream's are never decoded.
        HostileCase{"OtherSizeDeclared", "flv", kFrames, 80, 60, 2, false, -1},
        HostileCase{"OtherSizeScreenVideo", "flashsv", kFrames, 80, 60, 3, false, -1},
        HostileCase{"TooLargeDeclared", "flv", kFrames, 60000, 60000, 2, false, -1},
        HostileCase{"UnknownCodec", "flv", kFrames, kWidth, kHeight, 9, false, -1},
        // Screen Video headers read from H.263 data: the sizes in them do not fit.
        HostileCase{"WrongCodec", "flv", kFrames, kWidth, kHeight, 3, false, -1},
        // Damaged compressed blocks: the decoder fails, the stream says so and stops.
        HostileCase{"DamagedData", "flashsv", kFrames, kWidth, kHeight, 3, true, -2}),
    [](const auto& info) { return info.param.name; });

struct SmoothingCase {
    std::string name;
    std::string source;
    uint8_t codec;
    int frames;  // how many of FFmpeg's frames the stream holds
    bool flag;   // VideoFlagsSmoothing
    swf::RenderQuality quality;
    bool smoothed;
};

class EmbeddedVideoSmoothingTest : public testing::TestWithParam<SmoothingCase> {};

// The stream drawn four times its size: unsmoothed, every 4 by 4 block of the picture is one
// texel; smoothed, the blocks on the test picture's edges blend their neighbours. The player
// smooths VP6 as the flag says, but H.263 and Screen Video only in a stream of one frame, and
// never at low quality.
TEST_P(EmbeddedVideoSmoothingTest, SmoothsAsTheFlagAndQualitySay) {
    const SmoothingCase& c = GetParam();
    TempFolder folder;
    const StreamTags tags = ReadStreamTags(ReadFile(WriteMovie(folder.path(), c.source).swf));
    ASSERT_EQ(tags.frames.size(), size_t{kFrames});
    st::SwfWriter movie;
    movie.frameSizePixels(kWidth, kHeight).frameRate(12);
    st::BitWriter define;
    define.u16(1)
        .u16(static_cast<uint16_t>(c.frames))
        .u16(kWidth)
        .u16(kHeight)
        .u8(c.flag ? 1 : 0)
        .u8(c.codec);
    movie.tag(60, define.bytes());
    for (int f = 0; f < c.frames; ++f) {
        std::vector<uint8_t> body = tags.frames[static_cast<size_t>(f)];
        body[0] = 1;
        body[1] = 0;
        movie.tag(61, body);
    }
    movie.placeObject2({.depth = 1, .character = 1, .ratio = 0}).showFrame();
    swf::Player player;
    player.SetRenderQuality(c.quality);
    const std::vector<uint8_t> bytes = movie.bytes();
    ASSERT_TRUE(player.LoadMovieFromMemory(bytes)) << player.LoadError();
    constexpr int kScale = 4;
    const int width = kWidth * kScale, height = kHeight * kScale;
    player.SetViewSize(width, height);
    std::vector<uint8_t> bgr(size_t{static_cast<size_t>(width)} * height * 3);
    ASSERT_TRUE(player.Draw({bgr.data(), size_t{static_cast<size_t>(width)} * 3, 24, false}));
    int mixedBlocks = 0;
    for (int by = 1; by + 1 < kHeight; ++by)
        for (int bx = 1; bx + 1 < kWidth; ++bx) {
            const auto at = [&](int x, int y) {
                return &bgr[(static_cast<size_t>(y) * width + x) * 3];
            };
            const uint8_t* first = at(bx * kScale, by * kScale);
            bool uniform = true;
            for (int y = 0; y < kScale && uniform; ++y)
                for (int x = 0; x < kScale && uniform; ++x)
                    uniform = std::equal(first, first + 3, at(bx * kScale + x, by * kScale + y));
            mixedBlocks += uniform ? 0 : 1;
        }
    if (c.smoothed)
        EXPECT_GT(mixedBlocks, 1000);
    else
        EXPECT_EQ(mixedBlocks, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, EmbeddedVideoSmoothingTest,
    testing::Values(
        SmoothingCase{"OneFrameHigh", "flv", 2, 1, true, swf::RenderQuality::High, true},
        SmoothingCase{"OneFrameBest", "flv", 2, 1, true, swf::RenderQuality::Best, true},
        SmoothingCase{"OneFrameLow", "flv", 2, 1, true, swf::RenderQuality::Low, false},
        SmoothingCase{"OneFrameFlagOff", "flv", 2, 1, false, swf::RenderQuality::High, false},
        SmoothingCase{"ManyFramesHigh", "flv", 2, kFrames, true, swf::RenderQuality::High, false},
        SmoothingCase{"OneScreenFrameHigh", "flashsv", 3, 1, true, swf::RenderQuality::High, true},
        SmoothingCase{"ManyScreenFramesHigh", "flashsv", 3, kFrames, true, swf::RenderQuality::High,
                      false}),
    [](const auto& info) { return info.param.name; });

// A colour of the picture written here for frame `frame`: four flat quarters.
std::array<uint8_t, 3> QuarterColour(int x, int y, int width, int height, int frame) {
    const int quarter = (x >= width / 2 ? 1 : 0) + (y >= height / 2 ? 2 : 0);
    static constexpr std::array<uint8_t, 3> kColours[] = {
        {200, 30, 30}, {30, 200, 30}, {30, 30, 200}, {220, 220, 40}};
    std::array<uint8_t, 3> colour = kColours[quarter];
    for (uint8_t& c : colour) c = static_cast<uint8_t>(c + frame * 5);
    return colour;
}

// One Screen Video key frame of that picture, written here: blocks of 16 by 16 from the
// bottom left, those at the top and right edges cut to the picture, each block's rows of
// blue, green, red from the bottom up, deflated.
std::vector<uint8_t> ScreenVideoFrame(int width, int height, int frame) {
    st::BitWriter out;
    out.ub(0, 4).ub(static_cast<uint32_t>(width), 12).ub(0, 4).ub(static_cast<uint32_t>(height), 12);
    for (int bottom = 0; bottom < height; bottom += 16)
        for (int left = 0; left < width; left += 16) {
            std::vector<uint8_t> pixels;
            for (int y = bottom; y < std::min(height, bottom + 16); ++y)
                for (int x = left; x < std::min(width, left + 16); ++x) {
                    const auto rgb = QuarterColour(x, height - 1 - y, width, height, frame);
                    pixels.insert(pixels.end(), {rgb[2], rgb[1], rgb[0]});
                }
            const std::vector<uint8_t> block = st::Zlib::compress(pixels);
            out.ub(static_cast<uint32_t>(block.size()), 16).raw(block);
        }
    return out.bytes();
}

// Streams of small and odd sizes, below the decoders' working pictures and off the rows
// their converters write in whole vectors (an 8 by 8 one once overran its picture and broke
// the heap): FFmpeg's H.263 and Screen Video movies play as FFmpeg decodes them, and Screen
// Video written here shows its known colours at the corners and in each quarter.
TEST(EmbeddedVideoSizeTest, SmallAndOddSizesPlay) {
    struct Case {
        std::string source;  // FFmpeg's encoder, or "own" for Screen Video written here
        int width;
        int height;
    };
    const Case cases[] = {{"flv", 8, 8},       {"flv", 9, 7},       {"flv", 15, 13},
                          {"flv", 17, 33},     {"flv", 248, 248},   {"flashsv", 8, 8},
                          {"flashsv", 9, 7},   {"flashsv", 31, 31},
                          {"own", 1, 1},       {"own", 8, 8},       {"own", 17, 33},
                          {"own", 248, 248}};
    TempFolder folder;
    for (const Case& c : cases) {
        const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
        SCOPED_TRACE(c.source + " " + size);
        const size_t bytes = size_t{static_cast<size_t>(c.width)} * c.height * 3;
        std::string expected;
        std::vector<uint8_t> swf;
        if (c.source == "own") {
            st::SwfWriter movie;
            movie.frameSizePixels(c.width, c.height).frameRate(12);
            movie.tag(60, st::BitWriter()
                              .u16(1)
                              .u16(kFrames)
                              .u16(static_cast<uint16_t>(c.width))
                              .u16(static_cast<uint16_t>(c.height))
                              .u8(0)
                              .u8(swf::VideoCharacter::ScreenVideo)
                              .bytes());
            for (int f = 0; f < kFrames; ++f) {
                movie.tag(61, st::BitWriter()
                                  .u16(1)
                                  .u16(static_cast<uint16_t>(f))
                                  .raw(ScreenVideoFrame(c.width, c.height, f))
                                  .bytes());
                st::Placement place{.depth = 1, .move = f > 0, .ratio = static_cast<uint16_t>(f)};
                if (f == 0) place.character = 1;
                movie.placeObject2(place).showFrame();
                for (int y = 0; y < c.height; ++y)
                    for (int x = 0; x < c.width; ++x) {
                        const auto rgb = QuarterColour(x, y, c.width, c.height, f);
                        expected.append(rgb.begin(), rgb.end());
                    }
            }
            swf = movie.bytes();
        } else {
            const FfmpegMovie movie = WriteMovie(folder.path(), c.source, "", size);
            expected = movie.rgb;
            swf = ReadFile(movie.swf);
        }
        ASSERT_EQ(expected.size(), bytes * kFrames);
        swf::Player player;
        ASSERT_TRUE(player.LoadMovieFromMemory(swf)) << player.LoadError();
        testing::internal::CaptureStderr();
        for (int frame = 0; frame < kFrames; ++frame) {
            std::vector<uint8_t> rgb(bytes);
            ASSERT_TRUE(player.Draw({rgb.data(), static_cast<size_t>(c.width) * 3, 24, false}));
            for (size_t i = 0; i < rgb.size(); i += 3) std::swap(rgb[i], rgb[i + 2]);
            const auto* want = reinterpret_cast<const uint8_t*>(expected.data()) + frame * bytes;
            if (c.source == "flv") {
                // Edges are most of a small picture, and FFmpeg interpolates the chroma the
                // player shares between 2x2 pixels.
                EXPECT_GT(Psnr(rgb.data(), want, true, bytes), 27) << "frame " << frame;
            } else {  // lossless: the known pixels exactly
                for (const auto& [x, y] : {std::pair{0, 0}, {c.width - 1, 0}, {0, c.height - 1},
                                          {c.width - 1, c.height - 1}, {c.width / 4, c.height / 4},
                                          {c.width * 3 / 4, c.height * 3 / 4}}) {
                    const size_t at = (static_cast<size_t>(y) * c.width + x) * 3;
                    EXPECT_TRUE(std::equal(&rgb[at], &rgb[at] + 3, want + at))
                        << "frame " << frame << " at " << x << "," << y;
                }
            }
            player.advanceFrame();
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr().find("failed"), std::string::npos);
    }
}

// Screen Video 2 as an FLV file holds it (FFmpeg's SWF muxer refuses the codec), moved into
// VideoFrame tags: played in order and through gotos past key frames and back, every frame
// is FFmpeg's decode of the file.
TEST(EmbeddedVideoScreenVideo2Test, FramesMatchFfmpegDecode) {
    TempFolder folder;
    const std::string flv = (folder.path() / "sv2.flv").string();
    ASSERT_EQ(WriteTestPicture(flv, "flashsv2", "-g 6"), "");
    const std::string pictures = DecodeRgb(flv);
    ASSERT_EQ(pictures.size(), kFrameBytes * kFrames);
    const auto* expected = reinterpret_cast<const uint8_t*>(pictures.data());
    const auto file = swf::FlvVideo::read(ReadFile(flv));
    ASSERT_TRUE(file);
    ASSERT_EQ(file->stream()->frames().size(), size_t{kFrames});
    EXPECT_TRUE(file->stream()->frames().at(6).key);
    EXPECT_FALSE(file->stream()->frames().at(7).key);

    st::SwfWriter movie;
    movie.frameSizePixels(kWidth, kHeight).frameRate(12);
    st::BitWriter define;
    define.u16(1).u16(kFrames).u16(kWidth).u16(kHeight).u8(0).u8(6);
    movie.tag(60, define.bytes());
    for (const auto& [number, frame] : file->stream()->frames()) {
        st::BitWriter body;
        body.u16(1).u16(number).raw(frame.data);
        movie.tag(61, body.bytes());
        if (number == 0)
            movie.placeObject2({.depth = 1, .character = 1, .ratio = 0});
        else
            movie.placeObject2({.depth = 1, .move = true, .ratio = number});
        movie.showFrame();
    }
    swf::Player player;
    const std::vector<uint8_t> bytes = movie.bytes();
    ASSERT_TRUE(player.LoadMovieFromMemory(bytes)) << player.LoadError();
    for (int frame = 0; frame < kFrames; ++frame) {
        EXPECT_GT(Psnr(DrawRgb(player).data(), expected + frame * kFrameBytes, false), 35)
            << "frame " << frame;
        player.advanceFrame();
    }
    for (int frame : {20, 3, 13, 12, 23, 0, 5}) {
        player.GotoFrame(frame);
        EXPECT_GT(Psnr(DrawRgb(player).data(), expected + frame * kFrameBytes, false), 35)
            << "goto frame " << frame;
    }
}

// What the engine reads from frame headers itself: key frames where FFmpeg put them (every
// 6th frame with -g 6), and the picture size, for both codecs FFmpeg writes.
TEST(EmbeddedVideoPacketTest, KeyFramesAndSizesFromHeaders) {
    TempFolder folder;
    for (const auto& [codec, id] : {std::pair<std::string, uint8_t>{"flv", 2}, {"flashsv", 3}}) {
        const FfmpegMovie movie = WriteMovie(folder.path(), codec, "-g 6");
        const StreamTags tags = ReadStreamTags(ReadFile(movie.swf));
        ASSERT_EQ(tags.frames.size(), size_t{kFrames}) << codec;
        ASSERT_GE(tags.define.size(), 10u);
        EXPECT_EQ(tags.define[9], id);
        for (size_t f = 0; f < tags.frames.size(); ++f) {
            bool valid = false;
            const auto data = swf::VideoPacket::payload(
                id, std::span<const uint8_t>(tags.frames[f]).subspan(4), kWidth, kHeight);
            const auto info = swf::VideoPacket::inspect(id, data, valid);
            EXPECT_TRUE(valid) << codec << " frame " << f;
            EXPECT_EQ(info.key, f % 6 == 0) << codec << " frame " << f;
            EXPECT_EQ(info.width, kWidth);
            EXPECT_EQ(info.height, kHeight);
        }
    }
}

}  // namespace
