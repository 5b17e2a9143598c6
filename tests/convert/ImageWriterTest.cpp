#include <png.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "audio/LittleEndian.h"
#include "audio/TestFiles.h"
#include "convert/BitmapInfoHeader.h"
#include "convert/FrameBuffer.h"
#include "convert/PngWriter.h"
#include "convert/TgaWriter.h"

namespace convert {
namespace {

struct Bgra {
    uint8_t b, g, r, a;
    bool operator==(const Bgra&) const = default;
};

// A different colour at every pixel, so that any mix-up of rows or channels shows.
Bgra Colour(uint32_t x, uint32_t y) {
    return {static_cast<uint8_t>(x * 10 + y), static_cast<uint8_t>(y * 20 + x),
            static_cast<uint8_t>(100 + x + y * 3), static_cast<uint8_t>(50 + x * 7 + y)};
}

// A picture in a frame buffer (bottom-up rows).
void Paint(FrameBuffer& frame, int32_t width, int32_t height, uint16_t bits) {
    ASSERT_TRUE(frame.Create(width, height, bits));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const Bgra c = Colour(x, y);
            std::memcpy(frame.row(y) + x * (bits / 8), &c, bits / 8);
        }
}

// The same picture as top-down rows, described by a header with a negative height.
std::vector<uint8_t> TopDown(const FrameBuffer& frame, BitmapInfoHeader& header) {
    header = frame.header();
    header.height = -header.height;
    std::vector<uint8_t> rows;
    for (int32_t y = frame.header().height - 1; y >= 0; --y) {
        const uint8_t* row = frame.pixels().data() + y * frame.stride();
        rows.insert(rows.end(), row, row + frame.stride());
    }
    return rows;
}

struct PngImage {
    uint32_t width = 0, height = 0;
    std::vector<Bgra> pixels;  // top-down; alpha 255 where the file has none
};

PngImage ReadPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    PngImage result;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        ADD_FAILURE() << "libpng cannot read " << path << ": " << image.message;
        return result;
    }
    image.format = PNG_FORMAT_BGRA;
    result.width = image.width;
    result.height = image.height;
    result.pixels.resize(static_cast<size_t>(image.width) * image.height);
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, result.pixels.data(), 0, nullptr))
        << image.message;
    return result;
}

class ImageWriterTest : public testing::Test {
  protected:
    bool IsCharacterDevice(const char* path) {
        struct stat info {};
        return stat(path, &info) == 0 && S_ISCHR(info.st_mode);
    }

    testfiles::ScratchDir dir;
    FrameBuffer frame;
};

// --- TGA
// ------------------------------------------------------------------------------------------

TEST_F(ImageWriterTest, TgaHeaderAndTopRowFirst) {
    Paint(frame, 2, 2, 24);
    const std::string path = dir.File("frame.tga");
    ASSERT_EQ(WriteTgaFile(path, frame.header(), frame.pixels(), false), 1);
    const auto file = testfiles::ReadBytes(path);
    ASSERT_EQ(file.size(), 18u + 12u);
    // Permissions as for any new file, not those of a private scratch file.
    testfiles::WriteBytes(dir.File("plain"), {});
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::status(dir.File("plain")).permissions());
    const std::vector<uint8_t> header(file.begin(), file.begin() + 18);
    EXPECT_EQ(header,
              (std::vector<uint8_t>{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0x20}));
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 2; ++x) {
            const uint8_t* pixel = &file[18 + (y * 2 + x) * 3];
            const Bgra c = Colour(x, y);
            EXPECT_EQ(std::vector<uint8_t>(pixel, pixel + 3), (std::vector<uint8_t>{c.b, c.g, c.r}))
                << x << "," << y;
        }
}

TEST_F(ImageWriterTest, TgaRowsLeaveOutThePadding) {
    Paint(frame, 3, 5, 24);
    ASSERT_EQ(frame.stride(), 12u);
    const std::string path = dir.File("frame.tga");
    ASSERT_EQ(WriteTgaFile(path, frame.header(), frame.pixels(), false), 1);
    const auto file = testfiles::ReadBytes(path);
    ASSERT_EQ(file.size(), 18u + 5 * 9);
    EXPECT_EQ(audio::LoadLe16(&file[12]), 3);
    EXPECT_EQ(audio::LoadLe16(&file[14]), 5);
    const Bgra last = Colour(2, 4);
    EXPECT_EQ(std::vector<uint8_t>(file.end() - 3, file.end()),
              (std::vector<uint8_t>{last.b, last.g, last.r}));
}

TEST_F(ImageWriterTest, TgaWithAlphaKeepsTheFourthByte) {
    Paint(frame, 4, 3, 32);
    const std::string path = dir.File("alpha.tga");
    ASSERT_EQ(WriteTgaFile(path, frame.header(), frame.pixels(), true), 1);
    auto file = testfiles::ReadBytes(path);
    ASSERT_EQ(file.size(), 18u + 4 * 3 * 4);
    EXPECT_EQ(file[16], 32);
    EXPECT_EQ(file[17], 0x28);
    Bgra pixel;
    std::memcpy(&pixel, &file[18 + (1 * 4 + 2) * 4], 4);
    EXPECT_EQ(pixel, Colour(2, 1));

    // Without the flag a 32-bit frame is still written whole, but says it has no alpha.
    ASSERT_EQ(WriteTgaFile(path, frame.header(), frame.pixels(), false), 1);
    file = testfiles::ReadBytes(path);
    EXPECT_EQ(file[16], 32);
    EXPECT_EQ(file[17], 0x20);
    // A 24-bit frame has no alpha to write.
    Paint(frame, 4, 3, 24);
    ASSERT_EQ(WriteTgaFile(path, frame.header(), frame.pixels(), true), 1);
    EXPECT_EQ(testfiles::ReadBytes(path)[17], 0x20);
}

TEST_F(ImageWriterTest, TopDownRowsGiveTheSameFiles) {
    for (const uint16_t bits : {24, 32}) {
        Paint(frame, 5, 4, bits);
        BitmapInfoHeader topDownHeader;
        const auto topDown = TopDown(frame, topDownHeader);
        const bool alpha = bits == 32;
        ASSERT_EQ(WriteTgaFile(dir.File("up.tga"), frame.header(), frame.pixels(), alpha), 1);
        ASSERT_EQ(WriteTgaFile(dir.File("down.tga"), topDownHeader, topDown, alpha), 1);
        EXPECT_EQ(testfiles::ReadBytes(dir.File("up.tga")),
                  testfiles::ReadBytes(dir.File("down.tga")));
        ASSERT_EQ(WritePngFile(dir.File("up.png"), frame.header(), frame.pixels(), alpha), 1);
        ASSERT_EQ(WritePngFile(dir.File("down.png"), topDownHeader, topDown, alpha), 1);
        EXPECT_EQ(testfiles::ReadBytes(dir.File("up.png")),
                  testfiles::ReadBytes(dir.File("down.png")));
    }
}

// --- PNG
// ------------------------------------------------------------------------------------------

TEST_F(ImageWriterTest, PngReadsBackAsThePicture) {
    Paint(frame, 7, 5, 24);
    const std::string path = dir.File("frame.png");
    ASSERT_EQ(WritePngFile(path, frame.header(), frame.pixels(), false), 1);
    const auto file = testfiles::ReadBytes(path);
    ASSERT_GT(file.size(), 33u);
    EXPECT_EQ(file[24], 8);  // bit depth
    EXPECT_EQ(file[25], 2);  // colour type RGB
    EXPECT_EQ(file[28], 0);  // no interlace
    const PngImage image = ReadPng(path);
    ASSERT_EQ(image.width, 7u);
    ASSERT_EQ(image.height, 5u);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 7; ++x) {
            Bgra expected = Colour(x, y);
            expected.a = 255;
            EXPECT_EQ(image.pixels[y * 7 + x], expected) << x << "," << y;
        }
}

TEST_F(ImageWriterTest, PngWithAlphaIsRgbaAnd32BitsWithoutAlphaIsRgb) {
    Paint(frame, 6, 3, 32);
    const std::string path = dir.File("frame.png");
    ASSERT_EQ(WritePngFile(path, frame.header(), frame.pixels(), true), 1);
    EXPECT_EQ(testfiles::ReadBytes(path)[25], 6);
    PngImage image = ReadPng(path);
    ASSERT_EQ(image.pixels.size(), 18u);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 6; ++x)
            EXPECT_EQ(image.pixels[y * 6 + x], Colour(x, y)) << x << "," << y;

    ASSERT_EQ(WritePngFile(path, frame.header(), frame.pixels(), false), 1);
    EXPECT_EQ(testfiles::ReadBytes(path)[25], 2);
    image = ReadPng(path);
    ASSERT_EQ(image.pixels.size(), 18u);
    Bgra expected = Colour(4, 2);
    expected.a = 255;
    EXPECT_EQ(image.pixels[2 * 6 + 4], expected);
}

// --- failures
// -------------------------------------------------------------------------------------

using ImageWriter = int (*)(const std::string&, const BitmapInfoHeader&, std::span<const uint8_t>,
                            bool);

class ImageWriterFailureTest : public ImageWriterTest,
                               public testing::WithParamInterface<ImageWriter> {};

TEST_P(ImageWriterFailureTest, AMissingFolderGivesNoFile) {
    Paint(frame, 4, 4, 24);
    EXPECT_EQ(GetParam()(dir.File("no-folder/frame.img"), frame.header(), frame.pixels(), false),
              0);
    EXPECT_TRUE(dir.Entries().empty());
}

TEST_P(ImageWriterFailureTest, HeadersThatDoNotFitThePixelsAreRefused) {
    Paint(frame, 4, 4, 24);
    const std::string path = dir.File("frame.img");
    BitmapInfoHeader header = frame.header();
    header.height = 5;  // one row more than there is
    EXPECT_EQ(GetParam()(path, header, frame.pixels(), false), 0);
    header = frame.header();
    header.bitCount = 16;
    EXPECT_EQ(GetParam()(path, header, frame.pixels(), false), 0);
    header = frame.header();
    header.width = 0;
    EXPECT_EQ(GetParam()(path, header, frame.pixels(), false), 0);
    header = frame.header();
    header.height = INT32_MIN;
    EXPECT_EQ(GetParam()(path, header, frame.pixels(), false), 0);
    EXPECT_TRUE(dir.Entries().empty());
}

TEST_P(ImageWriterFailureTest, AFullDiskGivesNoFileAndKeepsTheOldOne) {
    Paint(frame, 300, 300, 32);
    const std::string path = dir.File("frame.img");
    testfiles::WriteBytes(path, {'o', 'l', 'd'});
    {
        testfiles::FileSizeLimit limit(2048);
        EXPECT_EQ(GetParam()(path, frame.header(), frame.pixels(), true), 0);
    }
    EXPECT_EQ(testfiles::ReadBytes(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(dir.Entries().size(), 1u);

    // /dev/full fails every write; the device itself stays where it is.
    EXPECT_EQ(GetParam()("/dev/full", frame.header(), frame.pixels(), true), 0);
    EXPECT_TRUE(IsCharacterDevice("/dev/full"));
}

INSTANTIATE_TEST_SUITE_P(TgaAndPng, ImageWriterFailureTest,
                         testing::Values(&WriteTgaFile, &WritePngFile),
                         [](const testing::TestParamInfo<ImageWriter>& info) {
                             return info.param == &WriteTgaFile ? "Tga" : "Png";
                         });

}  // namespace
}  // namespace convert
