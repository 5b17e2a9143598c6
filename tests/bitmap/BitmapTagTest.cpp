#include <gtest/gtest.h>

#include <cstdlib>

#include "bitmap/ImageEncoders.h"
#include "support/BitWriter.h"
#include "support/Zlib.h"
#include "swf/bitmap/BitmapTag.h"
#include "swf/bitmap/ImageDecoder.h"
#include "swf/format/TagCode.h"

using namespace bitmaptest;
using swf::Bitmap;
using swf::ParseBitmapTag;
using swf::TagCode;
using swftest::BitWriter;
using swftest::Zlib;

namespace {

constexpr uint16_t code(TagCode tag) {
    return static_cast<uint16_t>(tag);
}

const std::vector<uint8_t> kStrayPair = {0xFF, 0xD9, 0xFF, 0xD8};

std::vector<uint8_t> withId(uint16_t id, const std::vector<uint8_t>& data) {
    BitWriter w;
    w.u16(id).raw(data);
    return w.bytes();
}

std::vector<uint8_t> jpeg3Body(uint16_t id, const std::vector<uint8_t>& image,
                               const std::vector<uint8_t>& alpha,
                               std::optional<uint16_t> deblocking = std::nullopt) {
    BitWriter w;
    w.u16(id).u32(static_cast<uint32_t>(image.size()));
    if (deblocking) w.u16(*deblocking);
    w.raw(image).raw(alpha);
    return w.bytes();
}

std::vector<uint8_t> losslessBody(uint16_t id, uint8_t format, uint16_t width, uint16_t height,
                                  std::optional<uint8_t> colorTableSize,
                                  const std::vector<uint8_t>& pixels) {
    BitWriter w;
    w.u16(id).u8(format).u16(width).u16(height);
    if (colorTableSize) w.u8(*colorTableSize);
    w.raw(Zlib::compress(pixels));
    return w.bytes();
}

std::array<int, 4> pixelAt(const Bitmap& bitmap, int x, int y) {
    const uint8_t* p = bitmap.pixel(x, y);
    return {p[0], p[1], p[2], p[3]};
}

// JPEG is lossy: solid areas come back within a few levels.
void expectNear(const Bitmap& bitmap, int x, int y, std::array<int, 4> expected,
                int tolerance = 10) {
    auto actual = pixelAt(bitmap, x, y);
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(actual[c], expected[c], tolerance)
            << "channel " << c << " at " << x << "," << y;
}

void expectQuadrants(const Bitmap& bitmap) {
    ASSERT_EQ(bitmap.width, 16);
    ASSERT_EQ(bitmap.height, 16);
    expectNear(bitmap, 3, 3, {255, 0, 0, 255});
    expectNear(bitmap, 12, 3, {0, 255, 0, 255});
    expectNear(bitmap, 3, 12, {0, 0, 255, 255});
    expectNear(bitmap, 12, 12, {255, 255, 255, 255});
}

const Image kQuadrants = Image::quadrants(16, 16);

}  // namespace

TEST(JpegBitmapTest, DefineBitsJpeg2DecodesACompleteStream) {
    auto bitmap =
        ParseBitmapTag(code(TagCode::DefineBitsJpeg2), withId(7, encodeJpeg(kQuadrants)), {});
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->id(), 7);
    EXPECT_EQ(bitmap->kind(), swf::CharacterKind::Bitmap);
    expectQuadrants(bitmap->bitmap());
}

TEST(JpegBitmapTest, DefineBitsUsesTheMovieTables) {
    SplitJpeg split = encodeJpegSplit(kQuadrants);
    auto bitmap = ParseBitmapTag(code(TagCode::DefineBits), withId(3, split.image), split.tables);
    ASSERT_TRUE(bitmap);
    expectQuadrants(bitmap->bitmap());
    // Without its tables the abbreviated image cannot be decoded.
    EXPECT_FALSE(ParseBitmapTag(code(TagCode::DefineBits), withId(3, split.image), {}));
}

TEST(JpegBitmapTest, StrayEndStartPairsAreSkipped) {
    SplitJpeg split = encodeJpegSplit(kQuadrants);
    auto strayImage = concat({kStrayPair, split.image});
    auto strayTables = concat({kStrayPair, split.tables});
    for (const auto& tables : {split.tables, strayTables}) {
        auto bitmap = ParseBitmapTag(code(TagCode::DefineBits), withId(1, strayImage), tables);
        ASSERT_TRUE(bitmap);
        expectQuadrants(bitmap->bitmap());
    }
    auto bitmap = ParseBitmapTag(code(TagCode::DefineBits), withId(1, split.image), strayTables);
    ASSERT_TRUE(bitmap);
    expectQuadrants(bitmap->bitmap());

    auto jpeg2 = ParseBitmapTag(code(TagCode::DefineBitsJpeg2),
                                withId(1, concat({kStrayPair, encodeJpeg(kQuadrants)})), {});
    ASSERT_TRUE(jpeg2);
    expectQuadrants(jpeg2->bitmap());
}

TEST(JpegBitmapTest, Jpeg2MayCarryTablesAndImageAsTwoStreams) {
    SplitJpeg split = encodeJpegSplit(kQuadrants);
    auto bitmap = ParseBitmapTag(code(TagCode::DefineBitsJpeg2),
                                 withId(1, concat({split.tables, split.image})), {});
    ASSERT_TRUE(bitmap);
    expectQuadrants(bitmap->bitmap());
}

TEST(JpegBitmapTest, Jpeg3AppliesTheAlphaPlaneAsPremultipliedAlpha) {
    // Left half fully transparent, right half half-transparent.
    std::vector<uint8_t> alpha(16 * 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) alpha[y * 16 + x] = x < 8 ? 0 : 128;
    auto bitmap = ParseBitmapTag(code(TagCode::DefineBitsJpeg3),
                                 jpeg3Body(4, encodeJpeg(kQuadrants), Zlib::compress(alpha)), {});
    ASSERT_TRUE(bitmap);
    const Bitmap& b = bitmap->bitmap();
    EXPECT_EQ(pixelAt(b, 3, 3), (std::array<int, 4>{0, 0, 0, 0}));
    auto greenHalf = pixelAt(b, 12, 3);
    EXPECT_EQ(greenHalf[3], 128);
    EXPECT_LE(greenHalf[1], 128);  // colour never exceeds alpha
    EXPECT_GE(greenHalf[1], 120);
    EXPECT_LE(greenHalf[0], 10);
}

TEST(JpegBitmapTest, Jpeg3WithoutUsableAlphaIsOpaque) {
    auto jpeg = encodeJpeg(kQuadrants);
    auto noAlpha = ParseBitmapTag(code(TagCode::DefineBitsJpeg3), jpeg3Body(4, jpeg, {}), {});
    ASSERT_TRUE(noAlpha);
    expectQuadrants(noAlpha->bitmap());
    // A plane shorter than the image does not make part of it vanish.
    auto shortPlane =
        ParseBitmapTag(code(TagCode::DefineBitsJpeg3),
                       jpeg3Body(4, jpeg, Zlib::compress(std::vector<uint8_t>(10, 0))), {});
    ASSERT_TRUE(shortPlane);
    expectQuadrants(shortPlane->bitmap());
}

TEST(JpegBitmapTest, Jpeg4KeepsDeblockingAndAppliesAlpha) {
    std::vector<uint8_t> alpha(16 * 16, 0);
    auto bitmap =
        ParseBitmapTag(code(TagCode::DefineBitsJpeg4),
                       jpeg3Body(9, encodeJpeg(kQuadrants), Zlib::compress(alpha), 0x0180), {});
    ASSERT_TRUE(bitmap);
    EXPECT_DOUBLE_EQ(bitmap->deblocking(), 1.5);
    EXPECT_EQ(pixelAt(bitmap->bitmap(), 12, 12), (std::array<int, 4>{0, 0, 0, 0}));
}

TEST(EmbeddedImageTest, PngInsideJpegTagsKeepsItsOwnAlphaPremultipliedRoundedDown) {
    Image image{2, 1, std::vector<uint8_t>(8)};
    image.set(0, 0, 200, 100, 50, 255);
    image.set(1, 0, 174, 173, 49, 63);
    auto png = encodePng(image);
    for (uint16_t tag : {code(TagCode::DefineBitsJpeg2), code(TagCode::DefineBitsJpeg3)}) {
        auto body = tag == code(TagCode::DefineBitsJpeg2)
                        ? withId(2, png)
                        : jpeg3Body(2, png, Zlib::compress(std::vector<uint8_t>(2, 0)));
        auto bitmap = ParseBitmapTag(tag, body, {});
        ASSERT_TRUE(bitmap) << tag;
        EXPECT_EQ(pixelAt(bitmap->bitmap(), 0, 0), (std::array<int, 4>{200, 100, 50, 255}));
        // Multiplied in and rounded down: 174 * 63 / 255 is 42.99.
        EXPECT_EQ(pixelAt(bitmap->bitmap(), 1, 0), (std::array<int, 4>{42, 42, 12, 63}));
    }
}

TEST(EmbeddedImageTest, GifFirstFrameWithTransparentIndex) {
    std::vector<uint8_t> indices = {0, 1, 2, 1, 0, 2};
    std::vector<uint8_t> palette = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    auto bitmap = ParseBitmapTag(code(TagCode::DefineBitsJpeg2),
                                 withId(5, encodeGif(3, 2, indices, palette, 1)), {});
    ASSERT_TRUE(bitmap);
    const Bitmap& b = bitmap->bitmap();
    ASSERT_EQ(b.width, 3);
    ASSERT_EQ(b.height, 2);
    EXPECT_EQ(pixelAt(b, 0, 0), (std::array<int, 4>{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(b, 1, 0), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(b, 2, 1), (std::array<int, 4>{0, 0, 255, 255}));

    auto opaque = ParseBitmapTag(code(TagCode::DefineBitsJpeg2),
                                 withId(5, encodeGif(3, 2, indices, palette, -1)), {});
    ASSERT_TRUE(opaque);
    EXPECT_EQ(pixelAt(opaque->bitmap(), 1, 0), (std::array<int, 4>{0, 255, 0, 255}));
}

TEST(LosslessBitmapTest, ColorMappedRowsArePaddedToFourBytes) {
    // 3 pixels wide: each row of indices carries one padding byte.
    std::vector<uint8_t> data = {10, 20, 30, 40, 50, 60};  // palette: 2 RGB entries
    data.insert(data.end(), {0, 1, 0, 0xEE, 1, 1, 0, 0xEE});
    auto bitmap =
        ParseBitmapTag(code(TagCode::DefineBitsLossless), losslessBody(8, 3, 3, 2, 1, data), {});
    ASSERT_TRUE(bitmap);
    const Bitmap& b = bitmap->bitmap();
    EXPECT_EQ(pixelAt(b, 1, 0), (std::array<int, 4>{40, 50, 60, 255}));
    EXPECT_EQ(pixelAt(b, 0, 1), (std::array<int, 4>{40, 50, 60, 255}));
    EXPECT_EQ(pixelAt(b, 2, 1), (std::array<int, 4>{10, 20, 30, 255}));
}

TEST(LosslessBitmapTest, ColorMappedWithAlphaPaletteIsPremultiplied) {
    std::vector<uint8_t> data = {0, 0, 0, 0, 100, 50, 25, 128};  // 2 RGBA entries
    data.insert(data.end(), {0, 1, 0, 0, 1, 0, 0, 0});
    auto bitmap =
        ParseBitmapTag(code(TagCode::DefineBitsLossless2), losslessBody(8, 3, 2, 2, 1, data), {});
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(pixelAt(bitmap->bitmap(), 0, 0), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(bitmap->bitmap(), 1, 0), (std::array<int, 4>{100, 50, 25, 128}));
    EXPECT_EQ(pixelAt(bitmap->bitmap(), 0, 1), (std::array<int, 4>{100, 50, 25, 128}));
}

TEST(LosslessBitmapTest, TrueColourWithAndWithoutAlpha) {
    // Two ARGB pixels; the second is premultiplied at alpha 128, the third carries a colour
    // above its alpha.
    std::vector<uint8_t> data = {7, 1, 2, 3, 128, 64, 32, 16, 10, 200, 5, 5};
    auto opaque = ParseBitmapTag(code(TagCode::DefineBitsLossless),
                                 losslessBody(1, 5, 3, 1, std::nullopt, data), {});
    ASSERT_TRUE(opaque);
    EXPECT_EQ(pixelAt(opaque->bitmap(), 0, 0), (std::array<int, 4>{1, 2, 3, 255}));
    EXPECT_EQ(pixelAt(opaque->bitmap(), 1, 0), (std::array<int, 4>{64, 32, 16, 255}));

    auto withAlpha = ParseBitmapTag(code(TagCode::DefineBitsLossless2),
                                    losslessBody(1, 5, 3, 1, std::nullopt, data), {});
    ASSERT_TRUE(withAlpha);
    EXPECT_EQ(pixelAt(withAlpha->bitmap(), 1, 0), (std::array<int, 4>{64, 32, 16, 128}));
    EXPECT_EQ(pixelAt(withAlpha->bitmap(), 2, 0), (std::array<int, 4>{10, 5, 5, 10}));
}

TEST(LosslessBitmapTest, FifteenBitRgb) {
    // 0 11111 00000 10000 = red full, green 0, blue half; one pixel, row padded to 4 bytes.
    std::vector<uint8_t> data = {0x7C, 0x10, 0, 0};
    auto bitmap = ParseBitmapTag(code(TagCode::DefineBitsLossless),
                                 losslessBody(1, 4, 1, 1, std::nullopt, data), {});
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(pixelAt(bitmap->bitmap(), 0, 0), (std::array<int, 4>{255, 0, 132, 255}));
}

TEST(CorruptBitmapTest, TruncatedDataGivesNoBitmap) {
    auto jpeg = encodeJpeg(Image::quadrants(64, 64));
    auto png = encodePng(kQuadrants);
    auto gif = encodeGif(3, 2, {0, 1, 2, 1, 0, 2}, {255, 0, 0, 0, 255, 0, 0, 0, 255}, -1);
    for (const auto& image : {jpeg, png, gif}) {
        auto half = std::vector<uint8_t>(image.begin(), image.begin() + image.size() / 2);
        EXPECT_FALSE(ParseBitmapTag(code(TagCode::DefineBitsJpeg2), withId(1, half), {}));
    }
    auto body = losslessBody(1, 5, 4, 4, std::nullopt, std::vector<uint8_t>(64, 9));
    body.resize(body.size() - 6);
    EXPECT_FALSE(ParseBitmapTag(code(TagCode::DefineBitsLossless), body, {}));
    // Pixels missing from a complete zlib stream.
    EXPECT_FALSE(ParseBitmapTag(code(TagCode::DefineBitsLossless),
                                losslessBody(1, 5, 4, 4, std::nullopt, std::vector<uint8_t>(60, 9)),
                                {}));
    // Alpha offset past the end of the tag.
    BitWriter w;
    w.u16(1).u32(100000).raw(jpeg);
    EXPECT_FALSE(ParseBitmapTag(code(TagCode::DefineBitsJpeg3), w.bytes(), {}));
    // Tags too short for their own header.
    for (uint16_t tag : {6, 20, 21, 35, 36, 90}) {
        EXPECT_FALSE(ParseBitmapTag(tag, {}, {}));
        EXPECT_FALSE(ParseBitmapTag(tag, std::vector<uint8_t>{1}, {}));
        EXPECT_FALSE(ParseBitmapTag(tag, std::vector<uint8_t>{1, 0, 3}, {}));
    }
}

TEST(CorruptBitmapTest, GarbageNeverCrashes) {
    std::srand(1234);
    auto jpeg = encodeJpeg(kQuadrants);
    auto png = encodePng(kQuadrants);
    for (int round = 0; round < 200; ++round) {
        for (const auto* source : {&jpeg, &png}) {
            auto damaged = *source;
            for (int i = 0; i < 4; ++i)
                damaged[std::rand() % damaged.size()] = static_cast<uint8_t>(std::rand());
            auto bitmap = ParseBitmapTag(code(TagCode::DefineBitsJpeg2), withId(1, damaged), {});
            if (bitmap) {
                const Bitmap& b = bitmap->bitmap();
                EXPECT_EQ(b.rgba.size(), size_t(b.width) * b.height * 4);
            }
        }
    }
    EXPECT_FALSE(ParseBitmapTag(code(TagCode::DefineBitsJpeg2), withId(1, {0x01, 0x02, 0x03}), {}));
}

TEST(CorruptBitmapTest, OversizedImagesAreRefused) {
    // 9000 x 1: the declared size alone is refused, whatever the data.
    EXPECT_FALSE(ParseBitmapTag(
        code(TagCode::DefineBitsLossless),
        losslessBody(1, 5, 9000, 1, std::nullopt, std::vector<uint8_t>(36000, 255)), {}));
    Image wide{9000, 8, std::vector<uint8_t>(9000 * 8 * 4, 128)};
    EXPECT_FALSE(
        ParseBitmapTag(code(TagCode::DefineBitsJpeg2), withId(1, encodeJpeg(wide, 10)), {}));
    EXPECT_FALSE(ParseBitmapTag(code(TagCode::DefineBitsJpeg2), withId(1, encodePng(wide)), {}));
    // The limits themselves: sides up to 8192, at most 16M pixels.
    EXPECT_TRUE(swf::BitmapSizeAllowed(8192, 2048));
    EXPECT_TRUE(swf::BitmapSizeAllowed(4096, 4096));
    EXPECT_FALSE(swf::BitmapSizeAllowed(8193, 1));
    EXPECT_FALSE(swf::BitmapSizeAllowed(8000, 4000));
    EXPECT_FALSE(swf::BitmapSizeAllowed(-1, 10));
    // A zero-sized image is no image.
    EXPECT_FALSE(ParseBitmapTag(code(TagCode::DefineBitsLossless),
                                losslessBody(1, 5, 0, 4, std::nullopt, {}), {}));
}

TEST(CorruptBitmapTest, ImagesBeyondTheCallersByteLimitAreRefusedInEveryFormat) {
    // 16 x 16 pixels decode to 1024 bytes.
    const std::vector<uint8_t> indices(16 * 16, 1);
    const std::vector<uint8_t> palette = {0, 0, 0, 9, 9, 9};
    const std::vector<std::pair<TagCode, std::vector<uint8_t>>> tags = {
        {TagCode::DefineBitsJpeg2, withId(1, encodeJpeg(kQuadrants))},
        {TagCode::DefineBitsJpeg2, withId(1, encodePng(kQuadrants))},
        {TagCode::DefineBitsJpeg2, withId(1, encodeGif(16, 16, indices, palette, -1))},
        {TagCode::DefineBitsJpeg3,
         jpeg3Body(1, encodeJpeg(kQuadrants), Zlib::compress(std::vector<uint8_t>(256, 7)))},
        {TagCode::DefineBitsLossless,
         losslessBody(1, 5, 16, 16, std::nullopt, std::vector<uint8_t>(1024, 255))},
    };
    for (const auto& [tag, body] : tags) {
        SCOPED_TRACE(testing::Message() << "tag " << code(tag) << ", " << body.size() << " bytes");
        EXPECT_FALSE(ParseBitmapTag(code(tag), body, {}, 1023));
        auto bitmap = ParseBitmapTag(code(tag), body, {}, 1024);
        ASSERT_TRUE(bitmap);
        EXPECT_EQ(bitmap->bitmap().rgba.size(), 1024u);
    }
}

TEST(BitmapTagTest, OnlyBitmapDefinitionsAreBitmapTags) {
    for (TagCode tag :
         {TagCode::DefineBits, TagCode::DefineBitsJpeg2, TagCode::DefineBitsJpeg3,
          TagCode::DefineBitsJpeg4, TagCode::DefineBitsLossless, TagCode::DefineBitsLossless2})
        EXPECT_TRUE(swf::IsBitmapTag(code(tag)));
    EXPECT_FALSE(swf::IsBitmapTag(code(TagCode::JpegTables)));
    EXPECT_FALSE(swf::IsBitmapTag(code(TagCode::DefineShape)));
    EXPECT_FALSE(ParseBitmapTag(code(TagCode::DefineShape), withId(1, encodeJpeg(kQuadrants)), {}));
}
