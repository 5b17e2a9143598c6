#include <gtest/gtest.h>

#include <vector>

#include "swf/format/TagCode.h"
#include "swf/format/TagStream.h"

namespace {

using swf::Tag;
using swf::TagStream;

std::vector<uint8_t> ShortHeader(uint16_t code, uint8_t length) {
    uint16_t header = static_cast<uint16_t>(code << 6 | length);
    return {static_cast<uint8_t>(header), static_cast<uint8_t>(header >> 8)};
}

std::vector<uint8_t> LongHeader(uint16_t code, uint32_t length) {
    std::vector<uint8_t> out = ShortHeader(code, 0x3F);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(length >> (8 * i)));
    return out;
}

TEST(TagStream, ShortAndLongHeadersGiveTheirBodies) {
    std::vector<uint8_t> data = ShortHeader(9, 3);
    data.insert(data.end(), {1, 2, 3});
    auto longHeader = LongHeader(12, 2);  // a long header may hold a short length
    data.insert(data.end(), longHeader.begin(), longHeader.end());
    data.insert(data.end(), {7, 0});
    auto end = ShortHeader(0, 0);
    data.insert(data.end(), end.begin(), end.end());

    TagStream stream(data);
    Tag tag;
    ASSERT_TRUE(stream.next(tag));
    EXPECT_EQ(tag.code, 9);
    EXPECT_EQ(std::vector<uint8_t>(tag.body.begin(), tag.body.end()),
              (std::vector<uint8_t>{1, 2, 3}));
    ASSERT_TRUE(stream.next(tag));
    EXPECT_EQ(tag.code, 12);
    EXPECT_EQ(tag.body.size(), 2u);
    EXPECT_EQ(tag.body[0], 7);
    ASSERT_TRUE(stream.next(tag));
    EXPECT_EQ(tag.code, 0);
    EXPECT_FALSE(stream.next(tag));
    EXPECT_FALSE(stream.truncated());
}

TEST(TagStream, LengthPastTheEndIsCutAndEndsTheStream) {
    std::vector<uint8_t> data = LongHeader(2, 0xFFFFFFF0u);
    data.insert(data.end(), {1, 2, 3, 4});
    TagStream stream(data);
    Tag tag;
    ASSERT_TRUE(stream.next(tag));
    EXPECT_TRUE(tag.truncated);
    EXPECT_EQ(tag.body.size(), 4u);
    EXPECT_FALSE(stream.next(tag));
    EXPECT_TRUE(stream.truncated());
}

TEST(TagStream, HalfAHeaderEndsTheStreamAsTruncated) {
    std::vector<uint8_t> oneByte = {0x40};
    TagStream a(oneByte);
    Tag tag;
    EXPECT_FALSE(a.next(tag));
    EXPECT_TRUE(a.truncated());

    std::vector<uint8_t> longCut = {0x3F, 0x00, 0x05};  // long header without its length
    TagStream b(longCut);
    EXPECT_FALSE(b.next(tag));
    EXPECT_TRUE(b.truncated());
}

TEST(TagStream, NothingAfterTheEndTagIsRead) {
    std::vector<uint8_t> data = ShortHeader(0, 0);
    auto more = ShortHeader(1, 0);
    data.insert(data.end(), more.begin(), more.end());
    TagStream stream(data);
    Tag tag;
    ASSERT_TRUE(stream.next(tag));
    EXPECT_FALSE(stream.next(tag));
}

TEST(TagCode, EveryCodeOfTheFormatHasItsName) {
    EXPECT_STREQ(swf::TagCodeName(26), "PlaceObject2");
    EXPECT_STREQ(swf::TagCodeName(8), "JPEGTables");
    EXPECT_STREQ(swf::TagCodeName(91), "DefineFont4");
    EXPECT_STREQ(swf::TagCodeName(84), "DefineMorphShape2");
    EXPECT_EQ(swf::TagCodeName(27), nullptr);
    EXPECT_EQ(swf::TagCodeName(1000), nullptr);
}

}  // namespace
