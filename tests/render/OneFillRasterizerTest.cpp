// The one-fill rasterizer against AGG's compound rasterizer given the same edges with the fill
// on one side: every row must come out with the same spans and the same covers, for both
// filling rules, with the fill on either side, and with edges leaving the clip box.

#include <agg_rasterizer_compound_aa.h>
#include <agg_rasterizer_sl_clip.h>
#include <agg_scanline_u.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "swf/render/OneFillRasterizer.h"

namespace swf::test {
namespace {

constexpr PixelBox kClip{0, 0, 40, 30};

struct Row {
    int y;
    std::vector<std::pair<int, std::vector<uint8_t>>> spans;  // x, covers
    bool operator==(const Row&) const = default;
};

Row rowOf(const agg::scanline_u8& scanline) {
    Row row{scanline.y(), {}};
    auto span = scanline.begin();
    for (unsigned n = scanline.num_spans(); n > 0; --n, ++span)
        row.spans.emplace_back(span->x,
                               std::vector<uint8_t>(span->covers, span->covers + span->len));
    return row;
}

using Outline = std::vector<std::vector<Point>>;  // polylines, each from its first point

std::vector<Row> compoundRows(const Outline& outline, bool evenOdd, bool fillOnRight) {
    agg::rasterizer_compound_aa<agg::rasterizer_sl_clip_dbl> rasterizer;
    rasterizer.clip_box(kClip.x1, kClip.y1, kClip.x2, kClip.y2);
    rasterizer.filling_rule(evenOdd ? agg::fill_even_odd : agg::fill_non_zero);
    rasterizer.styles(fillOnRight ? -1 : 0, fillOnRight ? 0 : -1);
    for (const auto& line : outline) {
        rasterizer.move_to_d(line[0].x, line[0].y);
        for (size_t i = 1; i < line.size(); ++i) rasterizer.line_to_d(line[i].x, line[i].y);
    }
    std::vector<Row> rows;
    agg::scanline_u8 scanline;
    if (!rasterizer.rewind_scanlines()) return rows;
    scanline.reset(rasterizer.min_x(), rasterizer.max_x());
    while (rasterizer.sweep_styles()) {
        if (rasterizer.sweep_scanline(scanline, 0)) rows.push_back(rowOf(scanline));
    }
    return rows;
}

std::vector<Row> oneFillRows(OneFillRasterizer& rasterizer, const Outline& outline, bool evenOdd,
                             bool fillOnRight) {
    rasterizer.reset(kClip, evenOdd, fillOnRight);
    for (const auto& line : outline) {
        rasterizer.moveTo(line[0]);
        for (size_t i = 1; i < line.size(); ++i) rasterizer.lineTo(line[i]);
    }
    std::vector<Row> rows;
    agg::scanline_u8 scanline;
    if (!rasterizer.rewind()) return rows;
    scanline.reset(rasterizer.minX(), rasterizer.maxX());
    while (rasterizer.sweep(scanline)) rows.push_back(rowOf(scanline));
    return rows;
}

// A star drawn twice over itself (windings of 2 inside, so the rules differ), a thin sliver
// whose cells mostly round to no cover, a hole drawn the same way round as its outer edge, and
// a triangle reaching past the clip box on three sides.
Outline testOutline() {
    Outline outline;
    std::vector<Point> star;
    for (int i = 0; i <= 10; ++i) {
        int k = (i * 4) % 10;
        double angle = k * 0.6283185307179586;
        star.push_back({12 + 9.3 * std::cos(angle), 13 + 9.1 * std::sin(angle)});
    }
    outline.push_back(star);
    outline.push_back(star);
    outline.push_back({{25.1, 2.2}, {25.13, 27.9}, {25.16, 2.2}, {25.1, 2.2}});
    outline.push_back({{28.3, 3.7}, {38.6, 3.1}, {37.2, 12.9}, {28.3, 3.7}});
    outline.push_back({{30.2, 5.1}, {36.1, 5.3}, {35.4, 10.2}, {30.2, 5.1}});
    outline.push_back({{-6.5, 17.25}, {47.75, 21.5}, {20.5, 36.3}, {-6.5, 17.25}});
    return outline;
}

TEST(OneFillRasterizerTest, RowsMatchTheCompoundRasterizerForEitherRuleAndSide) {
    const Outline outline = testOutline();
    OneFillRasterizer rasterizer;  // reused, as a shape rasterizer reuses it
    for (bool evenOdd : {false, true}) {
        for (bool fillOnRight : {false, true}) {
            SCOPED_TRACE("even-odd " + std::to_string(evenOdd) + ", fill on the right " +
                         std::to_string(fillOnRight));
            std::vector<Row> expected = compoundRows(outline, evenOdd, fillOnRight);
            ASSERT_GT(expected.size(), 20u);
            EXPECT_TRUE(oneFillRows(rasterizer, outline, evenOdd, fillOnRight) == expected);
        }
    }
}

TEST(OneFillRasterizerTest, RulesDifferWhereTheStarOverlapsItself) {
    // Guards the comparison above: the outline must tell the rules and the sides apart.
    const Outline outline = testOutline();
    OneFillRasterizer rasterizer;
    EXPECT_FALSE(oneFillRows(rasterizer, outline, true, false) ==
                 oneFillRows(rasterizer, outline, false, false));
}

TEST(OneFillRasterizerTest, NothingToSweepWithoutEdgesOrOutsideTheClip) {
    OneFillRasterizer rasterizer;
    EXPECT_TRUE(oneFillRows(rasterizer, {}, false, false).empty());
    EXPECT_TRUE(
        oneFillRows(rasterizer, {{{5, -9}, {30, -2}, {12, -6}, {5, -9}}}, false, true).empty());
}

}  // namespace
}  // namespace swf::test
