// File header, tag headers and the tag stream, checked against the format's layout.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/SwfWriter.h"
#include "support/Zlib.h"
#include "writer/TagReader.h"

namespace swftest {
namespace {

using testing::readTags;

constexpr size_t kFileHeaderSize = 8;

uint32_t u32At(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint32_t>(bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
                                 bytes[offset + 3] << 24);
}

std::vector<uint8_t> body(const std::vector<uint8_t>& file) {
    return std::vector<uint8_t>(file.begin() + kFileHeaderSize, file.end());
}

// The tags after the header of an uncompressed movie whose stage RECT takes `rectBytes`.
std::vector<testing::ReadTag> tagsOf(const std::vector<uint8_t>& file, size_t rectBytes = 9) {
    return readTags(file, kFileHeaderSize + rectBytes + 4);
}

TEST(FileHeader, UncompressedMovieLayout) {
    SwfWriter movie;
    movie.version(6).frameSizePixels(550, 400).frameRate(24).showFrame().showFrame();
    const std::vector<uint8_t> expected{'F', 'W', 'S', 6, 27, 0, 0, 0,
                                        // RECT 0..11000, 0..8000 twips
                                        0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00,
                                        // 24.0 fps as 8.8, little-endian; 2 frames
                                        0x00, 0x18, 0x02, 0x00,
                                        // ShowFrame, ShowFrame, End
                                        0x40, 0x00, 0x40, 0x00, 0x00, 0x00};
    EXPECT_EQ(movie.bytes(), expected);
}

TEST(FileHeader, FractionalFrameRateRoundsToOne256th) {
    SwfWriter movie;
    movie.frameRate(29.97);
    const auto file = movie.bytes();
    // 29.97 * 256 = 7672.3 -> 0x1DF8, fraction byte first.
    EXPECT_EQ(file[17], 0xF8);
    EXPECT_EQ(file[18], 0x1D);
    EXPECT_THROW(movie.frameRate(0), std::invalid_argument);
    EXPECT_THROW(movie.frameRate(256), std::invalid_argument);
    // Would round to 0x10000 and wrap to 0.
    EXPECT_THROW(movie.frameRate(255.999), std::invalid_argument);
}

TEST(FileHeader, CompressedBodyInflatesToTheUncompressedBody) {
    SwfWriter movie;
    ShapeBuilder box;
    box.fill0(box.addFill(FillStyle::solid({10, 20, 30}))).rectangle(0, 0, px(40), px(40));
    movie.setBackgroundColor({1, 2, 3}).defineShape(1, box).place(1, 1).showFrame();
    const auto plain = movie.bytes();
    const auto packed = movie.compressed().bytes();

    ASSERT_GT(packed.size(), kFileHeaderSize);
    EXPECT_EQ(std::string(packed.begin(), packed.begin() + 3), "CWS");
    EXPECT_EQ(packed[3], plain[3]);
    // The length field is the uncompressed file length in both.
    EXPECT_EQ(u32At(packed, 4), plain.size());
    EXPECT_EQ(u32At(plain, 4), plain.size());
    EXPECT_EQ(Zlib::inflate(body(packed)), body(plain));
}

TEST(FileHeader, FrameCountIsTheNumberOfShowFrames) {
    SwfWriter movie;
    movie.showFrame().frameLabel("middle").showFrame().tag(kTagShowFrame, {});
    EXPECT_EQ(movie.frameCount(), 3);
    const auto file = movie.bytes();
    EXPECT_EQ(file[19] | file[20] << 8, 3);
}

TEST(TagHeaders, ShortHeaderBelowSixtyThreeBytes) {
    SwfWriter movie;
    const std::vector<uint8_t> body62(62, 0xAB);
    movie.tag(kTagDoAction, body62);
    // (12 << 6) | 62 = 0x033E
    ASSERT_GE(movie.tagStream().size(), 2u);
    EXPECT_EQ(movie.tagStream()[0], 0x3E);
    EXPECT_EQ(movie.tagStream()[1], 0x03);
    EXPECT_EQ(movie.tagStream().size(), 2 + 62u);
}

TEST(TagHeaders, LongHeaderFromSixtyThreeBytes) {
    SwfWriter movie;
    const std::vector<uint8_t> body63(63, 0xAB);
    movie.tag(kTagDoAction, body63);
    const std::vector<uint8_t> expectedHeader{0x3F, 0x03, 63, 0, 0, 0};
    ASSERT_EQ(movie.tagStream().size(), 6 + 63u);
    EXPECT_TRUE(
        std::equal(expectedHeader.begin(), expectedHeader.end(), movie.tagStream().begin()));
}

TEST(TagHeaders, LongHeadersCanBeForced) {
    SwfWriter movie;
    movie.setBackgroundColor({255, 0, 0}).tagWithLongHeader(kTagShowFrame, {});
    movie.longTagHeaders().setBackgroundColor({0, 255, 0});
    const auto tags = readTags(movie.tagStream());
    ASSERT_EQ(tags.size(), 3u);
    EXPECT_FALSE(tags[0].longHeader);
    EXPECT_TRUE(tags[1].longHeader);
    EXPECT_EQ(tags[1].code, kTagShowFrame);
    EXPECT_TRUE(tags[2].longHeader);
    EXPECT_EQ(tags[2].body, (std::vector<uint8_t>{0, 255, 0}));
    EXPECT_EQ(movie.frameCount(), 1);
}

TEST(TagHeaders, RejectsCodesBeyondTenBits) {
    SwfWriter movie;
    EXPECT_THROW(movie.tag(1024, {}), std::invalid_argument);
}

TEST(HostileMovies, HeaderFieldsCanContradictTheContent) {
    SwfWriter movie;
    movie.showFrame().overrideFrameCount(500).overrideFileLength(3);
    const auto file = movie.bytes();
    EXPECT_EQ(u32At(file, 4), 3u);
    EXPECT_EQ(file[19] | file[20] << 8, 500);
}

TEST(HostileMovies, TagLengthCanClaimMoreThanFollows) {
    SwfWriter movie;
    const std::vector<uint8_t> three{1, 2, 3};
    movie.tagDeclaringLength(kTagDefineShape, 1000, three).omitEndTag();
    const auto stream = movie.tagStream();
    // (2 << 6) | 0x3F, then 1000 as UI32, then only three bytes; no End tag follows.
    EXPECT_EQ(stream, (std::vector<uint8_t>{0xBF, 0x00, 0xE8, 0x03, 0x00, 0x00, 1, 2, 3}));
    const auto file = movie.bytes();
    EXPECT_TRUE(
        std::equal(stream.begin(), stream.end(), file.end() - static_cast<long>(stream.size())));
    EXPECT_THROW(readTags(stream), std::runtime_error);
}

TEST(HostileMovies, ExplicitEndIsNotRepeated) {
    SwfWriter movie;
    movie.showFrame().end().showFrame();
    const auto tags = tagsOf(movie.bytes());
    ASSERT_EQ(tags.size(), 3u);
    EXPECT_EQ(tags[1].code, kTagEnd);
    EXPECT_EQ(tags[2].code, kTagShowFrame);
}

TEST(Sprites, CarryTheirOwnFrameCountAndEndTag) {
    SwfWriter timeline;
    timeline.place(1, 1).showFrame().move(1, Matrix::translation(20, 0)).showFrame().showFrame();
    SwfWriter movie;
    movie.defineSprite(7, timeline);
    const auto tags = readTags(movie.tagStream());
    ASSERT_EQ(tags.size(), 1u);
    ASSERT_EQ(tags[0].code, kTagDefineSprite);
    const auto& sprite = tags[0].body;
    ASSERT_GE(sprite.size(), 4u);
    EXPECT_EQ(sprite[0] | sprite[1] << 8, 7);
    EXPECT_EQ(sprite[2] | sprite[3] << 8, 3);
    const auto inner = readTags(std::vector<uint8_t>(sprite.begin() + 4, sprite.end()));
    ASSERT_EQ(inner.size(), 6u);
    EXPECT_EQ(inner.back().code, kTagEnd);
    EXPECT_EQ(movie.frameCount(), 0);
}

class WriteFile : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("swfwriter-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    static std::vector<uint8_t> read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path folder_;
};

TEST_F(WriteFile, ReplacesAnExistingFileWhole) {
    const auto path = folder_ / "movie.swf";
    std::ofstream(path) << "an older, longer file that must not leave a tail behind";
    SwfWriter movie;
    movie.compressed().showFrame();
    movie.writeFile(path);
    EXPECT_EQ(read(path), movie.bytes());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);
}

TEST_F(WriteFile, MissingFolderFailsWithTheReason) {
    const auto path = folder_ / "no-such-folder" / "movie.swf";
    SwfWriter movie;
    try {
        movie.writeFile(path);
        FAIL() << "writing into a missing folder succeeded";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(path.parent_path()));
}

TEST(ZlibStreams, DamagedStreamsAreRefused) {
    const std::vector<uint8_t> data(1000, 7);
    auto packed = Zlib::compress(data);
    EXPECT_EQ(Zlib::inflate(packed), data);
    EXPECT_THROW(Zlib::inflate(std::span(packed).first(packed.size() / 2)), std::runtime_error);
    EXPECT_THROW(Zlib::inflate(packed, 999), std::runtime_error);
    packed[0] ^= 0xFF;
    EXPECT_THROW(Zlib::inflate(packed), std::runtime_error);
}

}  // namespace
}  // namespace swftest
