#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "TestMovie.h"

namespace {

namespace st = swftest;
using enginetest::Load;
using swf::RenderQuality;

constexpr int kSide = 40;
constexpr int kQualityProperty = 19;
const st::Rgba kBackground{255, 255, 255};
const st::Rgba kInk{0, 0, 160};

// Square: 20 pixels wide, its edges through pixel centres (10.5 to 30.5 both ways).
// Below/AboveDiagonal: the triangle left of or right of the stage's diagonal x = y, which runs
// through the centre of pixel (r, r) on every row r.
// BelowShallowEdge: the fill left of x = 2y + 0.5 down to y = 20, which runs through the
// centre of pixel (2r + 1, r) on every row r.
enum class Content {
    Triangle,
    Line,
    Bitmap,
    Square,
    BelowDiagonal,
    AboveDiagonal,
    BelowShallowEdge
};
using Pixels = std::vector<std::pair<int, int>>;  // (x, y)

struct QualityCase {
    std::string name;
    Content content;
    RenderQuality host;
    std::optional<std::string> script;  // the movie's own _quality
    std::string traced;                 // _quality as the movie reads it
    bool hardEdges;                     // every pixel one of the picture's own colours
    Pixels inked = {};                  // pixels in the ink colour
    Pixels blank = {};                  // pixels left in the background colour
};

class RenderQualityTest : public ::testing::TestWithParam<QualityCase> {};

// A 2 by 2 bitmap of black and white texels.
const std::vector<st::Rgba> kChecker = {
    {0, 0, 0}, {255, 255, 255}, {255, 255, 255}, {0, 0, 0}};

st::ShapeBuilder Content(Content content) {
    st::ShapeBuilder shape;
    if (content == Content::Triangle) {
        shape.fill1(shape.addFill(st::FillStyle::solid(kInk)))
            .moveTo(40, 40)
            .lineTo(740, 200)
            .lineTo(200, 760)
            .lineTo(40, 40);
    } else if (content == Content::Line) {
        shape.line(shape.addLine(st::LineStyle::solid(120, kInk))).moveTo(60, 80).lineTo(700, 500);
    } else if (content == Content::Square) {
        shape.fill1(shape.addFill(st::FillStyle::solid(kInk))).rectangle(210, 210, 400, 400);
    } else if (content == Content::BelowDiagonal || content == Content::AboveDiagonal) {
        int corner = content == Content::BelowDiagonal ? 0 : kSide * 20;
        shape.fill1(shape.addFill(st::FillStyle::solid(kInk)))
            .moveTo(0, 0)
            .lineTo(kSide * 20, kSide * 20)
            .lineTo(corner, kSide * 20 - corner)
            .lineTo(0, 0);
    } else if (content == Content::BelowShallowEdge) {
        shape.fill1(shape.addFill(st::FillStyle::solid(kInk)))
            .moveTo(10, 0)
            .lineTo(810, 400)
            .lineTo(0, 400)
            .lineTo(0, 0)
            .lineTo(10, 0);
    } else {
        // The bitmap scaled up to 20 pixels a texel, over the whole stage.
        shape.fill1(shape.addFill(st::FillStyle::bitmap(1, st::Matrix::scaling(400, 400), false)))
            .rectangle(0, 0, kSide * 20, kSide * 20);
    }
    return shape;
}

// Draws the case's content and tells whether every pixel is one of the colours it is made of
// (background and ink, or the bitmap's texels): no pixel is partly covered or blended.
TEST_P(RenderQualityTest, EdgesAreHardOnlyAtLowQuality) {
    const QualityCase& c = GetParam();
    st::SwfWriter movie;
    movie.version(8).frameSizePixels(kSide, kSide).setBackgroundColor(kBackground);
    if (c.content == Content::Bitmap) movie.defineBitsLossless(1, 2, 2, kChecker);
    movie.defineShape(2, Content(c.content)).place(2, 1);
    st::ActionBuilder actions;
    if (c.script)
        actions.pushString("").pushInteger(kQualityProperty).pushString(*c.script).setProperty();
    actions.pushString("").pushInteger(kQualityProperty).getProperty().trace();
    movie.doAction(actions).showFrame();

    swf::Player player;
    std::vector<std::string> traces;
    player.SetTraceSink([&traces](const std::string& line) { traces.push_back(line); });
    player.SetRenderQuality(c.host);
    Load(player, movie);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0], c.traced);

    std::vector<uint8_t> pixels(kSide * kSide * 3);
    ASSERT_TRUE(player.Draw({pixels.data(), kSide * 3, 24, false}));
    std::set<std::tuple<int, int, int>> allowed = {{kBackground.r, kBackground.g, kBackground.b},
                                                   {kInk.r, kInk.g, kInk.b}, {0, 0, 0}};
    int own = 0, other = 0, inked = 0;
    for (size_t i = 0; i < pixels.size(); i += 3) {
        std::tuple<int, int, int> rgb{pixels[i + 2], pixels[i + 1], pixels[i]};
        (allowed.count(rgb) ? own : other)++;
        if (rgb != std::tuple<int, int, int>{kBackground.r, kBackground.g, kBackground.b}) ++inked;
    }
    // The content covers a good part of the stage either way.
    EXPECT_GT(inked, kSide * kSide / 10);
    if (c.hardEdges)
        EXPECT_EQ(other, 0);
    else
        EXPECT_GT(other, kSide / 2);
    auto rgbAt = [&pixels](std::pair<int, int> at) {
        size_t i = (static_cast<size_t>(at.second) * kSide + static_cast<size_t>(at.first)) * 3;
        return std::tuple<int, int, int>{pixels[i + 2], pixels[i + 1], pixels[i]};
    };
    for (std::pair<int, int> at : c.inked)
        EXPECT_EQ(rgbAt(at), std::make_tuple(kInk.r, kInk.g, kInk.b))
            << "at " << at.first << "," << at.second;
    for (std::pair<int, int> at : c.blank)
        EXPECT_EQ(rgbAt(at), std::make_tuple(kBackground.r, kBackground.g, kBackground.b))
            << "at " << at.first << "," << at.second;
}

INSTANTIATE_TEST_SUITE_P(
    Quality, RenderQualityTest,
    ::testing::Values(
        QualityCase{"triangleLow", Content::Triangle, RenderQuality::Low, {}, "LOW", true},
        QualityCase{"triangleMedium", Content::Triangle, RenderQuality::Medium, {}, "MEDIUM",
                    false},
        QualityCase{"triangleHigh", Content::Triangle, RenderQuality::High, {}, "HIGH", false},
        QualityCase{"lineLow", Content::Line, RenderQuality::Low, {}, "LOW", true},
        // At low quality a pixel is the fill's when its centre is inside; a centre on an edge
        // belongs to the fill to its right or below it. A corner pixel a quarter covered is in.
        QualityCase{"squareLow",
                    Content::Square,
                    RenderQuality::Low,
                    {},
                    "LOW",
                    true,
                    {{10, 10}, {29, 10}, {10, 29}, {29, 29}},
                    {{9, 10}, {10, 9}, {30, 10}, {10, 30}, {30, 30}}},
        QualityCase{"belowDiagonalLow",
                    Content::BelowDiagonal,
                    RenderQuality::Low,
                    {},
                    "LOW",
                    true,
                    {{0, 1}, {4, 5}, {38, 39}},
                    {{0, 0}, {5, 5}, {39, 39}, {6, 5}}},
        QualityCase{"aboveDiagonalLow",
                    Content::AboveDiagonal,
                    RenderQuality::Low,
                    {},
                    "LOW",
                    true,
                    {{0, 0}, {5, 5}, {39, 39}, {6, 5}},
                    {{0, 1}, {4, 5}, {38, 39}}},
        // A tie on an edge that is not diagonal: no nudge may move the edge off the centre.
        QualityCase{"belowShallowEdgeLow",
                    Content::BelowShallowEdge,
                    RenderQuality::Low,
                    {},
                    "LOW",
                    true,
                    {{0, 0}, {2, 1}, {20, 10}, {38, 19}},
                    {{1, 0}, {3, 1}, {21, 10}, {39, 19}, {0, 20}}},
        QualityCase{"lineBest", Content::Line, RenderQuality::Best, {}, "BEST", false},
        // Bitmaps are smoothed at high and best only.
        QualityCase{"bitmapLow", Content::Bitmap, RenderQuality::Low, {}, "LOW", true},
        QualityCase{"bitmapMedium", Content::Bitmap, RenderQuality::Medium, {}, "MEDIUM", true},
        QualityCase{"bitmapHigh", Content::Bitmap, RenderQuality::High, {}, "HIGH", false},
        // The movie's own setting overrides the host's, in either direction.
        QualityCase{"scriptLow", Content::Triangle, RenderQuality::High, "low", "LOW", true},
        QualityCase{"scriptBest", Content::Line, RenderQuality::Low, "BEST", "BEST", false},
        QualityCase{"scriptUnknown", Content::Triangle, RenderQuality::Low, "fine", "LOW", true}),
    [](const auto& info) { return info.param.name; });

}  // namespace
