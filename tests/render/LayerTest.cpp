#include <gtest/gtest.h>

#include <string>

#include "render/CanvasTestSupport.h"

namespace swf::test {
namespace {

constexpr Rgba kBackdrop{200, 100, 50, 255};
constexpr Rgba kSource{100, 150, 250, 255};

struct BlendCase {
    std::string name;
    BlendMode mode;
    Rgba expected;  // worked out by hand from kSource over kBackdrop
    bool inGroup = false;  // drawn inside a layer that holds the backdrop
};

class BlendModeTest : public ::testing::TestWithParam<BlendCase> {};

TEST_P(BlendModeTest, SolidOverSolidGivesTheModesArithmetic) {
    const BlendCase& c = GetParam();
    Canvas canvas(20, 20);
    canvas.clear(kWhite);
    if (c.inGroup) {
        ASSERT_TRUE(canvas.beginLayer(0, 0, 20, 20));
    }
    canvas.drawShape(filledRectangle(0, 0, 20, 20, kBackdrop), pixelScale(), {}, noBitmaps());
    ASSERT_TRUE(canvas.beginLayer(2, 2, 10, 10));
    canvas.drawShape(filledRectangle(0, 0, 9, 9, kSource), pixelScale(), {}, noBitmaps());
    canvas.endLayer(c.mode, {});
    if (c.inGroup) canvas.endLayer(BlendMode::Layer, {});
    Rgba got = pixelAt(canvas, 5, 5);
    EXPECT_NEAR(got.r, c.expected.r, 1);
    EXPECT_NEAR(got.g, c.expected.g, 1);
    EXPECT_NEAR(got.b, c.expected.b, 1);
    EXPECT_EQ(got.a, 255);
    // Only the layer's own pixels blend, and its clear ones leave the backdrop in every mode.
    EXPECT_EQ(pixelAt(canvas, 15, 15), kBackdrop);
    EXPECT_EQ(pixelAt(canvas, 10, 10), kBackdrop);
}

INSTANTIATE_TEST_SUITE_P(
    Canvas, BlendModeTest,
    ::testing::Values(BlendCase{"normal", BlendMode::Normal, kSource},
                      BlendCase{"layer", BlendMode::Layer, kSource},
                      BlendCase{"multiply", BlendMode::Multiply, {78, 59, 49, 255}},
                      BlendCase{"screen", BlendMode::Screen, {222, 191, 251, 255}},
                      BlendCase{"lighten", BlendMode::Lighten, {200, 150, 250, 255}},
                      BlendCase{"darken", BlendMode::Darken, {100, 100, 50, 255}},
                      BlendCase{"difference", BlendMode::Difference, {100, 50, 200, 255}},
                      BlendCase{"add", BlendMode::Add, {255, 250, 255, 255}},
                      BlendCase{"subtract", BlendMode::Subtract, {100, 0, 0, 255}},
                      BlendCase{"invert", BlendMode::Invert, {55, 155, 205, 255}},
                      BlendCase{"overlay", BlendMode::Overlay, {188, 118, 98, 255}},
                      BlendCase{"hardlight", BlendMode::HardLight, {157, 127, 247, 255}},
                      // Alpha and erase need a layer to act on; the canvas stays as it is.
                      BlendCase{"alphaOnCanvas", BlendMode::Alpha, kBackdrop},
                      BlendCase{"eraseOnCanvas", BlendMode::Erase, kBackdrop},
                      BlendCase{"eraseInGroup", BlendMode::Erase, kWhite, true},
                      BlendCase{"alphaInGroup", BlendMode::Alpha, kBackdrop, true}),
    [](const auto& info) { return info.param.name; });

class LayerTest : public ::testing::Test {
  protected:
    LayerTest() : canvas(40, 40) { canvas.clear(kWhite); }
    void draw(const Shape& shape) { canvas.drawShape(shape, pixelScale(), {}, noBitmaps()); }
    Canvas canvas;
};

TEST_F(LayerTest, ALayerDrawsAtItsPlaceOnTheCanvas) {
    ASSERT_TRUE(canvas.beginLayer(10, 20, 10, 10));
    draw(filledRectangle(0, 0, 40, 40, kRed));  // cut to the layer
    EXPECT_EQ(pixelAt(canvas, 12, 22), kWhite);  // nothing shows before the layer ends
    EXPECT_EQ(canvas.layer().width, 10);
    canvas.endLayer(BlendMode::Normal, {});
    EXPECT_EQ(pixelAt(canvas, 10, 20), kRed);
    EXPECT_EQ(pixelAt(canvas, 19, 29), kRed);
    EXPECT_EQ(pixelAt(canvas, 9, 25), kWhite);
    EXPECT_EQ(pixelAt(canvas, 20, 25), kWhite);
    EXPECT_EQ(pixelAt(canvas, 15, 30), kWhite);
}

TEST_F(LayerTest, TheColourTransformActsOnTheWholeLayer) {
    // Two overlapping opaque squares at half alpha: as one picture, the overlap shows only
    // the top one, at half strength.
    ASSERT_TRUE(canvas.beginLayer(0, 0, 40, 40));
    draw(filledRectangle(0, 0, 20, 20, kRed));
    draw(filledRectangle(10, 0, 30, 20, kBlue));
    ColorTransform half;
    half.aMul = 128;
    canvas.endLayer(BlendMode::Layer, half);
    // Half blue over white; drawn one by one, the red would show through as (128, 64, 191).
    EXPECT_NEAR(pixelAt(canvas, 15, 5).r, 128, 2);
    EXPECT_NEAR(pixelAt(canvas, 15, 5).g, 128, 2);
    EXPECT_EQ(pixelAt(canvas, 15, 5).b, 255);
    EXPECT_EQ(pixelAt(canvas, 15, 5), pixelAt(canvas, 25, 5));
    EXPECT_NEAR(pixelAt(canvas, 5, 5).g, 128, 2);
    EXPECT_EQ(pixelAt(canvas, 5, 5).r, 255);
}

TEST_F(LayerTest, MasksInForceBelowLimitTheLayer) {
    canvas.beginMask();
    draw(filledRectangle(0, 0, 20, 40, kBlack));
    canvas.endMask();
    ASSERT_TRUE(canvas.beginLayer(0, 0, 40, 40));
    draw(filledRectangle(0, 0, 40, 40, kRed));
    canvas.endLayer(BlendMode::Normal, {});
    canvas.popMask();
    EXPECT_EQ(pixelAt(canvas, 10, 10), kRed);
    EXPECT_EQ(pixelAt(canvas, 30, 10), kWhite);
}

TEST_F(LayerTest, MasksInsideALayerStayInIt) {
    ASSERT_TRUE(canvas.beginLayer(20, 0, 20, 40));
    canvas.beginMask();
    draw(filledRectangle(20, 0, 30, 40, kBlack));
    canvas.endMask();
    draw(filledRectangle(0, 0, 40, 40, kRed));
    canvas.popMask();
    canvas.endLayer(BlendMode::Normal, {});
    draw(filledRectangle(0, 30, 40, 40, kBlue));  // no mask is left over
    EXPECT_EQ(pixelAt(canvas, 25, 10), kRed);
    EXPECT_EQ(pixelAt(canvas, 35, 10), kWhite);
    EXPECT_EQ(pixelAt(canvas, 5, 35), kBlue);
}

TEST_F(LayerTest, LayersRefusedBeyondTheirLimits) {
    EXPECT_FALSE(canvas.beginLayer(0, 0, 0, 10));
    EXPECT_FALSE(canvas.beginLayer(0, 0, 1 << 20, 1 << 20));
    int opened = 0;
    while (opened < 100 && canvas.beginLayer(0, 0, 4, 4)) ++opened;
    EXPECT_EQ(opened, 16);
    // Starting a picture drops the open layers.
    canvas.startPicture(kBlue);
    draw(filledRectangle(0, 0, 40, 40, kRed));
    EXPECT_EQ(pixelAt(canvas, 30, 30), kRed);
    EXPECT_TRUE(canvas.beginLayer(0, 0, 4, 4));
}

TEST_F(LayerTest, EndingWithoutALayerChangesNothing) {
    canvas.endLayer(BlendMode::Erase, {});
    EXPECT_EQ(pixelAt(canvas, 5, 5), kWhite);
}

}  // namespace
}  // namespace swf::test
