#include <gtest/gtest.h>

#include <vector>

#include "support/SwfWriter.h"
#include "swf/parse/MorphShapeParser.h"

namespace {

namespace st = swftest;
using swf::MorphShapeParser;

std::shared_ptr<swf::MorphShapeCharacter> Parse(const st::MorphShapeBuilder& builder,
                                                int version = 1) {
    std::vector<uint8_t> body = builder.defineMorphShapeBody(5, version);
    return MorphShapeParser::parse(body, version);
}

st::MorphShapeBuilder GrowingSquare() {
    st::MorphShapeBuilder morph;
    int fill = morph.addFill(st::FillStyle::solid({255, 0, 0, 255}),
                             st::FillStyle::solid({0, 0, 255, 55}));
    int line =
        morph.addLine(st::LineStyle::solid(20, {0, 0, 0}), st::LineStyle::solid(220, {0, 0, 0}));
    morph.startEdges().fill1(fill).line(line).rectangle(0, 0, 200, 200);
    morph.endEdges().rectangle(100, 100, 800, 400);
    return morph;
}

TEST(MorphShape, RatioZeroIsTheStartAndFullRatioTheEnd) {
    auto morph = Parse(GrowingSquare());
    ASSERT_TRUE(morph);
    EXPECT_EQ(morph->id(), 5);
    swf::Shape start = morph->shapeAt(0);
    ASSERT_EQ(start.paths.size(), 1u);
    ASSERT_EQ(start.paths[0].edges.size(), 4u);
    EXPECT_EQ(start.paths[0].edges[0].from, (swf::Point{0, 0}));
    EXPECT_EQ(start.paths[0].edges[0].to, (swf::Point{200, 0}));
    EXPECT_EQ(start.fills[0].color, (swf::Rgba{255, 0, 0, 255}));
    EXPECT_EQ(start.lines[0].width, 20);

    swf::Shape end = morph->shapeAt(65535);
    EXPECT_EQ(end.paths[0].edges[0].from, (swf::Point{100, 100}));
    EXPECT_EQ(end.paths[0].edges[0].to, (swf::Point{900, 100}));
    EXPECT_EQ(end.paths[0].edges[2].to, (swf::Point{100, 500}));
    EXPECT_EQ(end.fills[0].color, (swf::Rgba{0, 0, 255, 55}));
    EXPECT_EQ(end.lines[0].width, 220);
}

TEST(MorphShape, HalfRatioInterpolatesGeometryColoursAndWidths) {
    auto morph = Parse(GrowingSquare(), 2);
    ASSERT_TRUE(morph);
    swf::Shape half = morph->shapeAt(32768);
    const auto& edges = half.paths[0].edges;
    EXPECT_NEAR(edges[0].from.x, 50, 0.01);
    EXPECT_NEAR(edges[0].to.x, 550, 0.01);
    EXPECT_NEAR(edges[1].to.y, 350, 0.01);
    EXPECT_NEAR(half.fills[0].color.r, 128, 1);
    EXPECT_NEAR(half.fills[0].color.b, 128, 1);
    EXPECT_NEAR(half.fills[0].color.a, 155, 1);
    EXPECT_NEAR(half.lines[0].width, 120, 1);
}

TEST(MorphShape, InterpolatedColourChannelsAreTruncated) {
    auto morph = Parse(GrowingSquare());
    ASSERT_TRUE(morph);
    // A quarter of the way: blue 63.75 and red 191.25 become 63 and 191, as in the original player.
    swf::Shape quarter = morph->shapeAt(16384);
    EXPECT_EQ(quarter.fills[0].color.b, 63);
    EXPECT_EQ(quarter.fills[0].color.r, 191);
}

TEST(MorphShape, StraightEdgeAgainstACurveBecomesACurveWithAMiddleControl) {
    st::MorphShapeBuilder builder;
    int line =
        builder.addLine(st::LineStyle::solid(20, {0, 0, 0}), st::LineStyle::solid(20, {0, 0, 0}));
    builder.startEdges().line(line).moveTo(0, 0).lineTo(400, 0);
    builder.endEdges().moveTo(0, 0).curveTo(200, 300, 400, 0);
    auto morph = Parse(builder);
    ASSERT_TRUE(morph);
    swf::Shape start = morph->shapeAt(0);
    ASSERT_EQ(start.paths.size(), 1u);
    const swf::Edge& e = start.paths[0].edges[0];
    EXPECT_TRUE(e.curved);
    EXPECT_EQ(e.control, (swf::Point{200, 0}));
    swf::Shape half = morph->shapeAt(32768);
    EXPECT_NEAR(half.paths[0].edges[0].control.y, 150, 0.01);
}

TEST(MorphShape, EndEdgesFewerThanStartEdgesCollapseInsteadOfFailing) {
    st::MorphShapeBuilder builder;
    int fill = builder.addFill(st::FillStyle::solid({1, 2, 3}), st::FillStyle::solid({4, 5, 6}));
    builder.startEdges().fill1(fill).rectangle(0, 0, 100, 100);
    builder.endEdges().moveTo(0, 0).lineTo(300, 0);
    auto morph = Parse(builder);
    ASSERT_TRUE(morph);
    swf::Shape end = morph->shapeAt(65535);
    ASSERT_EQ(end.paths.size(), 1u);
    ASSERT_EQ(end.paths[0].edges.size(), 4u);
    EXPECT_EQ(end.paths[0].edges[0].to, (swf::Point{300, 0}));
    EXPECT_EQ(end.paths[0].edges[3].to, (swf::Point{300, 0}));
}

TEST(MorphShape, CutShortBodyGivesNothingOrAPartOfTheShape) {
    std::vector<uint8_t> body = GrowingSquare().defineMorphShapeBody(5, 1);
    EXPECT_EQ(MorphShapeParser::parse(std::span<const uint8_t>(body.data(), 1), 1), nullptr);
    for (size_t keep = 0; keep < body.size(); ++keep) {
        auto morph = MorphShapeParser::parse(std::span<const uint8_t>(body.data(), keep), 1);
        if (!morph) continue;
        swf::Shape shape = morph->shapeAt(30000);
        size_t edges = 0;
        for (const auto& path : shape.paths) edges += path.edges.size();
        EXPECT_LE(edges, 4u) << "prefix of " << keep << " bytes";
    }
}

}  // namespace
