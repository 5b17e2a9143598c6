#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "swf/render/GradientLutCache.h"

namespace swf::test {
namespace {

// Channels of a table entry, comparable and printable.
std::array<int, 4> channels(const agg::rgba8& c) {
    return {c.r, c.g, c.b, c.a};
}

Gradient twoStops(Rgba from, Rgba to) {
    Gradient gradient;
    gradient.stops = {{0, from}, {255, to}};
    return gradient;
}

TEST(GradientLutCacheTest, TheSameGradientUnderTheSameTransformSharesItsTable) {
    GradientLutCache cache;
    Gradient gradient = twoStops({255, 0, 0, 255}, {0, 0, 255, 255});
    Gradient copy = gradient;
    copy.matrix = Matrix::scale(3, 3);  // where it lies does not change its colours
    auto first = cache.lut(gradient, {});
    EXPECT_EQ(cache.lut(copy, {}), first);
    EXPECT_EQ(channels((*first)[0]), (std::array<int, 4>{255, 0, 0, 255}));
}

TEST(GradientLutCacheTest, StopsModeOrTransformThatDifferGetTablesOfTheirOwn) {
    GradientLutCache cache;
    Gradient gradient = twoStops({255, 0, 0, 255}, {0, 0, 255, 255});
    auto plain = cache.lut(gradient, {});

    ColorTransform darker;
    darker.rMul = 128;
    auto transformed = cache.lut(gradient, darker);
    EXPECT_NE(transformed, plain);
    EXPECT_EQ(channels((*transformed)[0]), (std::array<int, 4>{127, 0, 0, 255}));

    Gradient linear = gradient;
    linear.interpolation = InterpolationMode::Linear;
    EXPECT_NE(cache.lut(linear, {}), plain);

    Gradient moved = gradient;
    moved.stops[1].ratio = 200;
    EXPECT_NE(cache.lut(moved, {}), plain);

    Gradient recoloured = gradient;
    recoloured.stops[1].color.a = 254;
    EXPECT_NE(cache.lut(recoloured, {}), plain);

    Gradient longer = gradient;
    longer.stops.push_back({255, {0, 255, 0, 255}});
    EXPECT_NE(cache.lut(longer, {}), plain);

    EXPECT_EQ(cache.lut(gradient, {}), plain);
}

TEST(GradientLutCacheTest, ATableInUseOutlivesTheCacheStartingAfresh) {
    GradientLutCache cache;
    Gradient gradient = twoStops({10, 20, 30, 255}, {40, 50, 60, 255});
    std::shared_ptr<const GradientLut> held = cache.lut(gradient, {});
    ColorTransform shifted;
    for (size_t i = 0; i <= GradientLutCache::kMaxTables; ++i) {
        shifted.rAdd = static_cast<int32_t>(i + 1);
        cache.lut(gradient, shifted);
    }
    EXPECT_EQ(channels((*held)[0]), (std::array<int, 4>{10, 20, 30, 255}));
    auto again = cache.lut(gradient, {});
    EXPECT_EQ(channels((*again)[255]), channels((*held)[255]));
}

}  // namespace
}  // namespace swf::test
