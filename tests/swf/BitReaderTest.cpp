#include <gtest/gtest.h>

#include <vector>

#include "swf/format/BitReader.h"

namespace {

using swf::BitReader;

TEST(BitReader, BitFieldsCrossByteBoundariesMostSignificantFirst) {
    std::vector<uint8_t> data = {0b10110011, 0b01111100};
    BitReader in(data);
    EXPECT_EQ(in.ub(3), 0b101u);
    EXPECT_EQ(in.ub(7), 0b1001101u);
    EXPECT_EQ(in.sb(6), -4);  // 0b111100
    EXPECT_FALSE(in.overrun());
}

TEST(BitReader, SignedFieldsExtendTheirSignBit) {
    std::vector<uint8_t> data = {0xFF, 0xFF, 0xFF, 0xFF, 0x80};
    BitReader in(data);
    EXPECT_EQ(in.sb(1), -1);
    EXPECT_EQ(in.sb(31), -1);
    EXPECT_EQ(in.sb(0), 0);
    EXPECT_EQ(in.sb(2), -2);
}

TEST(BitReader, ReadingPastTheEndYieldsZerosAndStaysOverrun) {
    std::vector<uint8_t> data = {0x01, 0x02, 0x03};
    BitReader in(data);
    EXPECT_EQ(in.u16(), 0x0201);
    EXPECT_EQ(in.u32(), 0u);
    EXPECT_TRUE(in.overrun());
    EXPECT_EQ(in.u8(), 0u);
    EXPECT_TRUE(in.overrun());
}

TEST(BitReader, ByteReadsDropAPartlyReadByte) {
    std::vector<uint8_t> data = {0xF0, 0x34, 0x12};
    BitReader in(data);
    in.ub(4);
    EXPECT_EQ(in.u16(), 0x1234);
}

TEST(BitReader, ShortByteRunsAndUnterminatedStringsAreCutToTheData) {
    std::vector<uint8_t> data = {'a', 'b', 'c'};
    BitReader strings(data);
    EXPECT_EQ(strings.cString(), "abc");
    EXPECT_TRUE(strings.overrun());

    BitReader bytes(data);
    EXPECT_EQ(bytes.bytes(10).size(), 3u);
    EXPECT_TRUE(bytes.overrun());
}

TEST(BitReader, FieldWiderThan32BitsIsRefused) {
    std::vector<uint8_t> data(8, 0xFF);
    BitReader in(data);
    EXPECT_EQ(in.ub(33), 0u);
    EXPECT_TRUE(in.overrun());
}

TEST(BitReader, RectWithFullWidthFieldsAndMatrixTerms) {
    // RECT with 31-bit fields: xMin = -1, the rest 0.
    std::vector<uint8_t> rect = {0xFF, 0xFF, 0xFF, 0xFF, 0xF0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    BitReader in(rect);
    swf::Rect r = in.rect();
    EXPECT_EQ(r.xMin, -1);
    EXPECT_EQ(r.xMax, 0);
    EXPECT_FALSE(in.overrun());
}

TEST(BitReader, EncodedU32StopsAfterFiveBytes) {
    std::vector<uint8_t> data = {0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 0x7F};
    BitReader in(data);
    EXPECT_EQ(in.encodedU32(), 0xFFFFFFFFu);
    EXPECT_EQ(in.u8(), 0x7F);
}

}  // namespace
