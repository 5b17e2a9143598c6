// Covers of pixels at known points from outlines placed against the sample grids: the share of
// a pixel's samples inside each fill, a sample on an edge going to the fill on its right, the
// higher style taking a sample where fills overlap.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "swf/render/PointSampleRasterizer.h"

namespace swf::test {
namespace {

struct Fill {
    int left, right;             // styles on the outline's sides
    std::vector<Point> outline;  // a closed polygon
};

struct Case {
    std::string name;
    int perSide;
    std::vector<Fill> fills;
    int x, y;
    std::map<int, unsigned> covers;  // style (-1: all styles together) to cover
};

Fill box(double x1, double x2, int style, int outside = -1) {
    return {style, outside, {{x1, 0}, {x1, 2}, {x2, 2}, {x2, 0}}};
}

std::map<int, unsigned> coversAt(const Case& c) {
    PointSampleRasterizer rasterizer;
    rasterizer.reset({0, 0, 8, 2}, true, c.perSide);
    for (const Fill& fill : c.fills) {
        rasterizer.styles(fill.left, fill.right);
        rasterizer.moveTo(fill.outline.front());
        for (size_t i = 1; i < fill.outline.size(); ++i) rasterizer.lineTo(fill.outline[i]);
        rasterizer.closeContour();
    }
    std::map<int, unsigned> found;
    if (!rasterizer.rewind()) return found;
    agg::scanline_u8 scanline;
    scanline.reset(rasterizer.minX(), rasterizer.maxX());
    auto take = [&](int key) {
        if (scanline.y() != c.y) return;
        auto span = scanline.begin();
        for (unsigned n = scanline.num_spans(); n > 0; --n, ++span)
            if (c.x >= span->x && c.x < span->x + span->len)
                found[key] = span->covers[c.x - span->x];
    };
    while (rasterizer.nextRow()) {
        for (size_t i = 0; i < rasterizer.rowStyleCount(); ++i) {
            rasterizer.covers(i, scanline);
            take(rasterizer.rowStyle(i));
        }
        rasterizer.coversOfAll(scanline);
        take(-1);
    }
    return found;
}

TEST(PointSampleRasterizerTest, CoversAreTheShareOfSamplesInEachFill) {
    const std::vector<Case> cases = {
        // 0.3 to 2.7: three of four sample columns at each end on the 4x4 grid.
        {"4x4 left end", 4, {box(0.3, 2.7, 0)}, 0, 0, {{0, 191}, {-1, 191}}},
        {"4x4 inside", 4, {box(0.3, 2.7, 0)}, 1, 1, {{0, 255}, {-1, 255}}},
        {"4x4 right end", 4, {box(0.3, 2.7, 0)}, 2, 0, {{0, 191}, {-1, 191}}},
        {"2x2 ends", 2, {box(0.3, 2.7, 0)}, 2, 1, {{0, 128}, {-1, 128}}},
        {"centres only", 1, {box(0.3, 2.7, 0)}, 0, 0, {{0, 255}, {-1, 255}}},
        {"centre outside", 1, {box(0.6, 2.7, 0)}, 0, 0, {}},
        {"thinner than a sample", 4, {box(1.13, 1.2, 0)}, 1, 0, {}},
        // Two fills sharing the edge at 1.3: one sample column to the left, three right.
        {"shared edge", 4, {box(0, 1.3, 0), box(1.3, 3, 1)}, 1, 0, {{0, 64}, {1, 191}, {-1, 255}}},
        // An edge through a sample column gives it to the fill on the right.
        {"edge on samples", 4, {box(0, 1.125, 0), box(1.125, 3, 1)}, 1, 1, {{1, 255}, {-1, 255}}},
        {"higher style over",
         4,
         {box(0, 3, 0), box(1.5, 3, 1)},
         1,
         0,
         {{0, 128}, {1, 128}, {-1, 255}}},
        // Even-odd: the hole of a box drawn twice over part of it.
        {"even-odd hole", 4, {box(0, 3, 0), box(1, 1.5, 0)}, 1, 0, {{0, 128}, {-1, 128}}},
        // A hole narrower than a pixel: two runs of one fill meet in it.
        {"two runs in a pixel", 4, {box(0, 3, 0), box(1.3, 1.55, 0)}, 1, 1, {{0, 191}, {-1, 191}}},
    };
    for (const Case& c : cases) EXPECT_EQ(coversAt(c), c.covers) << c.name;
}

TEST(PointSampleRasterizerTest, NothingToSweepWithoutEdgesOrOutsideTheClip) {
    PointSampleRasterizer rasterizer;
    rasterizer.reset({0, 0, 8, 2}, true, 4);
    EXPECT_FALSE(rasterizer.rewind());
    rasterizer.styles(0, -1);
    rasterizer.moveTo({20, 20});
    rasterizer.lineTo({30, 20});
    rasterizer.lineTo({30, 30});
    rasterizer.closeContour();
    EXPECT_FALSE(rasterizer.rewind() && rasterizer.nextRow());
}

}  // namespace
}  // namespace swf::test
