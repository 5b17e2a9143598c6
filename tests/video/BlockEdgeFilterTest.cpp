#include "swf/video/BlockEdgeFilter.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

// Two flat blocks side by side, `near` and `far`, filtered at `quantizer`: the four samples
// across the edge between them as the filter leaves them, the same across a vertical edge and
// across a horizontal one; the samples further in stay as they were.
struct EdgeCase {
    int quantizer;
    int nearValue;
    int farValue;
    std::array<int, 4> across;
};

TEST(BlockEdgeFilterTest, SmoothsStepsUpToTwiceTheStrengthOfTheQuantizer) {
    const EdgeCase cases[] = {
        {0, 100, 110, {100, 100, 110, 110}},   // no quantizer, no filter
        {11, 100, 110, {101, 103, 107, 109}},  // strength 5: the middle pair moves 3 each
        {11, 100, 120, {101, 103, 117, 119}},  // past the strength the move shrinks
        {11, 100, 140, {100, 100, 140, 140}},  // past twice the strength: a real edge
        {31, 100, 120, {103, 107, 113, 117}},  // strength 12
        {31, 120, 100, {116, 112, 108, 104}},  // downwards the steps round down: one more
        {31, 250, 255, {250, 251, 254, 255}},
    };
    for (const EdgeCase& c : cases) {
        for (const bool vertical : {true, false}) {
            // 16 samples along the filtered direction, 8 across it.
            const int width = vertical ? 16 : 8;
            const int height = vertical ? 8 : 16;
            std::vector<uint8_t> plane(static_cast<size_t>(width * height));
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    plane[static_cast<size_t>(y * width + x)] =
                        static_cast<uint8_t>((vertical ? x : y) < 8 ? c.nearValue : c.farValue);
            swf::BlockEdgeFilter::apply(plane.data(), width, height, width, c.quantizer);
            for (int i = 0; i < 16; ++i) {
                const int at = vertical ? 3 * width + i : i * width + 3;
                const int expected = i >= 6 && i < 10 ? c.across[static_cast<size_t>(i - 6)]
                                     : i < 8         ? c.nearValue
                                                     : c.farValue;
                EXPECT_EQ(plane[static_cast<size_t>(at)], expected)
                    << "quantizer " << c.quantizer << ", " << c.nearValue << " to " << c.farValue
                    << (vertical ? ", vertical edge" : ", horizontal edge") << ", sample " << i;
            }
        }
    }
}

}  // namespace
