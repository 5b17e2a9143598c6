#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "render/CanvasTestSupport.h"
#include "swf/render/GradientLut.h"

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

struct TableCase {
    std::string name;
    std::vector<GradientStop> stops;
    InterpolationMode mode;
    std::vector<std::pair<int, Rgba>> entries;  // ratio, premultiplied colour
};

constexpr Rgba kCyan{0, 255, 255, 255};
constexpr Rgba kMagenta{255, 0, 255, 255};
constexpr Rgba kYellow{255, 255, 0, 255};

// The table is filled from the first stop's ratio up, stop after stop, in the order they
// come. A stop above the last ratio filled ramps to it from the stop before (measured from
// that stop's ratio in whole 256ths, truncated); one at or below it holds the stop before for
// one more ratio.
// A linearRGB stop is kept in eight bits of linear light, taken there premultiplied.
TEST(GradientTableRule, StopsFillTheTableInTheOrderTheyCome) {
    const TableCase cases[] = {
        {"belowAndAboveTheStops",
         {{100, kRed}, {200, kBlue}},
         InterpolationMode::Normal,
         {{0, kRed}, {100, kRed}, {150, {127, 0, 127, 255}}, {200, kBlue}, {255, kBlue}}},
        // 128 of 255 weighs 128/256 (127.5), 254 of 255 weighs 254/256 (253.01).
        {"weighedIn256ths",
         {{0, kBlack}, {255, kWhite}},
         InterpolationMode::Normal,
         {{128, {127, 127, 127, 255}}, {254, {253, 253, 253, 255}}, {255, kWhite}}},
        // A run of equal stops: each but the last holds one ratio, the ramp after the run
        // starts from the run's ratio (3 of 127 from white to black weighs 6/256: 249.02).
        {"equalRatios",
         {{0, kRed}, {128, kGreen}, {128, kBlue}, {128, kWhite}, {255, kBlack}},
         InterpolationMode::Normal,
         {{128, kGreen}, {129, kGreen}, {130, kBlue}, {131, {249, 249, 249, 255}}, {255, kBlack}}},
        // Green at 80 then cyan at 50: green holds 81, the ramp to magenta runs from 50.
        {"outOfOrder",
         {{31, kRed}, {80, kGreen}, {50, kCyan}, {100, kMagenta}, {200, kBlue}, {150, kYellow}},
         InterpolationMode::Normal,
         {{31, kRed},
          {32, {250, 4, 0, 255}},
          {81, kGreen},
          {82, {162, 92, 255, 255}},
          {201, kBlue},
          {202, kYellow},
          {255, kYellow}}},
        // Half the light is sRGB 188; a channel of 20 is 1 in eight linear bits, back 13.
        {"linearLight",
         {{0, {0, 20, 0, 255}}, {255, {255, 20, 255, 255}}},
         InterpolationMode::Linear,
         {{0, {0, 13, 0, 255}}, {128, {188, 13, 188, 255}}, {255, {255, 13, 255, 255}}}},
        // Premultiplied before it goes linear: blue at alpha 140 is 66 of light, 183 straight.
        {"linearTranslucent",
         {{0, {0, 0, 255, 140}}, {255, {0, 0, 255, 140}}},
         InterpolationMode::Linear,
         {{0, {0, 0, 100, 140}}, {255, {0, 0, 100, 140}}}},
        // Each stop weighs as the other's alpha: halfway to blue at 127 is 2/3 blue (156, 0, 145).
        {"linearTowardsTheTranslucentStop",
         {{0, kRed}, {255, {0, 0, 255, 127}}},
         InterpolationMode::Linear,
         {{128, {116, 0, 108, 190}}}},
        // Against a clear stop the ramp's end still takes the other stop whole.
        {"linearFromAClearStop",
         {{0, {255, 0, 0, 0}}, {255, kBlue}},
         InterpolationMode::Linear,
         {{0, {0, 0, 0, 0}}, {255, kBlue}}},
    };
    for (const TableCase& c : cases) {
        GradientLut lut(c.stops, c.mode, ColorTransform{});
        for (const auto& [ratio, expected] : c.entries) {
            const agg::rgba8& got = lut[ratio];
            EXPECT_EQ((Rgba{got.r, got.g, got.b, got.a}), expected) << c.name << " at " << ratio;
        }
    }
}

TEST_F(GradientTest, PixelsTakeTheNearestOf256Steps) {
    // A reversed ramp over 256 pixels, a 16th of a pixel right of the canvas's middle: the
    // centre of column x lies 255.5625 - x steps along, so it takes ratio 256 - x. Red, the
    // stop at 100, is column 156; green, at 149, column 107.
    Gradient g = gradientOver(128.0625, 50, 256, {{0, kBlack}, {100, kRed}, {149, kGreen}, {255, kGreen}});
    g.matrix.a = -g.matrix.a;
    draw(FillStyle::Kind::LinearGradient, g);
    EXPECT_EQ(pixelAt(canvas, 156, 50), kRed);
    EXPECT_EQ(pixelAt(canvas, 155, 50), (Rgba{250, 4, 0, 255}));
    EXPECT_EQ(pixelAt(canvas, 107, 50), kGreen);
    EXPECT_EQ(pixelAt(canvas, 108, 50), (Rgba{5, 249, 0, 255}));
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
