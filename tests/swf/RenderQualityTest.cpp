#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <tuple>
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

enum class Content { Triangle, Line, Bitmap };

struct QualityCase {
    std::string name;
    Content content;
    RenderQuality host;
    std::optional<std::string> script;  // the movie's own _quality
    std::string traced;                 // _quality as the movie reads it
    bool hardEdges;                     // every pixel one of the picture's own colours
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
}

INSTANTIATE_TEST_SUITE_P(
    Quality, RenderQualityTest,
    ::testing::Values(
        QualityCase{"triangleLow", Content::Triangle, RenderQuality::Low, {}, "LOW", true},
        QualityCase{"triangleMedium", Content::Triangle, RenderQuality::Medium, {}, "MEDIUM",
                    false},
        QualityCase{"triangleHigh", Content::Triangle, RenderQuality::High, {}, "HIGH", false},
        QualityCase{"lineLow", Content::Line, RenderQuality::Low, {}, "LOW", true},
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
