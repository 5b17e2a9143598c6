// Padded linear and radial gradients are worked out two pixels at a time; every pixel of a
// run must get the colour it gets when it is generated on its own (the one-pixel path), for
// runs of every length and starting offset, inside the ramp and beyond both of its ends.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "swf/render/GradientSpan.h"

namespace swf::test {
namespace {

std::array<int, 4> channels(const agg::rgba8& c) {
    return {c.r, c.g, c.b, c.a};
}

class GradientSpanTest : public ::testing::TestWithParam<FillStyle::Kind> {
  protected:
    GradientSpan span() {
        Gradient gradient;
        // A ramp in which every ratio has a colour of its own.
        gradient.stops = {{0, {0, 0, 0, 255}}, {255, {255, 255, 255, 255}}};
        // Turned and squeezed, so that rows cross the ramp at odd steps, both ends included.
        gradient.matrix = Matrix{0.012, 0.004, -0.006, 0.011, 200, 100};
        return GradientSpan(GetParam(), gradient, Matrix::scale(0.05, 0.05), {}, luts);
    }
    GradientLutCache luts;
};

TEST_P(GradientSpanTest, EveryPixelOfARunMatchesItsOwnOnePixelRun) {
    GradientSpan gradient = span();
    std::vector<agg::rgba8> run(80), alone(1);
    bool sawFirst = false, sawLast = false, sawMiddle = false;
    for (int y : {0, 7, 13}) {
        for (int x : {-5, 3}) {
            for (unsigned from = 0; from < 4; ++from) {
                for (unsigned end = from + 1; end <= from + 37; end += 3) {
                    SCOPED_TRACE("row " + std::to_string(y) + " from " + std::to_string(x) +
                                 ", pixels " + std::to_string(from) + ".." + std::to_string(end));
                    gradient.generate(run.data(), x, y, from, end);
                    for (unsigned k = from; k < end; ++k) {
                        gradient.generate(alone.data(), x, y, k, k + 1);
                        ASSERT_EQ(channels(run[k - from]), channels(alone[0])) << "pixel " << k;
                        sawFirst |= alone[0].r == 0;
                        sawLast |= alone[0].r == 255;
                        sawMiddle |= alone[0].r > 0 && alone[0].r < 255;
                    }
                }
            }
        }
    }
    // The rows must have met the ramp and, for the linear ramp, both padded ends.
    EXPECT_TRUE(sawMiddle);
    EXPECT_TRUE(sawLast);
    if (GetParam() == FillStyle::Kind::LinearGradient) {
        EXPECT_TRUE(sawFirst);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, GradientSpanTest,
                         ::testing::Values(FillStyle::Kind::LinearGradient,
                                           FillStyle::Kind::RadialGradient));

}  // namespace
}  // namespace swf::test
