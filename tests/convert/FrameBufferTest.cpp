#include <cstring>

#include <gtest/gtest.h>

#include "convert/FrameBuffer.h"

namespace convert {
namespace {

TEST(FrameBufferTest, RowsArePaddedToFourBytesAndStoredBottomUp) {
    FrameBuffer buffer;
    ASSERT_TRUE(buffer.Create(550, 400, 24));
    EXPECT_EQ(buffer.stride(), 1652u);
    EXPECT_EQ(buffer.pixels().size(), 1652u * 400);
    const BitmapInfoHeader& header = buffer.header();
    EXPECT_EQ(header.size, 40u);
    EXPECT_EQ(header.width, 550);
    EXPECT_EQ(header.height, 400);
    EXPECT_EQ(header.planes, 1);
    EXPECT_EQ(header.bitCount, 24);
    EXPECT_EQ(header.compression, 0u);
    EXPECT_EQ(header.sizeImage, 0u);
    EXPECT_EQ(header.clrUsed, 0u);
    // The top row of the picture is the last in memory.
    EXPECT_EQ(buffer.row(0), buffer.bits() + 399 * 1652);
    EXPECT_EQ(buffer.row(399), buffer.bits());

    ASSERT_TRUE(buffer.Create(1, 1, 24));
    EXPECT_EQ(buffer.stride(), 4u);
    ASSERT_TRUE(buffer.Create(3, 2, 24));
    EXPECT_EQ(buffer.stride(), 12u);
    ASSERT_TRUE(buffer.Create(3, 2, 32));
    EXPECT_EQ(buffer.stride(), 12u);
    EXPECT_EQ(buffer.header().bitCount, 32);
}

TEST(FrameBufferTest, TheSameSizeKeepsTheBitmapAndANewSizeRemakesIt) {
    FrameBuffer buffer;
    ASSERT_TRUE(buffer.Create(64, 48, 24));
    uint8_t* bits = buffer.bits();
    std::memset(buffer.row(10), 0x7F, buffer.stride());
    ASSERT_TRUE(buffer.Create(64, 48, 24));
    EXPECT_EQ(buffer.bits(), bits);
    EXPECT_EQ(buffer.row(10)[0], 0x7F);

    ASSERT_TRUE(buffer.Create(65, 48, 24));
    EXPECT_EQ(buffer.header().width, 65);
    EXPECT_EQ(buffer.row(10)[0], 0);  // a new bitmap starts out black
    ASSERT_TRUE(buffer.Create(65, 48, 32));
    EXPECT_EQ(buffer.stride(), 260u);
    EXPECT_EQ(buffer.pixels().size(), 260u * 48);
}

TEST(FrameBufferTest, ReleaseAndImpossibleSizesLeaveNoBitmap) {
    FrameBuffer buffer;
    EXPECT_TRUE(buffer.empty());
    ASSERT_TRUE(buffer.Create(8, 8, 24));
    buffer.Release();
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(buffer.bits(), nullptr);
    EXPECT_TRUE(buffer.pixels().empty());
    EXPECT_EQ(buffer.header().size, 0u);
    EXPECT_EQ(buffer.header().width, 0);
    EXPECT_EQ(buffer.header().planes, 0);

    for (const auto& [width, height, bits] : {std::tuple{0, 10, 24},
                                              {10, 0, 24},
                                              {-5, 10, 24},
                                              {10, -5, 24},
                                              {10, 10, 16},
                                              {10, 10, 8},
                                              {FrameBuffer::kMaxSide + 1, 10, 24},
                                              {10, FrameBuffer::kMaxSide + 1, 32}}) {
        ASSERT_TRUE(buffer.Create(8, 8, 24));
        EXPECT_FALSE(buffer.Create(width, height, static_cast<uint16_t>(bits)))
            << width << "x" << height << "x" << bits;
        EXPECT_TRUE(buffer.empty());
    }
}

}  // namespace
}  // namespace convert
