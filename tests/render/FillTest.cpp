#include <gtest/gtest.h>

#include "render/CanvasTestSupport.h"

namespace swf::test {
namespace {

class FillTest : public ::testing::Test {
  protected:
    FillTest() : canvas(40, 40) { canvas.clear(kWhite); }
    void draw(const Shape& shape, const Matrix& m = pixelScale()) {
        canvas.drawShape(shape, m, {}, noBitmaps());
    }
    Canvas canvas;
};

TEST_F(FillTest, ClearFillsEverySurfacePixelPremultiplied) {
    canvas.clear({200, 100, 50, 128});
    // The first row is filled and copied to the others: every row, every column.
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) ASSERT_EQ(pixelAt(canvas, x, y), (Rgba{100, 50, 25, 128}));
    }
    Canvas empty(0, 5);
    empty.clear(kWhite);
    EXPECT_EQ(empty.width(), 0);
}

TEST_F(FillTest, SolidSquareCoversItsInteriorAndStopsAtItsEdges) {
    draw(filledRectangle(10, 10, 30, 30, kRed));
    EXPECT_EQ(pixelAt(canvas, 20, 20), kRed);
    EXPECT_EQ(pixelAt(canvas, 10, 10), kRed);
    EXPECT_EQ(pixelAt(canvas, 29, 29), kRed);
    EXPECT_EQ(pixelAt(canvas, 9, 20), kWhite);
    EXPECT_EQ(pixelAt(canvas, 30, 20), kWhite);
    EXPECT_EQ(pixelAt(canvas, 20, 9), kWhite);
    EXPECT_EQ(pixelAt(canvas, 20, 30), kWhite);
}

TEST_F(FillTest, EdgeThroughPixelMiddleBlendsHalfCoverage) {
    draw(filledRectangle(10.5, 10, 30, 30, kBlack));
    Rgba edge = pixelAt(canvas, 10, 20);
    EXPECT_NEAR(edge.r, 128, 3);
    EXPECT_EQ(edge.a, 255);
}

TEST_F(FillTest, TranslucentFillBlendsOverBackground) {
    draw(filledRectangle(0, 0, 40, 40, {0, 0, 0, 128}));
    EXPECT_NEAR(pixelAt(canvas, 5, 5).r, 127, 1);
    EXPECT_EQ(pixelAt(canvas, 5, 5).a, 255);
}

TEST_F(FillTest, AdjacentFillsMeetWithoutSeamAlongSharedEdge) {
    // Red on the left, blue on the right of a slanted shared edge, as the authoring tool
    // writes it: one edge carrying both fills.
    Shape shape;
    shape.fills = {solidFill(kRed), solidFill(kBlue)};
    shape.paths.push_back(polygon({{20.3, 5}, {5, 5}, {5, 35}, {19.7, 35}}, 0, 0));
    shape.paths.back().edges.pop_back();  // the shared edge comes separately
    shape.paths.back().fill0 = 1;
    shape.paths.push_back(polygon({{19.7, 35}, {35, 35}, {35, 5}, {20.3, 5}}, 0, 0));
    shape.paths.back().edges.pop_back();
    shape.paths.back().fill0 = 2;
    ShapePath shared{2, 1, 0, {line(px(20.3, 5), px(19.7, 35))}};
    shape.paths.push_back(shared);
    draw(shape);
    for (int y = 6; y < 34; ++y) {
        for (int x = 18; x <= 21; ++x) {
            Rgba c = pixelAt(canvas, x, y);
            EXPECT_EQ(c.g, 0) << "background shows through at " << x << "," << y;
            EXPECT_NEAR(c.r + c.b, 255, 2) << x << "," << y;
        }
    }
    EXPECT_EQ(pixelAt(canvas, 10, 20), kRed);
    EXPECT_EQ(pixelAt(canvas, 30, 20), kBlue);
}

TEST_F(FillTest, FillSideFollowsEdgeDirection) {
    // The same square drawn clockwise with the fill on the right, and counter-clockwise with
    // it on the left, covers the same pixels.
    Shape right;
    right.fills.push_back(solidFill(kRed));
    right.paths.push_back(polygon({{5, 5}, {15, 5}, {15, 15}, {5, 15}}, 0, 1));
    Shape left;
    left.fills.push_back(solidFill(kBlue));
    left.paths.push_back(polygon({{25, 5}, {25, 15}, {35, 15}, {35, 5}}, 1, 0));
    draw(right);
    draw(left);
    EXPECT_EQ(pixelAt(canvas, 10, 10), kRed);
    EXPECT_EQ(pixelAt(canvas, 30, 10), kBlue);
    EXPECT_EQ(pixelAt(canvas, 20, 10), kWhite);
}

TEST_F(FillTest, InnerContourSeparatesTwoFills) {
    // A ring of red around a blue centre: the inner square's edges carry red on one side
    // and blue on the other.
    Shape shape;
    shape.fills = {solidFill(kRed), solidFill(kBlue)};
    shape.paths.push_back(polygon({{5, 5}, {35, 5}, {35, 35}, {5, 35}}, 0, 1));
    shape.paths.push_back(polygon({{15, 15}, {25, 15}, {25, 25}, {15, 25}}, 1, 2));
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 8, 20), kRed);
    EXPECT_EQ(pixelAt(canvas, 20, 20), kBlue);
    EXPECT_EQ(pixelAt(canvas, 2, 20), kWhite);
}

TEST_F(FillTest, InnerContourWithoutSecondFillLeavesHole) {
    Shape shape;
    shape.fills = {solidFill(kRed)};
    shape.paths.push_back(polygon({{5, 5}, {35, 5}, {35, 35}, {5, 35}}, 0, 1));
    shape.paths.push_back(polygon({{15, 15}, {25, 15}, {25, 25}, {15, 25}}, 1, 0));
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 8, 20), kRed);
    EXPECT_EQ(pixelAt(canvas, 20, 20), kWhite);
}

TEST_F(FillTest, OverlappingContoursOfOneFillLeaveAHole) {
    // Two squares with only fill style 0 render a hole where they overlap, whichever way
    // each one runs.
    Shape shape;
    shape.fills.push_back(solidFill(kRed));
    shape.paths.push_back(polygon({{5, 5}, {25, 5}, {25, 25}, {5, 25}}, 1, 0));
    shape.paths.push_back(polygon({{15, 15}, {15, 35}, {35, 35}, {35, 15}}, 1, 0));
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 10, 10), kRed);
    EXPECT_EQ(pixelAt(canvas, 30, 30), kRed);
    EXPECT_EQ(pixelAt(canvas, 20, 20), kWhite);
}

TEST_F(FillTest, NonZeroWindingFillsWhereContoursOfOneDirectionOverlap) {
    // Both squares have the fill inside them: the first on the right of clockwise edges,
    // the second on the left of counter-clockwise ones. Their overlap winds twice.
    Shape shape;
    shape.fills.push_back(solidFill(kRed));
    shape.paths.push_back(polygon({{5, 5}, {25, 5}, {25, 25}, {5, 25}}, 0, 1));
    shape.paths.push_back(polygon({{15, 15}, {15, 35}, {35, 35}, {35, 15}}, 1, 0));
    for (bool nonZero : {false, true}) {
        canvas.clear(kWhite);
        shape.nonZeroWinding = nonZero;
        draw(shape);
        EXPECT_EQ(pixelAt(canvas, 10, 10), kRed);
        EXPECT_EQ(pixelAt(canvas, 30, 30), kRed);
        EXPECT_EQ(pixelAt(canvas, 20, 20), nonZero ? kRed : kWhite) << "non-zero " << nonZero;
        EXPECT_EQ(pixelAt(canvas, 2, 2), kWhite);
    }
}

TEST_F(FillTest, NonZeroWindingStillCutsHolesWoundTheOtherWay) {
    // A ring: the outer square clockwise and the inner one counter-clockwise, the ring on
    // the right of both.
    Shape shape;
    shape.nonZeroWinding = true;
    shape.fills.push_back(solidFill(kRed));
    shape.paths.push_back(polygon({{5, 5}, {35, 5}, {35, 35}, {5, 35}}, 0, 1));
    shape.paths.push_back(polygon({{15, 15}, {15, 25}, {25, 25}, {25, 15}}, 0, 1));
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 8, 20), kRed);
    EXPECT_EQ(pixelAt(canvas, 20, 20), kWhite);
}

TEST_F(FillTest, CurvedEdgeBulgesTowardItsControlPoint) {
    // A curve from (5,5) to (35,5) pulled down by (20,45), closed by a straight edge: the
    // curve's lowest point is at y = 25.
    Shape shape;
    shape.fills.push_back(solidFill(kRed));
    shape.paths.push_back(
        {0, 1, 0, {curve(px(5, 5), px(20, 45), px(35, 5)), line(px(35, 5), px(5, 5))}});
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 20, 15), kRed);
    EXPECT_EQ(pixelAt(canvas, 20, 23), kRed);
    EXPECT_EQ(pixelAt(canvas, 20, 26), kWhite);
    // Near the ends the curve hugs its chord: at x = 6..7 it stays above y = 10.
    EXPECT_EQ(pixelAt(canvas, 6, 12), kWhite);
}

TEST_F(FillTest, CurveDrawnLargeStaysSmooth) {
    // The same curve scaled up eight times: pixels 1.5 px inside and outside the exact curve
    // at t = 0.25 fall on their own sides, which a coarse subdivision would get wrong.
    Canvas big(320, 320);
    big.clear(kWhite);
    Shape shape;
    shape.fills.push_back(solidFill(kRed));
    shape.paths.push_back(
        {0, 1, 0, {curve(px(5, 5), px(20, 45), px(35, 5)), line(px(35, 5), px(5, 5))}});
    big.drawShape(shape, pixelScale(8), {}, noBitmaps());
    // At t = 0.25 the curve passes (12.5, 20) * 8 = (100, 160), heading (0.6, 0.8); the
    // inside lies towards (0.8, -0.6).
    EXPECT_EQ(pixelAt(big, 101, 159), kRed);
    EXPECT_EQ(pixelAt(big, 98, 160), kWhite);
}

TEST_F(FillTest, OverlappingFillsOfOneShapeShowTheLaterStyleOnTop) {
    Shape shape;
    shape.fills = {solidFill(kRed), solidFill(kBlue)};
    shape.paths.push_back(rectangle(5, 5, 25, 25, 1));
    shape.paths.push_back(rectangle(15, 15, 35, 35, 2));
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 10, 10), kRed);
    EXPECT_EQ(pixelAt(canvas, 20, 20), kBlue);
    EXPECT_EQ(pixelAt(canvas, 30, 30), kBlue);
}

TEST_F(FillTest, ColorTransformAppliesToSolidColourAndAlpha) {
    ColorTransform cx;
    cx.rMul = 0;
    cx.gAdd = 255;
    cx.aMul = 128;
    canvas.drawShape(filledRectangle(0, 0, 40, 40, kRed), pixelScale(), cx, noBitmaps());
    Rgba c = pixelAt(canvas, 20, 20);
    // (0, 255, 0) at half alpha over white.
    EXPECT_NEAR(c.r, 127, 2);
    EXPECT_EQ(c.g, 255);
    EXPECT_NEAR(c.b, 127, 2);
}

TEST_F(FillTest, TransformMovesAndScalesShape) {
    Matrix m = Matrix::translate(10, 10) * pixelScale(2);
    draw(filledRectangle(0, 0, 5, 5, kRed), m);
    EXPECT_EQ(pixelAt(canvas, 10, 10), kRed);
    EXPECT_EQ(pixelAt(canvas, 19, 19), kRed);
    EXPECT_EQ(pixelAt(canvas, 20, 20), kWhite);
    EXPECT_EQ(pixelAt(canvas, 9, 9), kWhite);
}

TEST_F(FillTest, ShapeLargerThanSurfaceIsClipped) {
    draw(filledRectangle(-1000, -1000, 20, 1000, kRed));
    EXPECT_EQ(pixelAt(canvas, 0, 0), kRed);
    EXPECT_EQ(pixelAt(canvas, 19, 39), kRed);
    EXPECT_EQ(pixelAt(canvas, 20, 39), kWhite);
}

}  // namespace
}  // namespace swf::test
