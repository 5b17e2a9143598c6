// Shape, style and morph records, checked against encodings derived by hand from the format.
#include <gtest/gtest.h>

#include "support/BitWriter.h"
#include "support/MorphShapeBuilder.h"
#include "support/ShapeBuilder.h"
#include "writer/BitString.h"

namespace swftest {
namespace {

using testing::bits;
using testing::concat;

std::vector<uint8_t> fillBytes(const FillStyle& style, int shapeVersion) {
    BitWriter out;
    style.write(out, shapeVersion);
    return out.bytes();
}

std::vector<uint8_t> lineBytes(const LineStyle& style, int shapeVersion) {
    BitWriter out;
    style.write(out, shapeVersion);
    return out.bytes();
}

TEST(ShapeRecords, SmallShapeWithEveryEdgeKind) {
    ShapeBuilder shape;
    shape.fill1(shape.addFill(FillStyle::solid({255, 0, 0})));
    shape.moveTo(100, 0).lineTo(200, 0).curveTo(200, 100, 100, 100).lineTo(100, 0);

    const auto expected = concat({
        {0x01, 0x00, 0xFF, 0x00, 0x00},  // one solid fill, RGB in DefineShape
        {0x00},                          // no line styles
        bits("0001 0000"                 // NumFillBits 1, NumLineBits 0
                          // style change: fill1 and move; MoveBits 8, x 100, y 0, fill1 = 1
             " 0 0 0 1 0 1  01000 01100100 00000000 1"
             // horizontal edge dx 100: NumBits 8 - 2
             " 1 1 0110 0 0 01100100"
             // curve: control (0, 100), anchor (-100, 0)
             " 1 0 0110 00000000 01100100 10011100 00000000"
             // vertical edge dy -100
             " 1 1 0110 0 1 10011100"
             // end of shape
             " 000000"),
    });
    EXPECT_EQ(shape.encodeWithStyles(1), expected);
}

TEST(ShapeRecords, DiagonalEdgesUseTheGeneralFormAndShortEdgesTwoBits) {
    ShapeBuilder shape;
    shape.lineTo(1, -1);
    // NumBits 0 means 2-bit deltas.
    EXPECT_EQ(shape.encodeShape(0, 0), bits("0000 0000  1 1 0000 1 01 11  000000"));
}

TEST(ShapeRecords, EdgesBeyondSeventeenBitsAreRefused) {
    ShapeBuilder shape;
    shape.lineTo(70000, 0);
    EXPECT_THROW(shape.encodeShape(0, 0), std::invalid_argument);
}

TEST(ShapeRecords, NewStylesPartWayChangeTheIndexWidths) {
    ShapeBuilder shape;
    shape.fill0(shape.addFill(FillStyle::solid({1, 2, 3}))).lineTo(20, 0);
    shape.newStyles();
    shape.addFill(FillStyle::solid({4, 5, 6}));
    shape.addFill(FillStyle::solid({7, 8, 9}));
    const int third = shape.addFill(FillStyle::solid({10, 11, 12}));
    shape.fill0(third).lineTo(20, 20);

    const auto expected = concat({
        {0x01, 0x00, 1, 2, 3, 0x00},
        bits("0001 0000"
             " 0 0 0 0 1 0  1"       // fill0 = 1 with one bit
             " 1 1 0100 0 0 010100"  // dx 20 needs 6 bits
             " 0 1 0 0 0 0"),        // new styles; the arrays start on a byte
        {0x03, 0x00, 4, 5, 6, 0x00, 7, 8, 9, 0x00, 10, 11, 12, 0x00},
        bits("0010 0000"         // NumFillBits now 2
             " 0 0 0 0 1 0  11"  // fill0 = 3 with two bits
             " 1 1 0100 0 1 010100"
             " 000000"),
    });
    EXPECT_EQ(shape.encodeWithStyles(2), expected);
}

TEST(ShapeRecords, DefineShape1CannotHoldAnExtendedStyleCount) {
    ShapeBuilder shape;
    for (int i = 0; i < 300; ++i) shape.addFill(FillStyle::solid({}));
    EXPECT_THROW(shape.encodeWithStyles(1), std::invalid_argument);
    const auto extended = shape.encodeWithStyles(2);
    ASSERT_GE(extended.size(), 3u);
    EXPECT_EQ(extended[0], 0xFF);
    EXPECT_EQ(extended[1] | extended[2] << 8, 300);
}

TEST(ShapeRecords, BoundsTakeInCurveExtremesAndHalfTheLineWidth) {
    ShapeBuilder shape;
    shape.line(shape.addLine(LineStyle::solid(40, {})));
    // The curve's highest point is at y = -50, halfway to the control point.
    shape.moveTo(0, 0).curveTo(100, -100, 200, 0);
    EXPECT_EQ(shape.edgeBounds(), (Rect{0, 200, -50, 0}));
    EXPECT_EQ(shape.bounds(), (Rect{-20, 220, -70, 20}));
}

TEST(ShapeRecords, DefineShape4AddsEdgeBoundsAndStrokeFlags) {
    ShapeBuilder shape;
    shape.line(shape.addLine(LineStyle::solid(20, {}).withNoScale(true, false))).lineTo(10, 0);
    const auto body = shape.defineShapeBody(9, 4);
    // id, shape bounds (Nbits 6: -10..20, -10..10), edge bounds (Nbits 5: 0..10, 0..0), flags.
    const auto expected = concat({
        {9, 0},
        bits("00110 110110 010100 110110 001010"),
        bits("00101 00000 01010 00000 00000"),
        bits("00000 0 1 0"),
    });
    ASSERT_GE(body.size(), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(body.begin(), body.begin() + static_cast<long>(expected.size())),
              expected);
}

TEST(FillStyles, SolidColourIsRgbBeforeDefineShape3) {
    EXPECT_EQ(fillBytes(FillStyle::solid({1, 2, 3, 4}), 2), (std::vector<uint8_t>{0x00, 1, 2, 3}));
    EXPECT_EQ(fillBytes(FillStyle::solid({1, 2, 3, 4}), 3),
              (std::vector<uint8_t>{0x00, 1, 2, 3, 4}));
}

TEST(FillStyles, GradientHeaderPacksSpreadInterpolationAndCount) {
    const auto style = FillStyle::linearGradient(Matrix::identity(),
                                                 {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 128}}},
                                                 SpreadMode::Reflect, InterpolationMode::LinearRgb);
    EXPECT_EQ(fillBytes(style, 3), concat({{0x10},
                                           bits("0 0 00000"),
                                           bits("01 01 0010"),
                                           {0, 255, 0, 0, 255, 255, 0, 0, 255, 128}}));
}

TEST(FillStyles, FocalGradientEndsWithSignedEightDotEight) {
    const auto style = FillStyle::focalGradient(Matrix::identity(), {{0, {}}, {255, {}}}, -0.5,
                                                SpreadMode::Repeat);
    EXPECT_EQ(fillBytes(style, 4), concat({{0x13, 0x00},
                                           bits("10 00 0010"),
                                           {0, 0, 0, 0, 255, 255, 0, 0, 0, 255},
                                           {0x80, 0xFF}}));
}

TEST(FillStyles, BitmapFillTypesAndMatrix) {
    EXPECT_EQ(fillBytes(FillStyle::bitmap(7, Matrix::translation(20, -20), true, true), 3),
              concat({{0x40, 7, 0}, bits("0 0 00110 010100 101100")}));
    EXPECT_EQ(fillBytes(FillStyle::bitmap(7, {}, false, true), 3)[0], 0x41);
    EXPECT_EQ(fillBytes(FillStyle::bitmap(7, {}, true, false), 3)[0], 0x42);
    EXPECT_EQ(fillBytes(FillStyle::bitmap(7, {}, false, false), 3)[0], 0x43);
}

TEST(FillStyles, MoreThanFifteenStopsAreRefused) {
    std::vector<GradientStop> stops(16);
    EXPECT_THROW(fillBytes(FillStyle::radialGradient({}, stops), 3), std::invalid_argument);
}

TEST(LineStyles, LineStyle2FlagsMiterAndColour) {
    const auto style = LineStyle::solid(40, {1, 2, 3, 4})
                           .withCaps(CapStyle::Square, CapStyle::None)
                           .withJoin(JoinStyle::Miter, 2.5);
    EXPECT_EQ(lineBytes(style, 4),
              concat({{40, 0}, bits("10 10 0 0 0 0  00000 0 01"), {0x80, 0x02}, {1, 2, 3, 4}}));
    EXPECT_EQ(lineBytes(style, 3), (std::vector<uint8_t>{40, 0, 1, 2, 3, 4}));
    EXPECT_EQ(lineBytes(style, 1), (std::vector<uint8_t>{40, 0, 1, 2, 3}));
}

TEST(LineStyles, FilledStrokeCarriesAFillStyleInsteadOfAColour) {
    auto style = LineStyle::filled(20, FillStyle::solid({9, 8, 7, 6})).withNoScale(true, true);
    style.noClose = true;
    style.pixelHinting = true;
    EXPECT_EQ(lineBytes(style, 4),
              concat({{20, 0}, bits("00 00 1 1 1 1  00000 1 00"), {0x00, 9, 8, 7, 6}}));
}

TEST(MorphShapes, OffsetPointsAtTheEndEdges) {
    MorphShapeBuilder morph;
    const int fill = morph.addFill(FillStyle::solid({255, 0, 0}), FillStyle::solid({0, 0, 255}));
    morph.startEdges().fill0(fill).lineTo(10, 0);
    morph.endEdges().lineTo(0, 10);

    const auto expected = concat({
        {1, 0},
        bits("00101 00000 01010 00000 00000"),  // start bounds
        bits("00101 00000 00000 00000 01010"),  // end bounds
        {16, 0, 0, 0},                          // offset to the end edges
        {0x01, 0x00, 255, 0, 0, 255, 0, 0, 255, 255},
        {0x00},
        bits("0001 0000  0 0 0 0 1 0 1  1 1 0011 0 0 01010  000000"),
        bits("0001 0000  1 1 0011 0 1 01010  000000"),
    });
    EXPECT_EQ(morph.defineMorphShapeBody(1, 1), expected);
}

TEST(MorphShapes, GradientStopsInterleaveStartAndEnd) {
    MorphShapeBuilder morph;
    morph.addFill(FillStyle::linearGradient({}, {{0, {1, 1, 1, 1}}}),
                  FillStyle::linearGradient({}, {{9, {2, 2, 2, 2}}}));
    morph.addLine(LineStyle::solid(20, {3, 3, 3, 3}), LineStyle::solid(60, {4, 4, 4, 4}));
    const auto body = morph.defineMorphShapeBody(1, 1);
    // The styles, then two edge lists with one fill bit, one line bit and no records.
    const auto tail = concat({
        {0x01, 0x10, 0x00, 0x00, 0x01, 0, 1, 1, 1, 1, 9, 2, 2, 2, 2},
        {0x01, 20, 0, 60, 0, 3, 3, 3, 3, 4, 4, 4, 4},
        bits("0001 0001 000000"),
        bits("0001 0001 000000"),
    });
    ASSERT_GE(body.size(), tail.size() + 4);
    const size_t offsetField = body.size() - tail.size() - 4;
    EXPECT_EQ(std::vector<uint8_t>(body.begin() + static_cast<long>(offsetField + 4), body.end()),
              tail);
    EXPECT_EQ(body[offsetField], tail.size() - 2);
}

TEST(MorphShapes, MismatchedStylePairsAreRefused) {
    MorphShapeBuilder morph;
    EXPECT_THROW(morph.addFill(FillStyle::solid({}), FillStyle::radialGradient({}, {})),
                 std::invalid_argument);
    EXPECT_THROW(morph.addLine(LineStyle::solid(1, {}), LineStyle::filled(1, FillStyle::solid({}))),
                 std::invalid_argument);
}

}  // namespace
}  // namespace swftest
