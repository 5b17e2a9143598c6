#include <gtest/gtest.h>

#include "render/CanvasTestSupport.h"

namespace swf::test {
namespace {

constexpr uint16_t kBitmapId = 7;

// 2 x 2: red, green on the top row; blue, white below.
Bitmap checker() {
    Bitmap b;
    b.width = 2;
    b.height = 2;
    b.rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    return b;
}

class BitmapTest : public ::testing::Test {
  protected:
    BitmapTest() : canvas(40, 40), bitmap(checker()) {
        canvas.clear({0, 0, 0, 255});
        lookup = [this](uint16_t id) -> const Bitmap* {
            return id == kBitmapId ? &bitmap : nullptr;
        };
    }

    // A 40 x 40 pixel square filled with the bitmap, each bitmap pixel `scale` surface pixels wide.
    void draw(bool repeat, bool smooth, double scale = 4, uint16_t id = kBitmapId,
              const ColorTransform& cx = {}) {
        Shape shape;
        FillStyle fill;
        fill.kind = FillStyle::Kind::Bitmap;
        fill.bitmapId = id;
        fill.bitmapMatrix = Matrix::scale(scale * kTwips, scale * kTwips);
        fill.bitmapRepeat = repeat;
        fill.bitmapSmooth = smooth;
        shape.fills.push_back(fill);
        shape.paths.push_back(rectangle(0, 0, 40, 40, 1));
        canvas.drawShape(shape, pixelScale(), cx, lookup);
    }

    Canvas canvas;
    Bitmap bitmap;
    BitmapLookup lookup;
};

TEST_F(BitmapTest, NearestShowsEachTexelAsABlock) {
    draw(true, false);
    EXPECT_EQ(pixelAt(canvas, 0, 0), kRed);
    EXPECT_EQ(pixelAt(canvas, 3, 3), kRed);
    EXPECT_EQ(pixelAt(canvas, 4, 0), kGreen);
    EXPECT_EQ(pixelAt(canvas, 0, 4), kBlue);
    EXPECT_EQ(pixelAt(canvas, 7, 7), kWhite);
}

TEST_F(BitmapTest, RepeatingFillTiles) {
    draw(true, false);
    EXPECT_EQ(pixelAt(canvas, 8, 0), kRed);
    EXPECT_EQ(pixelAt(canvas, 13, 5), kWhite);
    EXPECT_EQ(pixelAt(canvas, 33, 33), kRed);
}

TEST_F(BitmapTest, ClippedFillExtendsEdgePixels) {
    draw(false, false);
    EXPECT_EQ(pixelAt(canvas, 8, 0), kGreen);
    EXPECT_EQ(pixelAt(canvas, 39, 1), kGreen);
    EXPECT_EQ(pixelAt(canvas, 1, 39), kBlue);
    EXPECT_EQ(pixelAt(canvas, 39, 39), kWhite);
}

TEST_F(BitmapTest, SmoothedFillBlendsNeighbouringTexels) {
    draw(false, true);
    // At the texel centre the texel shows pure.
    EXPECT_EQ(pixelAt(canvas, 1, 1), kRed);
    // Pixel 3's centre (3.5) lies 5/8 of the way from red's centre (2) to green's (6)... in
    // texel units 0.875 - 0.5 = 0.375 of the way.
    Rgba between = pixelAt(canvas, 3, 1);
    EXPECT_NEAR(between.r, 159, 3);
    EXPECT_NEAR(between.g, 96, 3);
    // Past the last texel centre the clamped edge shows pure again.
    EXPECT_EQ(pixelAt(canvas, 39, 1), kGreen);
}

TEST_F(BitmapTest, SmoothedRepeatingFillWrapsAcrossTileSeam) {
    draw(true, true);
    // Pixel 7's centre (7.5 -> texel 1.875) lies between green and the next tile's red.
    Rgba seam = pixelAt(canvas, 7, 1);
    EXPECT_GT(seam.r, 60);
    EXPECT_GT(seam.g, 60);
}

TEST_F(BitmapTest, SmoothingOffKeepsHardTexelEdges) {
    draw(false, false);
    EXPECT_EQ(pixelAt(canvas, 3, 1), kRed);
}

TEST_F(BitmapTest, UnknownBitmapDrawsNothing) {
    draw(true, true, 4, 99);
    EXPECT_EQ(pixelAt(canvas, 5, 5), kBlack);
}

TEST_F(BitmapTest, ColourTransformAppliesToBitmapPixelsWithAlpha) {
    ColorTransform cx;
    cx.aMul = 128;
    cx.rAdd = -255;
    draw(true, false, 4, kBitmapId, cx);
    // White texel (7,7): red removed, half alpha over black.
    Rgba c = pixelAt(canvas, 7, 7);
    EXPECT_EQ(c.r, 0);
    EXPECT_NEAR(c.g, 128, 2);
    EXPECT_NEAR(c.b, 128, 2);
    // Red texel turns black at half alpha: stays black over black.
    EXPECT_EQ(pixelAt(canvas, 1, 1), kBlack);
}

TEST_F(BitmapTest, PremultipliedTranslucentTexelsBlend) {
    bitmap.rgba = {128, 0, 0, 128, 128, 0, 0, 128, 128, 0, 0, 128, 128, 0, 0, 128};
    canvas.clear(kWhite);
    draw(true, false);
    // Half red over white.
    EXPECT_EQ(pixelAt(canvas, 5, 5), (Rgba{255, 127, 127, 255}));
}

TEST_F(BitmapTest, BitmapWithTooFewPixelsDrawsNothing) {
    bitmap.rgba.resize(8);
    draw(true, false);
    EXPECT_EQ(pixelAt(canvas, 5, 5), kBlack);
}

}  // namespace
}  // namespace swf::test
