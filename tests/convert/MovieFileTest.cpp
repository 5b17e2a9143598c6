#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "audio/TestFiles.h"
#include "convert/MovieFile.h"
#include "support/SwfWriter.h"
#include "swf/player/Player.h"
#include "support/Zlib.h"

namespace convert {
namespace {

using swftest::SwfWriter;

// Bytes that do not compress.
std::vector<uint8_t> Noise(size_t size) {
    std::mt19937 random(size);
    std::vector<uint8_t> noise(size);
    for (auto& byte : noise) byte = static_cast<uint8_t>(random());
    return noise;
}

class MovieFileTest : public testing::Test {
  protected:
    std::string Save(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = dir.File(name);
        testfiles::WriteBytes(path, bytes);
        return path;
    }
    std::string Save(const std::string& name, const SwfWriter& movie) {
        return Save(name, movie.bytes());
    }

    MovieHeader Read(const std::string& path) {
        MovieHeader header;
        EXPECT_EQ(ReadSwfHeader(path, header), 0) << path;
        return header;
    }

    testfiles::ScratchDir dir;
};

// --- headers ------------------------------------------------------------------------------------

TEST_F(MovieFileTest, ParsesTheHeaderFieldsBitByBit) {
    // Nbits 15; Xmin 0, Xmax 11000, Ymin 0, Ymax 8000; 12 frames per second; 100 frames.
    const std::vector<uint8_t> bytes = {'F',  'W',  'S',  6,    0,    0,    0,
                                        0,    0x78, 0x00, 0x05, 0x5F, 0x00, 0x00,
                                        0x0F, 0xA0, 0x00, 0x00, 0x0C, 0x64, 0x00};
    SwfHeaderFields fields;
    ASSERT_EQ(ParseSwfHeader(bytes, fields), 0);
    EXPECT_DOUBLE_EQ(fields.width, 550.0);
    EXPECT_DOUBLE_EQ(fields.height, 400.0);
    EXPECT_DOUBLE_EQ(fields.frameRate, 12.0);
    EXPECT_EQ(fields.frameCount, 100);

    // Every field must lie inside the bytes given.
    for (size_t length = 0; length < bytes.size(); ++length)
        EXPECT_EQ(ParseSwfHeader(std::span(bytes).first(length), fields), -1) << length;
    std::vector<uint8_t> wide = bytes;
    wide[8] = 0xF8;  // Nbits 31: the rectangle alone needs 17 bytes
    EXPECT_EQ(ParseSwfHeader(wide, fields), -1);
    EXPECT_EQ(
        ParseSwfHeader(std::vector<uint8_t>{'C', 'W', 'S', 6, 0, 0, 0, 0, 0, 0, 0, 0, 0}, fields),
        -1);
}

TEST_F(MovieFileTest, ReadsUncompressedZlibAndLzmaHeadersAlike) {
    SwfWriter movie;
    movie.frameSizePixels(550, 400).frameRate(12);
    for (int i = 0; i < 100; ++i) movie.showFrame();
    const MovieHeader plain = Read(Save("plain.swf", movie));
    EXPECT_EQ(plain.width, 550);
    EXPECT_EQ(plain.height, 400);
    EXPECT_EQ(plain.frameCount, 100);
    EXPECT_DOUBLE_EQ(plain.frameRate, 12.0);

    for (const bool lzma : {false, true}) {
        SwfWriter packed(movie);
        lzma ? packed.lzmaCompressed() : packed.compressed();
        const MovieHeader inflated = Read(Save(lzma ? "lzma.swf" : "zlib.swf", packed));
        EXPECT_EQ(inflated.width, 550) << lzma;
        EXPECT_EQ(inflated.height, 400) << lzma;
        EXPECT_EQ(inflated.frameCount, 100) << lzma;
        EXPECT_DOUBLE_EQ(inflated.frameRate, 12.0) << lzma;
    }
}

TEST_F(MovieFileTest, RoundsPixelsHalfUpAndKeepsTheExactFrameRate) {
    SwfWriter movie;
    movie.frameSize({0, 11010, 0, 11009}).frameRateFixed(0x1D80);
    const std::string path = Save("rounding.swf", movie);
    const MovieHeader header = Read(path);
    EXPECT_EQ(header.width, 551);   // 550.5
    EXPECT_EQ(header.height, 550);  // 550.45
    EXPECT_DOUBLE_EQ(header.frameRate, 29.5);

    const auto bytes = testfiles::ReadBytes(path);
    SwfHeaderFields fields;
    ASSERT_EQ(ParseSwfHeader(bytes, fields), 0);
    EXPECT_NEAR(fields.width, 550.5, 1e-9);
    EXPECT_NEAR(fields.height, 550.45, 1e-9);

    movie.frameRateFixed(0);
    EXPECT_DOUBLE_EQ(Read(Save("still.swf", movie)).frameRate, 0.0);
}

// The stage the player shows: the rectangle's signed extent, none when it is negative.
TEST_F(MovieFileTest, TheStageIsTheRectanglesExtentAsThePlayerReadsIt) {
    const std::vector<std::pair<swftest::Rect, std::pair<int, int>>> cases = {
        {{-200, 11000, 400, 8000}, {560, 380}},
        {{9000, 8000, 8000, 8000}, {0, 0}},
        {{0, -2000, -4000, -2000}, {0, 100}},
    };
    for (const auto& [rect, size] : cases) {
        SwfWriter movie;
        movie.frameSize(rect).showFrame();
        const std::string path = Save("stage.swf", movie);
        const MovieHeader header = Read(path);
        EXPECT_EQ(std::make_pair(header.width, header.height), size) << rect.xMin << " " << rect.xMax;
        swf::Player player;
        ASSERT_TRUE(player.LoadMovie(path));
        EXPECT_EQ(std::make_pair(player.ViewWidth(), player.ViewHeight()), size);
    }
}

TEST_F(MovieFileTest, ACompressedHeaderNeedsOnlyTheStartOfTheStream) {
    SwfWriter movie;
    movie.frameSizePixels(320, 240).frameRate(25);
    movie.tag(swftest::kTagDefineBitsJpeg2, Noise(200000)).compressed();
    auto bytes = movie.bytes();
    ASSERT_GT(bytes.size(), 8000u);
    // Break the stream far after its first 512 bytes.
    for (size_t i = 4000; i < 8000; ++i) bytes[i] ^= 0x5A;
    const MovieHeader header = Read(Save("broken-tail.swf", bytes));
    EXPECT_EQ(header.width, 320);
    EXPECT_DOUBLE_EQ(header.frameRate, 25.0);
}

TEST_F(MovieFileTest, HeadersCutShortOrForeignFailAndLeaveTheHeaderAlone) {
    SwfWriter movie;
    movie.frameSizePixels(550, 400);
    const auto plain = movie.bytes();
    const auto compressed = SwfWriter(movie).compressed().bytes();

    // The 550 x 400 rectangle takes 9 bytes, so the fields end after 21 bytes.
    constexpr size_t kFieldsEnd = 21;
    EXPECT_EQ(Read(Save("fields-only.swf",
                        std::vector<uint8_t>(plain.begin(), plain.begin() + kFieldsEnd)))
                  .height,
              400);
    std::vector<std::vector<uint8_t>> bad;
    for (size_t length = 0; length < kFieldsEnd; ++length)
        bad.emplace_back(plain.begin(), plain.begin() + length);
    bad.emplace_back(compressed.begin(), compressed.begin() + 8);  // no stream at all
    bad.emplace_back(compressed.begin(),
                     compressed.begin() + 12);  // too little to inflate the fields
    auto garbage = compressed;
    std::fill(garbage.begin() + 8, garbage.end(), uint8_t{0x11});
    bad.push_back(garbage);
    // A complete stream of fewer bytes than the header fields.
    auto shortStream = std::vector<uint8_t>(compressed.begin(), compressed.begin() + 8);
    const auto tiny = swftest::Zlib::compress(std::vector<uint8_t>{0x50, 0x00});
    shortStream.insert(shortStream.end(), tiny.begin(), tiny.end());
    bad.push_back(shortStream);
    for (const char* signature : {"GWS", "FWX", "CWT", "fws"}) {
        auto foreign = plain;
        std::memcpy(foreign.data(), signature, 3);
        bad.push_back(foreign);
    }

    for (size_t i = 0; i < bad.size(); ++i) {
        MovieHeader header{7, 8, 9, 10.0};
        EXPECT_EQ(ReadSwfHeader(Save("bad.swf", bad[i]), header), -1) << i;
        EXPECT_EQ(header.width, 7);
        EXPECT_EQ(header.frameCount, 9);
    }
    MovieHeader header;
    EXPECT_EQ(ReadSwfHeader(dir.File("missing.swf"), header), -1);
    EXPECT_EQ(ReadSwfHeader(dir.File(""), header), -1);
}

}  // namespace
}  // namespace convert
