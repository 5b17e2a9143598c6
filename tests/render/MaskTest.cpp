#include <gtest/gtest.h>

#include "render/CanvasTestSupport.h"

namespace swf::test {
namespace {

class MaskTest : public ::testing::Test {
  protected:
    MaskTest() : canvas(40, 40) { canvas.clear(kWhite); }
    void draw(const Shape& shape) { canvas.drawShape(shape, pixelScale(), {}, noBitmaps()); }
    void mask(const Shape& shape) {
        canvas.beginMask();
        draw(shape);
        canvas.endMask();
    }
    Shape everywhere(Rgba color) { return filledRectangle(0, 0, 40, 40, color); }
    Canvas canvas;
};

TEST_F(MaskTest, DrawingIsLimitedToTheMask) {
    mask(filledRectangle(0, 0, 20, 40, kBlack));
    draw(everywhere(kRed));
    EXPECT_EQ(pixelAt(canvas, 10, 10), kRed);
    EXPECT_EQ(pixelAt(canvas, 19, 39), kRed);
    EXPECT_EQ(pixelAt(canvas, 20, 10), kWhite);
    EXPECT_EQ(pixelAt(canvas, 30, 30), kWhite);
}

TEST_F(MaskTest, StartingAPictureDropsMasksLeftOpen) {
    mask(filledRectangle(0, 0, 20, 40, kBlack));
    canvas.beginMask();  // and one still being recorded
    canvas.startPicture(kBlue);
    EXPECT_EQ(pixelAt(canvas, 30, 30), kBlue);
    draw(everywhere(kRed));
    EXPECT_EQ(pixelAt(canvas, 10, 10), kRed);
    EXPECT_EQ(pixelAt(canvas, 30, 30), kRed);
}

TEST_F(MaskTest, RecordingAMaskLeavesTheSurfaceAlone) {
    canvas.beginMask();
    draw(everywhere(kBlack));
    EXPECT_EQ(pixelAt(canvas, 10, 10), kWhite);
    canvas.endMask();
    canvas.popMask();
}

TEST_F(MaskTest, MaskEdgeCoverageIsAntiAliased) {
    mask(filledRectangle(0, 0, 20.5, 40, kBlack));
    draw(everywhere(kBlack));
    EXPECT_NEAR(pixelAt(canvas, 20, 10).r, 128, 3);
}

TEST_F(MaskTest, MaskShapesUniteAndIgnoreColourAndLines) {
    canvas.beginMask();
    // A fully transparent fill still masks; a thick line does not.
    draw(filledRectangle(0, 0, 10, 40, {0, 0, 0, 0}));
    Shape stroked = filledRectangle(30, 0, 40, 40, kBlack);
    LineStyle thick;
    thick.width = 200;
    stroked.lines.push_back(thick);
    stroked.paths.front().line = 1;
    draw(stroked);
    canvas.endMask();
    draw(everywhere(kRed));
    EXPECT_EQ(pixelAt(canvas, 5, 20), kRed);
    EXPECT_EQ(pixelAt(canvas, 35, 20), kRed);
    EXPECT_EQ(pixelAt(canvas, 27, 20), kWhite);  // under the line, outside the fill
    EXPECT_EQ(pixelAt(canvas, 20, 20), kWhite);
}

TEST_F(MaskTest, AMaskedGradientKeepsItsColoursWhereTheMaskIsOpen) {
    // Only the open part of each row is generated; it must match the whole run's colours, up
    // to the surface's edge as well as in between.
    canvas.beginMask();
    draw(filledRectangle(3, 0, 9.5, 40, kBlack));
    draw(filledRectangle(25, 0, 40, 40, kBlack));
    canvas.endMask();
    Shape gradient;
    FillStyle fill;
    fill.kind = FillStyle::Kind::RadialGradient;
    fill.gradient.matrix =
        Matrix{40 * kTwips / 32768, 0.0003, -0.0002, 30 * kTwips / 32768, 15 * kTwips, 22 * kTwips};
    fill.gradient.stops = {{0, kRed}, {90, {0, 200, 40, 160}}, {255, kBlue}};
    gradient.fills.push_back(fill);
    gradient.paths.push_back(rectangle(0, 0, 40, 40, 1));
    ColorTransform tinted;
    tinted.gMul = 180;
    tinted.bAdd = -20;
    canvas.drawShape(gradient, pixelScale(), tinted, noBitmaps());

    Canvas unmasked(40, 40);
    unmasked.clear(kWhite);
    unmasked.drawShape(gradient, pixelScale(), tinted, noBitmaps());
    for (int y = 0; y < 40; y += 3) {
        for (int x : {3, 4, 8, 25, 31, 39}) {
            EXPECT_EQ(pixelAt(canvas, x, y), pixelAt(unmasked, x, y)) << x << ", " << y;
        }
        EXPECT_EQ(pixelAt(canvas, 2, y), kWhite);
        EXPECT_EQ(pixelAt(canvas, 17, y), kWhite);
        Rgba edge = pixelAt(canvas, 9, y);  // the mask half covers it
        EXPECT_NE(edge, kWhite);
        EXPECT_NE(edge, pixelAt(unmasked, 9, y));
    }
}

TEST_F(MaskTest, LinesReachingIntoTheMaskFromOutsideItAreDrawn) {
    // Shapes wholly where the mask is closed are skipped; these have every edge there, but
    // a thick line and a long miter reach the open strip on the left.
    mask(filledRectangle(0, 0, 6, 40, kBlack));
    Shape thick;
    thick.paths.push_back({0, 0, 1, {line(px(12, 2), px(12, 8))}});
    LineStyle wide;
    wide.width = 16 * 20;
    wide.color = kBlue;
    thick.lines.push_back(wide);

    Shape sharp;
    sharp.paths.push_back({0, 0, 1, {line(px(38, 18), px(20, 20)), line(px(20, 20), px(38, 22))}});
    LineStyle mitered;
    mitered.width = 4 * 20;
    mitered.color = kBlack;
    mitered.join = JoinStyle::Miter;
    mitered.miterLimit = 20;
    sharp.lines.push_back(mitered);

    Canvas unmasked(40, 40);
    unmasked.clear(kWhite);
    for (const Shape* shape : {&thick, &sharp}) {
        draw(*shape);
        unmasked.drawShape(*shape, pixelScale(), {}, noBitmaps());
    }
    EXPECT_EQ(pixelAt(canvas, 5, 5), kBlue);
    EXPECT_NE(pixelAt(canvas, 4, 20), kWhite);  // the miter's tip
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 6; ++x) EXPECT_EQ(pixelAt(canvas, x, y), pixelAt(unmasked, x, y));
    }
}

TEST_F(MaskTest, NestedMasksIntersectAndPopInOrder) {
    mask(filledRectangle(0, 0, 20, 40, kBlack));  // left half
    mask(filledRectangle(0, 0, 40, 20, kBlack));  // top half
    draw(everywhere(kRed));
    EXPECT_EQ(pixelAt(canvas, 10, 10), kRed);
    EXPECT_EQ(pixelAt(canvas, 30, 10), kWhite);
    EXPECT_EQ(pixelAt(canvas, 10, 30), kWhite);
    canvas.popMask();
    draw(everywhere(kBlue));
    EXPECT_EQ(pixelAt(canvas, 10, 30), kBlue);
    EXPECT_EQ(pixelAt(canvas, 30, 10), kWhite);
    canvas.popMask();
    draw(everywhere(kGreen));
    EXPECT_EQ(pixelAt(canvas, 30, 30), kGreen);
}

TEST_F(MaskTest, InnerMaskRecordedUnderAnOuterMaskIsNotClippedWhileRecording) {
    mask(filledRectangle(0, 0, 20, 40, kBlack));
    // The inner mask's own shape reaches beyond the outer mask; only the intersection counts.
    mask(filledRectangle(10, 0, 40, 40, kBlack));
    draw(everywhere(kRed));
    EXPECT_EQ(pixelAt(canvas, 15, 10), kRed);
    EXPECT_EQ(pixelAt(canvas, 5, 10), kWhite);
    EXPECT_EQ(pixelAt(canvas, 25, 10), kWhite);
}

TEST_F(MaskTest, EmptyMaskHidesEverything) {
    canvas.beginMask();
    canvas.endMask();
    draw(everywhere(kRed));
    EXPECT_EQ(pixelAt(canvas, 20, 20), kWhite);
    canvas.popMask();
    draw(everywhere(kRed));
    EXPECT_EQ(pixelAt(canvas, 20, 20), kRed);
}

TEST_F(MaskTest, BuffersAreReusedCleanAcrossFrames) {
    mask(filledRectangle(0, 0, 20, 40, kBlack));
    canvas.popMask();
    mask(filledRectangle(20, 0, 40, 40, kBlack));
    draw(everywhere(kRed));
    EXPECT_EQ(pixelAt(canvas, 10, 10), kWhite);
    EXPECT_EQ(pixelAt(canvas, 30, 10), kRed);
}

TEST_F(MaskTest, UnbalancedCallsAndDeepNestingAreHarmless) {
    canvas.popMask();
    canvas.endMask();
    for (int i = 0; i < 100; ++i) mask(filledRectangle(0, 0, 20, 40, kBlack));
    draw(everywhere(kRed));
    // Levels past the limit add no restriction of their own, the outer ones still hold.
    EXPECT_EQ(pixelAt(canvas, 10, 10), kRed);
    EXPECT_EQ(pixelAt(canvas, 30, 10), kWhite);
    for (int i = 0; i < 120; ++i) canvas.popMask();
    draw(everywhere(kBlue));
    EXPECT_EQ(pixelAt(canvas, 30, 10), kBlue);
}

}  // namespace
}  // namespace swf::test
