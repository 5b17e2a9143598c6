#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "render/CanvasTestSupport.h"
#include "swf/render/FilterEffects.h"

namespace swf::test {
namespace {

constexpr Rgba kClear{0, 0, 0, 0};

// 20 by 20 clear pixels with a white square of `alpha` from (4, 4) to (8, 8), ends included.
PixelImage squareImage(uint8_t alpha) {
    PixelImage image{20, 20, std::vector<uint32_t>(400, 0)};
    for (int y = 4; y <= 8; ++y)
        for (int x = 4; x <= 8; ++x) {
            uint8_t* p = image.channels(static_cast<size_t>(y) * 20 + x);
            p[0] = p[1] = p[2] = p[3] = alpha;
        }
    return image;
}

Rgba at(const PixelImage& image, int x, int y) {
    const uint8_t* p = image.channels(static_cast<size_t>(y) * image.width + x);
    return {p[0], p[1], p[2], p[3]};
}

SurfaceFilter shadow(double distance, double angle) {
    SurfaceFilter f;
    f.kind = SurfaceFilter::Kind::DropShadow;
    f.blurX = f.blurY = 0;
    f.distance = distance;
    f.angle = angle;
    f.color = 0xFF0000;
    return f;
}

struct Probe {
    int x, y;
    Rgba expected;  // premultiplied
};

struct FilterCase {
    std::string name;
    SurfaceFilter filter;
    std::vector<Probe> probes;
    uint8_t squareAlpha = 255;
};

SurfaceFilter with(SurfaceFilter f, void (*change)(SurfaceFilter&)) {
    change(f);
    return f;
}

class FilterTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterTest, PixelsAtKnownPoints) {
    const FilterCase& c = GetParam();
    PixelImage image = squareImage(c.squareAlpha);
    ASSERT_TRUE(runFilter(c.filter, image));
    for (const Probe& p : c.probes) {
        Rgba got = at(image, p.x, p.y);
        EXPECT_EQ(got.r, p.expected.r) << p.x << "," << p.y;
        EXPECT_EQ(got.g, p.expected.g) << p.x << "," << p.y;
        EXPECT_EQ(got.b, p.expected.b) << p.x << "," << p.y;
        EXPECT_EQ(got.a, p.expected.a) << p.x << "," << p.y;
    }
}

const double kDown = std::numbers::pi / 2;

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterTest,
    ::testing::Values(
        // A hard shadow 5 pixels to the right, behind the square.
        FilterCase{"dropShadowRight",
                   shadow(5, 0),
                   {{6, 6, kWhite}, {10, 6, kRed}, {13, 8, kRed}, {14, 6, kClear}, {3, 6, kClear}}},
        FilterCase{"dropShadowDown", shadow(5, kDown), {{6, 10, kRed}, {10, 6, kClear}}},
        FilterCase{"dropShadowHalfAlpha",
                   with(shadow(5, 0), [](SurfaceFilter& f) { f.alpha = 0.5; }),
                   {{10, 6, {128, 0, 0, 128}}}},
        // Knockout leaves the object out; hiding it leaves the whole shadow.
        FilterCase{"knockout",
                   with(shadow(2, 0), [](SurfaceFilter& f) { f.knockout = true; }),
                   {{5, 6, kClear}, {9, 6, kRed}}},
        FilterCase{"hideObject",
                   with(shadow(2, 0), [](SurfaceFilter& f) { f.hideObject = true; }),
                   {{5, 6, kClear}, {7, 6, kRed}, {9, 6, kRed}}},
        // Inside: the edge away from the light is shaded, the rest stays.
        FilterCase{"innerShadow",
                   with(shadow(2, 0), [](SurfaceFilter& f) { f.inner = true; }),
                   {{4, 6, kRed}, {5, 6, kRed}, {6, 6, kWhite}, {10, 6, kClear}}},
        FilterCase{"innerKnockout",
                   with(shadow(2, 0),
                        [](SurfaceFilter& f) {
                            f.inner = true;
                            f.knockout = true;
                        }),
                   {{4, 6, kRed}, {6, 6, kClear}}},
        // An inner effect paints the object without making it more opaque.
        FilterCase{"innerShadowKeepsTheObjectsAlpha",
                   with(shadow(2, 0), [](SurfaceFilter& f) { f.inner = true; }),
                   {{4, 6, {128, 0, 0, 128}}, {6, 6, {128, 64, 64, 128}}},
                   128},
        // A 2-pixel blur takes half of each neighbour: beside the edge a quarter shows.
        FilterCase{"glow",
                   with(shadow(0, 0),
                        [](SurfaceFilter& f) {
                            f.kind = SurfaceFilter::Kind::Glow;
                            f.blurX = f.blurY = 2;
                            f.color = 0x0000FF;
                        }),
                   {{3, 6, {0, 0, 64, 64}}, {6, 6, kWhite}, {2, 6, kClear}}},
        FilterCase{"strengthRaisesTheGlow",
                   with(shadow(0, 0),
                        [](SurfaceFilter& f) {
                            f.kind = SurfaceFilter::Kind::Glow;
                            f.blurX = f.blurY = 2;
                            f.strength = 2;
                        }),
                   {{3, 6, {128, 0, 0, 128}}}},
        FilterCase{"innerGlowTakesBeyondTheImageAsOutside",
                   with(shadow(0, 0), [](SurfaceFilter& f) {
                       f.kind = SurfaceFilter::Kind::Glow; f.inner = true; f.blurX = f.blurY = 20;
                   }), {{6, 6, {255, 16, 16, 255}}, {12, 6, kClear}}},
        // Light from the top left: the highlight there, the shadow at the bottom right.
        FilterCase{"innerBevel",
                   with(shadow(1, std::numbers::pi / 4),
                        [](SurfaceFilter& f) {
                            f.kind = SurfaceFilter::Kind::Bevel;
                            f.type = SurfaceFilter::Type::Inner;
                            f.color = 0x000000;
                            f.highlightColor = 0x00FF00;
                        }),
                   {{4, 4, kGreen}, {8, 8, kBlack}, {6, 6, kWhite}, {3, 3, kClear}}},
        FilterCase{"colorMatrixDropsGreenAndHalvesAlpha",
                   with(SurfaceFilter{},
                        [](SurfaceFilter& f) {
                            f.kind = SurfaceFilter::Kind::ColorMatrix;
                            f.matrix = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                        0, 0, 1, 0, 0, 0, 0, 0, 0.5, 0};
                        }),
                   {{6, 6, {128, 0, 128, 128}}, {0, 0, kClear}}},
        // 100.6 red is 101, not 100.
        FilterCase{"colorMatrixRoundsToNearest",
                   with(SurfaceFilter{},
                        [](SurfaceFilter& f) {
                            f.kind = SurfaceFilter::Kind::ColorMatrix;
                            f.matrix = {0, 0, 0, 0, 100.6, 0, 0, 0, 0, 0,
                                        0, 0, 0, 0, 0,     0, 0, 0, 0, 255};
                        }),
                   {{0, 0, {101, 0, 0, 255}}}},
        FilterCase{"convolutionAveragesARow",
                   with(SurfaceFilter{},
                        [](SurfaceFilter& f) {
                            f.kind = SurfaceFilter::Kind::Convolution;
                            f.matrixX = 3;
                            f.matrixY = 1;
                            f.matrix = {1, 1, 1};
                            f.divisor = 3;
                            f.preserveAlpha = false;
                        }),
                   // Straight colour and alpha averaged, clear pixels counting as clear
                   // black: beside the square a third of its alpha, a third of its colour.
                   {{3, 6, {28, 28, 28, 85}}, {6, 6, kWhite}}}),
    [](const auto& info) { return info.param.name; });

struct BlurCase {
    double blur;
    int quality;
    std::vector<int> alpha;  // at x = 4 to 16
};

TEST(FilterBlur, OnePixelSpreadsOverTheBox) {
    // One opaque white pixel at x = 10 of a row. A box of blur 5 covers five pixels whole, a
    // fifth each; two passes make the triangle 1 2 3 4 5 4 3 2 1 over 25. Blur 2 covers its
    // pixel and half of each neighbour (over 2), blur 4 three and two halves (over 4).
    const std::vector<BlurCase> cases = {
        {5, 1, {0, 0, 0, 0, 51, 51, 51, 51, 51, 0, 0, 0, 0}},
        {5, 2, {0, 0, 10, 20, 30, 40, 51, 40, 30, 20, 10, 0, 0}},
        {2, 1, {0, 0, 0, 0, 0, 63, 127, 63, 0, 0, 0, 0, 0}},
        {4, 1, {0, 0, 0, 0, 31, 63, 63, 63, 31, 0, 0, 0, 0}},
        {1, 1, {0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0}},
        {3, 1, {0, 0, 0, 0, 0, 85, 85, 85, 0, 0, 0, 0, 0}},
    };
    for (const BlurCase& c : cases) {
        PixelImage image{21, 1, std::vector<uint32_t>(21, 0)};
        image.pixels[10] = 0xFFFFFFFF;
        SurfaceFilter f;
        f.kind = SurfaceFilter::Kind::Blur;
        f.blurX = c.blur;
        f.blurY = 0;
        f.quality = c.quality;
        ASSERT_TRUE(runFilter(f, image));
        std::vector<int> alpha;
        for (int x = 4; x <= 16; ++x) alpha.push_back(image.channels(x)[3]);
        EXPECT_EQ(alpha, c.alpha) << "blur " << c.blur << " quality " << c.quality;
        EXPECT_EQ(image.channels(10)[0], image.channels(10)[3]);  // still white
    }
}

TEST(FilterReach, BlurAndDistanceGrowTheFilteredArea) {
    SurfaceFilter f = shadow(5, 0);
    f.blurX = 4;
    f.blurY = 2;
    f.quality = 2;
    FilterReach r = filterReach(f);
    EXPECT_EQ(r.left, 4);
    EXPECT_EQ(r.right, 9);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.bottom, 2);
    // Measured on the stage: a view twice its size doubles the distance and the box's reach
    // beyond its centre pixel (1.5 for a blur of 4, so 3).
    FilterReach doubled = filterReach(filterInView(f, 2, 2));
    EXPECT_EQ(doubled.left, 6);
    EXPECT_EQ(doubled.right, 16);
}

TEST(FilterRobustness, HostileSettingsStayBounded) {
    SurfaceFilter f = shadow(NAN, INFINITY);
    f.blurX = 1e300;
    f.blurY = -5;
    f.quality = 1000;
    f.strength = NAN;
    auto start = std::chrono::steady_clock::now();
    PixelImage image = squareImage(255);
    EXPECT_TRUE(runFilter(f, image));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    FilterReach r = filterReach(f);
    EXPECT_LE(r.left, 2048 * 15);
    SurfaceFilter convolution;
    convolution.kind = SurfaceFilter::Kind::Convolution;
    convolution.matrixX = 3;
    convolution.matrixY = 3;  // but no weights
    EXPECT_FALSE(runFilter(convolution, image));
    PixelImage wrong{5, 5, std::vector<uint32_t>(3)};
    EXPECT_FALSE(runFilter(shadow(1, 0), wrong));
}

}  // namespace
}  // namespace swf::test
