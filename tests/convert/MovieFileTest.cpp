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

constexpr uint16_t kDisabledTag = 512;

// Bytes that do not compress.
std::vector<uint8_t> Noise(size_t size) {
    std::mt19937 random(size);
    std::vector<uint8_t> noise(size);
    for (auto& byte : noise) byte = static_cast<uint8_t>(random());
    return noise;
}

std::vector<uint8_t> Le16(uint16_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
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

TEST_F(MovieFileTest, ReadsUncompressedAndCompressedHeadersAlike) {
    SwfWriter movie;
    movie.frameSizePixels(550, 400).frameRate(12);
    for (int i = 0; i < 100; ++i) movie.showFrame();
    const MovieHeader plain = Read(Save("plain.swf", movie));
    EXPECT_EQ(plain.width, 550);
    EXPECT_EQ(plain.height, 400);
    EXPECT_EQ(plain.frameCount, 100);
    EXPECT_DOUBLE_EQ(plain.frameRate, 12.0);

    movie.compressed();
    const MovieHeader inflated = Read(Save("compressed.swf", movie));
    EXPECT_EQ(inflated.width, 550);
    EXPECT_EQ(inflated.height, 400);
    EXPECT_EQ(inflated.frameCount, 100);
    EXPECT_DOUBLE_EQ(inflated.frameRate, 12.0);
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

// --- the working copy ---------------------------------------------------------------------------

SwfWriter MovieWithBigTag(size_t bytes) {
    SwfWriter movie;
    movie.frameSizePixels(100, 100)
        .tag(swftest::kTagDefineBitsJpeg2, std::vector<uint8_t>(bytes, 0))
        .showFrame();
    return movie;
}

TEST_F(MovieFileTest, DecompressingAnUncompressedMovieWritesNothing) {
    const std::string copy = Save("copy.swf", std::vector<uint8_t>{'k', 'e', 'e', 'p'});
    EXPECT_EQ(DecompressSwf(Save("plain.swf", MovieWithBigTag(10)), copy), 0);
    EXPECT_EQ(testfiles::ReadBytes(copy), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
}

TEST_F(MovieFileTest, DecompressingGivesTheUncompressedMovie) {
    // 3 MB of zeros: each 64 KiB of input inflates far past the first output buffer.
    SwfWriter movie = MovieWithBigTag(3 << 20);
    movie.version(10);
    const auto expected = movie.bytes();
    const std::string source = Save("compressed.swf", SwfWriter(movie).compressed());
    ASSERT_LT(std::filesystem::file_size(source), 64u * 1024);

    const std::string copy = dir.File("copy.swf");
    ASSERT_EQ(DecompressSwf(source, copy), 1);
    EXPECT_EQ(testfiles::ReadBytes(copy), expected);

    // A compressed file bigger than one piece of input.
    SwfWriter noisy;
    noisy.tag(swftest::kTagDefineBitsJpeg2, Noise(300000)).showFrame();
    ASSERT_EQ(DecompressSwf(Save("noisy.swf", SwfWriter(noisy).compressed()), copy), 1);
    EXPECT_EQ(testfiles::ReadBytes(copy), noisy.bytes());
}

TEST_F(MovieFileTest, ABrokenStreamGivesTheMovieInflatedSoFar) {
    SwfWriter movie = MovieWithBigTag(1 << 20);
    movie.tag(swftest::kTagDefineBitsJpeg2, Noise(150000));
    const auto full = movie.bytes();
    const auto compressed = SwfWriter(movie).compressed().bytes();
    const std::string copy = dir.File("copy.swf");

    auto cut = std::vector<uint8_t>(compressed.begin(), compressed.begin() + compressed.size() / 2);
    ASSERT_EQ(DecompressSwf(Save("cut.swf", cut), copy), 1);
    auto inflated = testfiles::ReadBytes(copy);
    EXPECT_GT(inflated.size(), 1u << 20);
    EXPECT_LT(inflated.size(), full.size());
    EXPECT_TRUE(std::equal(inflated.begin(), inflated.end(), full.begin()));

    auto damaged = compressed;
    for (size_t i = compressed.size() / 2; i < compressed.size(); ++i) damaged[i] = 0xFF;
    ASSERT_EQ(DecompressSwf(Save("damaged.swf", damaged), copy), 1);
    // What comes out just before the break cannot be told from sound data; the first
    // megabyte, from well before it, is whole.
    inflated = testfiles::ReadBytes(copy);
    EXPECT_LT(inflated.size(), full.size());
    ASSERT_GT(inflated.size(), 1u << 20);
    EXPECT_TRUE(std::equal(inflated.begin(), inflated.begin() + (1 << 20), full.begin()));
}

TEST_F(MovieFileTest, AMovieInflatingPastTheCeilingFailsAndLeavesNoCopy) {
    const std::string source = Save("bomb.swf", MovieWithBigTag(4 << 20).compressed());
    const std::string copy = Save("copy.swf", std::vector<uint8_t>{'o', 'l', 'd'});
    EXPECT_EQ(DecompressSwf(source, copy, 1 << 20), -1);
    EXPECT_EQ(testfiles::ReadBytes(copy), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(dir.Entries().size(), 2u);  // no scratch file left beside the copy

    EXPECT_EQ(DecompressSwf(source, copy, 5 << 20), 1);
}

TEST_F(MovieFileTest, DecompressFailures) {
    const std::string copy = dir.File("copy.swf");
    EXPECT_EQ(DecompressSwf(dir.File("missing.swf"), copy), -1);
    EXPECT_EQ(DecompressSwf(Save("short.swf", std::vector<uint8_t>{'C', 'W', 'S'}), copy), -1);
    EXPECT_EQ(
        DecompressSwf(Save("short-length.swf", std::vector<uint8_t>{'C', 'W', 'S', 8, 1}), copy),
        -1);
    EXPECT_EQ(DecompressSwf(Save("text.txt", std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}), copy),
              -1);
    EXPECT_FALSE(std::filesystem::exists(copy));
    EXPECT_EQ(DecompressSwf(Save("movie.swf", MovieWithBigTag(10).compressed()),
                            dir.File("no-folder/copy.swf")),
              -1);
}

// --- the silent copy ----------------------------------------------------------------------------

// A sprite's body: id, frame count, then its tags as given (no End added).
std::vector<uint8_t> SpriteBody(uint16_t id, uint16_t frames, const std::vector<uint8_t>& tags) {
    std::vector<uint8_t> body = Le16(id);
    const auto count = Le16(frames);
    body.insert(body.end(), count.begin(), count.end());
    body.insert(body.end(), tags.begin(), tags.end());
    return body;
}

// The same movie twice: with its sound tags, and as its silent copy must read, where every
// sound tag is the unknown tag 512 with the same body and header form.
SwfWriter SoundMovie(bool silent) {
    const auto sound = [silent](uint16_t code) { return silent ? kDisabledTag : code; };
    const std::vector<uint8_t> small{1, 2, 3};
    const std::vector<uint8_t> large(300, 9);
    SwfWriter sprite;
    sprite.tag(sound(swftest::kTagStartSound), small)
        .tag(swftest::kTagShowFrame, {})
        .tagWithLongHeader(sound(swftest::kTagSoundStreamBlock), small)
        .showFrame();
    SwfWriter movie;
    movie.setBackgroundColor({1, 2, 3});
    for (uint16_t code = 14; code <= 19; ++code) movie.tag(sound(code), small);
    movie.tag(sound(swftest::kTagSoundStreamHead2), small)
        .tag(sound(swftest::kTagDefineSound), large)  // a long length
        .tagWithLongHeader(swftest::kTagDoAction, small)
        .defineSprite(5, sprite)
        .place(5, 1)
        .showFrame();
    return movie;
}

TEST_F(MovieFileTest, ASilentCopyWithoutSoundIsByteIdentical) {
    SwfWriter movie;
    movie.setBackgroundColor({9, 9, 9})
        .tag(swftest::kTagDefineBitsJpeg2, std::vector<uint8_t>(5000, 3))
        .showFrame();
    SwfWriter sprite;
    sprite.showFrame().showFrame();
    movie.defineSprite(2, sprite).place(2, 1).showFrame();
    const std::string copy = dir.File("silent.swf");
    ASSERT_EQ(MakeSilentCopy(Save("movie.swf", movie), copy), 0);
    EXPECT_EQ(testfiles::ReadBytes(copy), movie.bytes());

    // Nor does a movie need its End tag.
    SwfWriter endless = movie;
    endless.omitEndTag();
    ASSERT_EQ(MakeSilentCopy(Save("endless.swf", endless), copy), 0);
    EXPECT_EQ(testfiles::ReadBytes(copy), endless.bytes());
}

TEST_F(MovieFileTest, ASilentCopyDisablesEverySoundTagAlsoInSprites) {
    const std::string copy = dir.File("silent.swf");
    ASSERT_EQ(MakeSilentCopy(Save("movie.swf", SoundMovie(false)), copy), 0);
    EXPECT_EQ(testfiles::ReadBytes(copy), SoundMovie(true).bytes());
}

TEST_F(MovieFileTest, ASilentCopyEndsAtTheEndTag) {
    const std::vector<uint8_t> startSound{0xC3, 0x03, 1, 2, 3};
    SwfWriter movie;
    movie.showFrame().end().rawBytes(startSound);
    const auto bytes = movie.bytes();
    const std::string copy = dir.File("silent.swf");
    ASSERT_EQ(MakeSilentCopy(Save("movie.swf", bytes), copy), 0);
    EXPECT_EQ(testfiles::ReadBytes(copy),
              std::vector<uint8_t>(bytes.begin(), bytes.end() - startSound.size()));
}

TEST_F(MovieFileTest, BytesAfterASpritesEndTagStayAsTheyAre) {
    SwfWriter inner;
    inner.tag(swftest::kTagStartSound, std::vector<uint8_t>{4, 5}).showFrame().end();
    SwfWriter silentInner;
    silentInner.tag(kDisabledTag, std::vector<uint8_t>{4, 5}).showFrame().end();
    // Looks like a StartSound tag, but lies after the sprite's End inside its length.
    const std::vector<uint8_t> trailer{0xC0, 0x03};
    auto body = [&](const SwfWriter& timeline) {
        auto tags = timeline.tagStream();
        tags.insert(tags.end(), trailer.begin(), trailer.end());
        return SpriteBody(3, 1, tags);
    };
    SwfWriter movie, expected;
    movie.tag(swftest::kTagDefineSprite, body(inner)).showFrame();
    expected.tag(swftest::kTagDefineSprite, body(silentInner)).showFrame();
    const std::string copy = dir.File("silent.swf");
    ASSERT_EQ(MakeSilentCopy(Save("movie.swf", movie), copy), 0);
    EXPECT_EQ(testfiles::ReadBytes(copy), expected.bytes());
}

TEST_F(MovieFileTest, NestedSpritesAreWalkedToABound) {
    const auto nest = [](int levels) {
        SwfWriter timeline;
        timeline.tag(swftest::kTagStartSound, std::vector<uint8_t>{1}).showFrame();
        for (int level = 0; level < levels; ++level) {
            SwfWriter outer;
            outer.defineSprite(static_cast<uint16_t>(level + 1), timeline).showFrame();
            timeline = outer;
        }
        return timeline;
    };
    const std::string copy = dir.File("silent.swf");
    // Three levels deep: the sound tag at the bottom is disabled too.
    const auto shallow = nest(3).bytes();
    ASSERT_EQ(MakeSilentCopy(Save("shallow.swf", shallow), copy), 0);
    auto silent = testfiles::ReadBytes(copy);
    ASSERT_EQ(silent.size(), shallow.size());
    const auto startSound = Le16(swftest::kTagStartSound << 6 | 1);
    const auto disabled = Le16(kDisabledTag << 6 | 1);
    EXPECT_NE(std::search(shallow.begin(), shallow.end(), startSound.begin(), startSound.end()),
              shallow.end());
    EXPECT_EQ(std::search(silent.begin(), silent.end(), startSound.begin(), startSound.end()),
              silent.end());
    EXPECT_NE(std::search(silent.begin(), silent.end(), disabled.begin(), disabled.end()),
              silent.end());

    EXPECT_EQ(MakeSilentCopy(Save("deep.swf", nest(40)), copy), -1);
}

TEST_F(MovieFileTest, HostileTagLengthsFailTheSilentCopy) {
    std::vector<SwfWriter> hostile(4);
    // A sprite whose inner tag runs past the sprite's own length.
    SwfWriter overrun;
    overrun.tagDeclaringLength(swftest::kTagDoAction, 40, std::vector<uint8_t>(4, 0));
    hostile[0].tag(swftest::kTagDefineSprite, SpriteBody(1, 1, overrun.tagStream())).showFrame();
    // A sprite too short for its id and frame count.
    hostile[1].tag(swftest::kTagDefineSprite, std::vector<uint8_t>{1, 0, 1}).showFrame();
    // Tags that run past the end of the file before any frame is complete.
    hostile[2].tagDeclaringLength(swftest::kTagDefineBitsJpeg2, 100000,
                                  std::vector<uint8_t>(10, 1));
    hostile[3].omitEndTag().rawBytes(std::vector<uint8_t>{0x7F, 0x00, 0x10});

    for (size_t i = 0; i < hostile.size(); ++i) {
        const std::string copy = Save("copy.swf", std::vector<uint8_t>{'o', 'l', 'd'});
        EXPECT_EQ(MakeSilentCopy(Save("hostile.swf", hostile[i]), copy), -1) << i;
        EXPECT_EQ(testfiles::ReadBytes(copy), (std::vector<uint8_t>{'o', 'l', 'd'})) << i;
        EXPECT_EQ(dir.Entries().size(), 2u) << i;
    }
}

// Three frames, each with a tag of a long header, a sound tag and a short tag; `frames`
// of them, ended by the End tag, or all three as they are when cut.
SwfWriter FramesMovie(int frames) {
    SwfWriter movie;
    movie.frameSizePixels(64, 48).frameRate(12).setBackgroundColor({1, 2, 3});
    for (int frame = 0; frame < frames; ++frame) {
        movie
            .tagWithLongHeader(swftest::kTagDefineBitsJpeg2,
                               std::vector<uint8_t>(200, static_cast<uint8_t>(frame)))
            .tag(swftest::kTagSoundStreamBlock, std::vector<uint8_t>(20, 7))
            .tag(swftest::kTagDoAction, std::vector<uint8_t>{0})
            .showFrame();
    }
    return movie;
}

TEST_F(MovieFileTest, AMovieCutShortIsCopiedUpToItsLastCompleteFrame) {
    const std::vector<uint8_t> whole = FramesMovie(3).bytes();
    // The ends of the first and second frames, as the movies of one and two frames have them
    // before their End tags.
    const size_t first = FramesMovie(1).bytes().size() - 2;
    const size_t second = FramesMovie(2).bytes().size() - 2;
    const size_t tagBytes = 6 + 200 + 2 + 20 + 2 + 1 + 2;  // one frame's tags
    struct Cut {
        size_t at;
        int frames;  // the complete frames before the cut
    };
    const Cut cuts[] = {
        {first + 1, 1},              // half a tag header
        {first + 4, 1},              // inside a long length
        {first + 100, 1},            // inside a long tag
        {first + 6 + 200 + 5, 1},    // inside the sound tag
        {second - 1, 1},             // half the ShowFrame tag
        {second + 3, 2},             // the third frame barely begun
        {second + tagBytes - 1, 2},  // all but the last byte
        {whole.size() - 1, 3},       // half the End tag
    };
    for (const Cut& cut : cuts) {
        const std::string source =
            Save("cut.swf", std::vector<uint8_t>(whole.begin(), whole.begin() + cut.at));
        const std::string expected = dir.File("expected.swf");
        ASSERT_EQ(MakeSilentCopy(Save("complete.swf", FramesMovie(cut.frames)), expected), 0);
        const std::string copy = dir.File("copy.swf");
        MovieExtent extent;
        ASSERT_EQ(MakeSilentCopy(source, copy, &extent), 0) << cut.at;
        // As if the movie had been made with only those frames: header length and frame
        // count included.
        EXPECT_EQ(testfiles::ReadBytes(copy), testfiles::ReadBytes(expected)) << cut.at;
        EXPECT_TRUE(extent.cutShort) << cut.at;
        EXPECT_EQ(extent.completeFrames, cut.frames) << cut.at;
    }

    // Cut between two tags, a movie reads as one without its End tag, as before.
    const std::string copy = dir.File("copy.swf");
    MovieExtent extent;
    const std::vector<uint8_t> atBoundary(whole.begin(), whole.begin() + second);
    ASSERT_EQ(MakeSilentCopy(Save("cut.swf", atBoundary), copy, &extent), 0);
    EXPECT_FALSE(extent.cutShort);
    EXPECT_EQ(extent.completeFrames, 2);
    ASSERT_EQ(MakeSilentCopy(Save("whole.swf", whole), copy, &extent), 0);
    EXPECT_FALSE(extent.cutShort);
    EXPECT_EQ(extent.completeFrames, 3);
}

TEST_F(MovieFileTest, SilentCopyFailures) {
    const std::string copy = Save("copy.swf", std::vector<uint8_t>{'o', 'l', 'd'});
    SwfWriter movie;
    movie.showFrame();
    EXPECT_EQ(MakeSilentCopy(dir.File("missing.swf"), copy), -1);
    EXPECT_EQ(MakeSilentCopy(Save("compressed.swf", SwfWriter(movie).compressed()), copy), -1);
    const auto plain = movie.bytes();
    EXPECT_EQ(MakeSilentCopy(
                  Save("cut.swf", std::vector<uint8_t>(plain.begin(), plain.begin() + 12)), copy),
              -1);
    EXPECT_EQ(testfiles::ReadBytes(copy), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(MakeSilentCopy(Save("movie.swf", movie), dir.File("no-folder/copy.swf")), -1);
    EXPECT_EQ(MakeSilentCopy(Save("movie.swf", movie), dir.File("")), -1);
}

TEST_F(MovieFileTest, AFullDiskFailsTheSilentCopyAndLeavesNoPartialFile) {
    const std::string source = Save("movie.swf", MovieWithBigTag(256 * 1024));
    const std::string copy = Save("copy.swf", std::vector<uint8_t>{'o', 'l', 'd'});
    {
        testfiles::FileSizeLimit limit(64 * 1024);
        EXPECT_EQ(MakeSilentCopy(source, copy), -1);
    }
    EXPECT_EQ(testfiles::ReadBytes(copy), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(dir.Entries().size(), 2u);
}

}  // namespace
}  // namespace convert
