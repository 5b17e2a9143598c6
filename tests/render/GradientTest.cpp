#include <gtest/gtest.h>

#include "render/CanvasTestSupport.h"

namespace swf::test {
namespace {

constexpr double kHalfSquare = 16384;

// A gradient whose square spans `size` pixels centred on (cx, cy).
Gradient gradientOver(double cx, double cy, double size, std::vector<GradientStop> stops) {
    Gradient g;
    double scale = size * kTwips / (2 * kHalfSquare);
    g.matrix = Matrix{scale, 0, 0, scale, cx * kTwips, cy * kTwips};
    g.stops = std::move(stops);
    return g;
}

Shape gradientRectangle(FillStyle::Kind kind, const Gradient& gradient, double w, double h) {
    Shape shape;
    FillStyle fill;
    fill.kind = kind;
    fill.gradient = gradient;
    shape.fills.push_back(fill);
    shape.paths.push_back(rectangle(0, 0, w, h, 1));
    return shape;
}

class GradientTest : public ::testing::Test {
  protected:
    GradientTest() : canvas(200, 100) { canvas.clear(kWhite); }
    void draw(FillStyle::Kind kind, const Gradient& g, const ColorTransform& cx = {}) {
        canvas.drawShape(gradientRectangle(kind, g, 200, 100), pixelScale(), cx, noBitmaps());
    }
    Canvas canvas;
};

const std::vector<GradientStop> kBlackToWhite = {{0, kBlack}, {255, kWhite}};

TEST_F(GradientTest, LinearRunsFromFirstStopToLastAcrossTheSquare) {
    draw(FillStyle::Kind::LinearGradient, gradientOver(100, 50, 200, kBlackToWhite));
    EXPECT_LE(pixelAt(canvas, 0, 50).r, 2);
    EXPECT_GE(pixelAt(canvas, 199, 50).r, 253);
    EXPECT_NEAR(pixelAt(canvas, 100, 50).r, 128, 2);
    EXPECT_NEAR(pixelAt(canvas, 50, 50).r, 64, 2);
    // Constant along the other axis.
    EXPECT_EQ(pixelAt(canvas, 50, 0), pixelAt(canvas, 50, 99));
}

TEST_F(GradientTest, RotatedMatrixTurnsTheRamp) {
    Gradient g = gradientOver(100, 50, 100, kBlackToWhite);
    // A quarter turn: the ramp now runs down the surface.
    g.matrix = Matrix{0, g.matrix.a, -g.matrix.a, 0, g.matrix.tx, g.matrix.ty};
    draw(FillStyle::Kind::LinearGradient, g);
    EXPECT_LE(pixelAt(canvas, 100, 0).r, 2);
    EXPECT_GE(pixelAt(canvas, 100, 99).r, 253);
    EXPECT_EQ(pixelAt(canvas, 60, 30), pixelAt(canvas, 140, 30));
}

struct SpreadCase {
    SpreadMode mode;
    int beyondEnd;  // expected grey a quarter square past the end
};

class GradientSpreadTest : public GradientTest, public ::testing::WithParamInterface<SpreadCase> {};

TEST_P(GradientSpreadTest, SpreadDecidesColoursBeyondTheSquare) {
    // The square covers x = 0..100; x = 125 lies at position 1.25.
    Gradient g = gradientOver(50, 50, 100, kBlackToWhite);
    g.spread = GetParam().mode;
    draw(FillStyle::Kind::LinearGradient, g);
    EXPECT_NEAR(pixelAt(canvas, 125, 50).r, GetParam().beyondEnd, 3);
    // Inside the square every mode shows the plain ramp.
    EXPECT_NEAR(pixelAt(canvas, 25, 50).r, 64, 2);
}

INSTANTIATE_TEST_SUITE_P(Modes, GradientSpreadTest,
                         ::testing::Values(SpreadCase{SpreadMode::Pad, 255},
                                           SpreadCase{SpreadMode::Repeat, 64},
                                           SpreadCase{SpreadMode::Reflect, 191}));

TEST_F(GradientTest, RadialRunsFromCentreToCircle) {
    draw(FillStyle::Kind::RadialGradient, gradientOver(100, 50, 80, {{0, kRed}, {255, kBlue}}));
    Rgba centre = pixelAt(canvas, 100, 50);
    EXPECT_GE(centre.r, 250);
    EXPECT_LE(centre.b, 5);
    // Halfway out along any direction: half and half.
    EXPECT_NEAR(pixelAt(canvas, 120, 50).r, 128, 6);
    EXPECT_NEAR(pixelAt(canvas, 100, 70).r, 128, 6);
    // Beyond the circle, padded with the last colour.
    EXPECT_EQ(pixelAt(canvas, 190, 50), kBlue);
    EXPECT_EQ(pixelAt(canvas, 145, 50), kBlue);
}

TEST_F(GradientTest, FocalPointMovesTheFirstColour) {
    Gradient g = gradientOver(100, 50, 80, {{0, kRed}, {255, kBlue}});
    g.focalPoint = 0.5;  // 20 pixels right of the centre
    draw(FillStyle::Kind::FocalGradient, g);
    Rgba atFocus = pixelAt(canvas, 120, 50);
    EXPECT_GE(atFocus.r, 240);
    EXPECT_LT(pixelAt(canvas, 100, 50).r, 200);
    // The circle is where it was: blue just outside, on both sides.
    EXPECT_EQ(pixelAt(canvas, 142, 50), kBlue);
    EXPECT_EQ(pixelAt(canvas, 57, 50), kBlue);
    // Towards the near side of the circle the ramp is compressed.
    EXPECT_LT(pixelAt(canvas, 130, 50).r, pixelAt(canvas, 110, 50).r);
}

TEST_F(GradientTest, FocalPointZeroMatchesRadial) {
    Gradient g = gradientOver(100, 50, 80, {{0, kRed}, {255, kBlue}});
    draw(FillStyle::Kind::FocalGradient, g);
    Canvas radial(200, 100);
    radial.clear(kWhite);
    radial.drawShape(gradientRectangle(FillStyle::Kind::RadialGradient, g, 200, 100), pixelScale(),
                     {}, noBitmaps());
    for (int x = 60; x < 140; x += 7)
        EXPECT_EQ(pixelAt(canvas, x, 50), pixelAt(radial, x, 50)) << x;
}

TEST_F(GradientTest, StopsAreTakenInTheOrderTheyComeNotSorted) {
    // Ratios up to 128 ramp red to green; above it the first stop at or above the ratio is
    // white at 192, ramped from the stop before it: blue at 64, not green at 128.
    Gradient g = gradientOver(100, 50, 200, {{0, kRed}, {128, kGreen}, {64, kBlue}, {192, kWhite}});
    draw(FillStyle::Kind::LinearGradient, g);
    Rgba beforeJump = pixelAt(canvas, 98, 50);  // ratio 125.6
    EXPECT_GT(beforeJump.g, 240);
    EXPECT_LT(beforeJump.r, 10);
    EXPECT_LT(beforeJump.b, 5);
    Rgba afterJump = pixelAt(canvas, 102, 50);  // ratio 130.7: about half way from blue to white
    EXPECT_EQ(afterJump.b, 255);
    EXPECT_NEAR(afterJump.r, 133, 6);
    EXPECT_NEAR(afterJump.g, 133, 6);
    EXPECT_EQ(pixelAt(canvas, 190, 50), kWhite);
    EXPECT_GE(pixelAt(canvas, 0, 50).r, 250);
}

TEST_F(GradientTest, LaterStopTakesOverAboveAnEqualRatio) {
    Gradient g = gradientOver(100, 50, 200, {{0, kRed}, {128, kGreen}, {128, kBlue}, {255, kBlue}});
    draw(FillStyle::Kind::LinearGradient, g);
    EXPECT_GT(pixelAt(canvas, 98, 50).g, 240);
    EXPECT_EQ(pixelAt(canvas, 103, 50), kBlue);
    EXPECT_EQ(pixelAt(canvas, 190, 50), kBlue);
}

TEST_F(GradientTest, EqualStopsShowAsBandsOneRatioApart) {
    // Two pixels per ratio, ratio 128 at x = 101. Green, blue and white all sit at 128: they
    // take ratios 128, 129 and 130, and the ramp to black still starts at 128.
    Gradient g = gradientOver(
        100, 50, 512, {{0, kRed}, {128, kGreen}, {128, kBlue}, {128, kWhite}, {255, kBlack}});
    draw(FillStyle::Kind::LinearGradient, g);
    EXPECT_EQ(pixelAt(canvas, 101, 50), kGreen);
    EXPECT_EQ(pixelAt(canvas, 103, 50), kBlue);
    EXPECT_EQ(pixelAt(canvas, 105, 50), kWhite);
    // 3 of the 127 ratios from white to black: 248.98, truncated as the original player does.
    EXPECT_EQ(pixelAt(canvas, 107, 50).r, 248);
}

TEST_F(GradientTest, LinearRgbInterpolationBrightensTheMiddle) {
    Gradient g = gradientOver(100, 50, 200, kBlackToWhite);
    g.interpolation = InterpolationMode::Linear;
    draw(FillStyle::Kind::LinearGradient, g);
    // Half the light is sRGB 188, not 128.
    EXPECT_NEAR(pixelAt(canvas, 100, 50).r, 188, 3);
    EXPECT_LE(pixelAt(canvas, 0, 50).r, 15);
    EXPECT_GE(pixelAt(canvas, 199, 50).r, 253);
}

TEST_F(GradientTest, ColourTransformAppliesToStopsWithAlpha) {
    ColorTransform cx;
    cx.bAdd = 255;
    cx.aMul = 128;
    draw(FillStyle::Kind::LinearGradient, gradientOver(100, 50, 200, {{0, kRed}, {255, kRed}}), cx);
    // (255, 0, 255) at half alpha over white.
    Rgba c = pixelAt(canvas, 100, 50);
    EXPECT_EQ(c.r, 255);
    EXPECT_NEAR(c.g, 127, 2);
    EXPECT_EQ(c.b, 255);
}

TEST_F(GradientTest, TranslucentStopsBlendOverBackground) {
    draw(FillStyle::Kind::LinearGradient,
         gradientOver(100, 50, 200, {{0, {0, 0, 0, 0}}, {255, {0, 0, 0, 255}}}));
    EXPECT_GE(pixelAt(canvas, 0, 50).r, 253);
    EXPECT_NEAR(pixelAt(canvas, 100, 50).r, 127, 3);
    EXPECT_LE(pixelAt(canvas, 199, 50).r, 2);
}

}  // namespace
}  // namespace swf::test
