// Bit-level records checked against encodings derived by hand from the format's field rules.
#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>

#include "support/BitWriter.h"
#include "support/ColorTransform.h"
#include "support/Matrix.h"
#include "support/Rect.h"
#include "writer/BitString.h"

namespace swftest {
namespace {

using testing::bits;

template <typename Record>
std::vector<uint8_t> encode(const Record& record) {
    BitWriter out;
    record.write(out);
    return out.bytes();
}

std::vector<uint8_t> encodeWithAlpha(const ColorTransform& transform) {
    BitWriter out;
    transform.writeWithAlpha(out);
    return out.bytes();
}

TEST(BitWriter, FieldWidthsFollowTwosComplement) {
    EXPECT_EQ(BitWriter::signedBits(0), 0);
    EXPECT_EQ(BitWriter::signedBits(-1), 1);
    EXPECT_EQ(BitWriter::signedBits(1), 2);
    EXPECT_EQ(BitWriter::signedBits(-2), 2);
    EXPECT_EQ(BitWriter::signedBits(-129), 9);
    EXPECT_EQ(BitWriter::signedBits(128), 9);
    EXPECT_EQ(BitWriter::signedBits(INT32_MIN), 32);
    EXPECT_EQ(BitWriter::unsignedBits(255), 8);
    EXPECT_EQ(BitWriter::unsignedBits(256), 9);
}

TEST(BitWriter, PacksMostSignificantBitFirstAndAlignsBeforeBytes) {
    BitWriter out;
    out.ub(5, 3).sb(-1, 2).u16(0x1234).ub(1, 1);
    EXPECT_EQ(out.bytes(), (std::vector<uint8_t>{0b10111000, 0x34, 0x12, 0x80}));
}

TEST(BitWriter, RejectsValuesWiderThanTheField) {
    BitWriter out;
    EXPECT_THROW(out.ub(8, 3), std::invalid_argument);
    EXPECT_THROW(out.sb(4, 3), std::invalid_argument);
    EXPECT_THROW(out.sb(-5, 3), std::invalid_argument);
    EXPECT_NO_THROW(out.sb(-4, 3));
}

TEST(RectEncoding, StageOf550By400Pixels) {
    // Nbits 15; 0, 11000, 0, 8000 twips.
    EXPECT_EQ(encode(Rect::fromPixels(0, 0, 550, 400)),
              (std::vector<uint8_t>{0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00}));
}

TEST(RectEncoding, NegativeValuesUseTheFewestSignedBits) {
    // -1 needs 1 bit, 1 and -2 need 2, 2 needs 3: Nbits = 3.
    EXPECT_EQ(encode(Rect{-1, 1, -2, 2}), bits("00011 111 001 110 010"));
}

TEST(RectEncoding, EmptyRectIsOneByte) {
    EXPECT_EQ(encode(Rect{}), bits("00000 000"));
}

TEST(RectEncoding, RejectsCoordinatesBeyondThirtyOneBits) {
    BitWriter out;
    EXPECT_THROW(Rect({0, INT32_MAX, 0, 0}).write(out), std::invalid_argument);
}

TEST(MatrixEncoding, IdentityHasNoScaleNoRotateAndZeroTranslateBits) {
    EXPECT_EQ(encode(Matrix::identity()), bits("0 0 00000"));
}

TEST(MatrixEncoding, TranslationOnly) {
    // 20 and -20 both need 6 signed bits.
    EXPECT_EQ(encode(Matrix::translation(20, -20)), bits("0 0 00110 010100 101100"));
}

TEST(MatrixEncoding, ScaleTermsAreSixteenDotSixteen) {
    // 2.0 = 0x20000 needs 19 bits, 0.5 = 0x8000 fits in them.
    EXPECT_EQ(encode(Matrix::scaling(2.0, 0.5)),
              bits("1 10011 0100000000000000000 0001000000000000000 0 00000"));
}

TEST(MatrixEncoding, QuarterTurnWritesZeroScaleAndBothSkews) {
    // cos = 0 still differs from a scale of 1, so HasScale is set with 0-bit fields;
    // RotateSkew0 = sin = 1.0, RotateSkew1 = -sin = -1.0, 18 bits.
    EXPECT_EQ(encode(Matrix::rotation(90)),
              bits("1 00000 1 10010 010000000000000000 110000000000000000 00000"));
}

TEST(MatrixEncoding, ThenAppliesTheOuterMatrixLast) {
    const Matrix combined = Matrix::scaling(2, 2).then(Matrix::translation(100, 50));
    EXPECT_EQ(combined, Matrix::scaling(2, 2, 100, 50));
    const Matrix moved = Matrix::translation(10, 0).then(Matrix::scaling(3, 3));
    EXPECT_EQ(moved.translateX, 30);
}

TEST(ColorTransformEncoding, IdentityHasNoTerms) {
    EXPECT_EQ(encode(ColorTransform::identity()), bits("0 0 0000"));
    EXPECT_EQ(encodeWithAlpha(ColorTransform::identity()), bits("0 0 0000"));
}

TEST(ColorTransformEncoding, AlphaMultiplierOnlyInTheAlphaForm) {
    // 256 needs 10 bits, 128 nine.
    EXPECT_EQ(encodeWithAlpha(ColorTransform::alpha(0.5)),
              bits("0 1 1010 0100000000 0100000000 0100000000 0010000000"));
    // CXFORM has no alpha term, so nothing differs from identity.
    EXPECT_EQ(encode(ColorTransform::alpha(0.5)), bits("0 0 0000"));
}

TEST(ColorTransformEncoding, AddTermsOnly) {
    EXPECT_EQ(encode(ColorTransform::add(255, -255, 0)),
              bits("1 0 1001 011111111 100000001 000000000"));
    EXPECT_EQ(encodeWithAlpha(ColorTransform::add(0, 0, 0, -128)),
              bits("1 0 1000 00000000 00000000 00000000 10000000"));
}

TEST(ColorTransformEncoding, MultiplyTermsPrecedeAddTermsAndShareOneWidth) {
    ColorTransform transform = ColorTransform::multiply(0.5, 1, 1);
    transform.redAdd = 10;
    EXPECT_EQ(encodeWithAlpha(transform), bits("1 1 1010"
                                               " 0010000000 0100000000 0100000000 0100000000"
                                               " 0000001010 0000000000 0000000000 0000000000"));
    EXPECT_EQ(encode(transform), bits("1 1 1010"
                                      " 0010000000 0100000000 0100000000"
                                      " 0000001010 0000000000 0000000000"));
}

}  // namespace
}  // namespace swftest
