#include "settings/NumberText.h"

#include <gtest/gtest.h>

namespace {

using settings::ReadSignedNumber;
using settings::ReadUnsignedNumber;

TEST(NumberText, ReadsDecimalDigitsWithSurroundingSpaces) {
    EXPECT_EQ(ReadSignedNumber("1200"), 1200);
    EXPECT_EQ(ReadSignedNumber("  42 "), 42);
    EXPECT_EQ(ReadSignedNumber("007"), 7);
    EXPECT_EQ(ReadUnsignedNumber(" 640"), 640);
    EXPECT_EQ(ReadSignedNumber("2147483647"), 2147483647);
}

TEST(NumberText, SignedReadingTakesALeadingMinus) {
    EXPECT_EQ(ReadSignedNumber("-5"), -5);
    EXPECT_EQ(ReadSignedNumber(" -0"), 0);
    EXPECT_EQ(ReadSignedNumber("-2147483648"), -2147483647 - 1);
}

TEST(NumberText, TextThatIsNotANumberReadsAsZero) {
    for (const char* text :
         {"", "   ", "abc", "12abc", "1 2", "+5", "--5", "- 5", "5-", "0x10", "1.5", "\t7"}) {
        EXPECT_EQ(ReadSignedNumber(text), 0) << '"' << text << '"';
        EXPECT_EQ(ReadUnsignedNumber(text), 0) << '"' << text << '"';
    }
    EXPECT_EQ(ReadUnsignedNumber("-5"), 0);
}

TEST(NumberText, NumbersBeyondTheRecordFieldsReadAsZero) {
    EXPECT_EQ(ReadSignedNumber("2147483648"), 0);
    EXPECT_EQ(ReadSignedNumber("-2147483649"), 0);
    EXPECT_EQ(ReadUnsignedNumber("4294967295"), 0);
    EXPECT_EQ(ReadUnsignedNumber("99999999999999999999999"), 0);
}

}  // namespace
