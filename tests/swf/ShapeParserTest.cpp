#include <gtest/gtest.h>

#include <vector>

#include "support/SwfWriter.h"
#include "swf/format/BitReader.h"
#include "swf/shape/ShapeParser.h"

namespace {

using swf::FillStyle;
using swf::Shape;
using swf::ShapeParser;
namespace st = swftest;

Shape Parse(const st::ShapeBuilder& builder, int version, bool* ok = nullptr) {
    std::vector<uint8_t> bytes = builder.encodeWithStyles(version);
    swf::BitReader in(bytes);
    Shape shape;
    bool parsed = ShapeParser::parseShapeWithStyle(in, version, shape);
    if (ok) *ok = parsed;
    return shape;
}

TEST(ShapeParser, RectangleBecomesOnePathWithItsFillOnTheRight) {
    st::ShapeBuilder builder;
    builder.fill1(builder.addFill(st::FillStyle::solid({10, 20, 30})))
        .rectangle(100, 200, 400, 300);
    bool ok = false;
    Shape shape = Parse(builder, 1, &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(shape.fills.size(), 1u);
    EXPECT_EQ(shape.fills[0].kind, FillStyle::Kind::Solid);
    EXPECT_EQ(shape.fills[0].color, (swf::Rgba{10, 20, 30, 255}));
    ASSERT_EQ(shape.paths.size(), 1u);
    const swf::ShapePath& path = shape.paths[0];
    EXPECT_EQ(path.fill0, 0u);
    EXPECT_EQ(path.fill1, 1u);
    ASSERT_EQ(path.edges.size(), 4u);
    EXPECT_EQ(path.edges[0].from, (swf::Point{100, 200}));
    EXPECT_EQ(path.edges[0].to, (swf::Point{500, 200}));
    EXPECT_EQ(path.edges[3].to, (swf::Point{100, 200}));
}

TEST(ShapeParser, NewStylesPartWayAreAppendedAndIndicesShifted) {
    st::ShapeBuilder builder;
    builder.addFill(st::FillStyle::solid({1, 0, 0}));
    int second = builder.addFill(st::FillStyle::solid({2, 0, 0}));
    builder.fill1(second).rectangle(0, 0, 100, 100);
    builder.newStyles();
    int line = builder.addLine(st::LineStyle::solid(40, {0, 0, 9}));
    int fill = builder.addFill(st::FillStyle::solid({3, 0, 0}));
    builder.fill1(fill).line(line).rectangle(200, 0, 100, 100);

    Shape shape = Parse(builder, 2);
    ASSERT_EQ(shape.fills.size(), 3u);
    EXPECT_EQ(shape.fills[2].color.r, 3);
    ASSERT_EQ(shape.lines.size(), 1u);
    EXPECT_EQ(shape.lines[0].width, 40);
    ASSERT_EQ(shape.paths.size(), 2u);
    EXPECT_EQ(shape.paths[0].fill1, 2u);
    EXPECT_EQ(shape.paths[0].line, 0u);
    EXPECT_EQ(shape.paths[1].fill1, 3u);
    EXPECT_EQ(shape.paths[1].line, 1u);
    EXPECT_EQ(shape.paths[1].edges[0].from, (swf::Point{200, 0}));
    // Each set of style arrays is a layer of its own.
    EXPECT_EQ(shape.paths[0].layer, 0u);
    EXPECT_EQ(shape.paths[1].layer, 1u);
}

TEST(ShapeParser, CurvesKeepAbsoluteControlAndAnchorPoints) {
    st::ShapeBuilder builder;
    builder.line(builder.addLine(st::LineStyle::solid(20, {0, 0, 0})))
        .moveTo(10, 10)
        .curveTo(50, -30, 90, 10)
        .lineTo(90, 70);
    Shape shape = Parse(builder, 3);
    ASSERT_EQ(shape.paths.size(), 1u);
    const auto& edges = shape.paths[0].edges;
    ASSERT_EQ(edges.size(), 2u);
    EXPECT_TRUE(edges[0].curved);
    EXPECT_EQ(edges[0].from, (swf::Point{10, 10}));
    EXPECT_EQ(edges[0].control, (swf::Point{50, -30}));
    EXPECT_EQ(edges[0].to, (swf::Point{90, 10}));
    EXPECT_FALSE(edges[1].curved);
    EXPECT_EQ(edges[1].to, (swf::Point{90, 70}));
}

TEST(ShapeParser, GradientAndBitmapFillsKeepTheirModes) {
    st::ShapeBuilder builder;
    builder.addFill(st::FillStyle::focalGradient(
        st::Matrix::identity(),
        {{0, {255, 0, 0, 255}}, {128, {0, 255, 0, 128}}, {255, {0, 0, 255, 255}}}, -0.5,
        st::SpreadMode::Reflect, st::InterpolationMode::LinearRgb));
    builder.addFill(st::FillStyle::bitmap(7, st::Matrix::scaling(20, 20), false, false));
    builder.addFill(st::FillStyle::bitmap(8, st::Matrix::identity(), true, true));
    Shape shape = Parse(builder, 4);
    ASSERT_EQ(shape.fills.size(), 3u);
    const FillStyle& focal = shape.fills[0];
    EXPECT_EQ(focal.kind, FillStyle::Kind::FocalGradient);
    EXPECT_EQ(focal.gradient.spread, swf::SpreadMode::Reflect);
    EXPECT_EQ(focal.gradient.interpolation, swf::InterpolationMode::Linear);
    ASSERT_EQ(focal.gradient.stops.size(), 3u);
    EXPECT_EQ(focal.gradient.stops[1].ratio, 128);
    EXPECT_EQ(focal.gradient.stops[1].color.a, 128);
    EXPECT_DOUBLE_EQ(focal.gradient.focalPoint, -0.5);
    EXPECT_EQ(shape.fills[1].kind, FillStyle::Kind::Bitmap);
    EXPECT_EQ(shape.fills[1].bitmapId, 7);
    EXPECT_FALSE(shape.fills[1].bitmapRepeat);
    EXPECT_FALSE(shape.fills[1].bitmapSmooth);
    EXPECT_DOUBLE_EQ(shape.fills[1].bitmapMatrix.a, 20.0);
    EXPECT_TRUE(shape.fills[2].bitmapRepeat);
    EXPECT_TRUE(shape.fills[2].bitmapSmooth);
}

TEST(ShapeParser, LineStyle2KeepsCapsJoinsAndFilledStrokes) {
    st::ShapeBuilder builder;
    builder.addLine(st::LineStyle::solid(60, {1, 2, 3, 4})
                        .withCaps(st::CapStyle::Square, st::CapStyle::None)
                        .withJoin(st::JoinStyle::Miter, 2.5)
                        .withNoScale(true, false));
    builder.addLine(st::LineStyle::filled(30, st::FillStyle::solid({9, 8, 7})));
    Shape shape = Parse(builder, 4);
    ASSERT_EQ(shape.lines.size(), 2u);
    const swf::LineStyle& first = shape.lines[0];
    EXPECT_EQ(first.width, 60);
    EXPECT_EQ(first.startCap, swf::CapStyle::Square);
    EXPECT_EQ(first.endCap, swf::CapStyle::None);
    EXPECT_EQ(first.join, swf::JoinStyle::Miter);
    EXPECT_DOUBLE_EQ(first.miterLimit, 2.5);
    EXPECT_TRUE(first.noHScale);
    EXPECT_FALSE(first.noVScale);
    EXPECT_EQ(first.color, (swf::Rgba{1, 2, 3, 4}));
    ASSERT_TRUE(shape.lines[1].fill.has_value());
    EXPECT_EQ(shape.lines[1].fill->color, (swf::Rgba{9, 8, 7, 255}));
}

TEST(ShapeParser, DefineShape4KeepsItsWindingRule) {
    st::ShapeBuilder builder;
    builder.fill1(builder.addFill(st::FillStyle::solid({1, 1, 1}))).rectangle(0, 0, 100, 100);
    for (bool nonZero : {false, true}) {
        builder.setFillWindingRule(nonZero);
        std::vector<uint8_t> body = builder.defineShapeBody(1, 4);
        swf::BitReader in(std::span<const uint8_t>(body).subspan(2));
        Shape shape;
        ASSERT_TRUE(ShapeParser::parseDefineShape(in, 4, shape));
        EXPECT_EQ(shape.nonZeroWinding, nonZero);
        EXPECT_EQ(shape.paths.size(), 1u);
    }
}

TEST(ShapeParser, TruncatedRecordsFailButKeepTheEdgesBefore) {
    st::ShapeBuilder builder;
    builder.fill1(builder.addFill(st::FillStyle::solid({1, 1, 1})))
        .rectangle(0, 0, 1000, 1000)
        .rectangle(2000, 0, 50, 50);
    std::vector<uint8_t> bytes = builder.encodeWithStyles(3);
    bytes.resize(bytes.size() - 6);
    swf::BitReader in(bytes);
    Shape shape;
    EXPECT_FALSE(ShapeParser::parseShapeWithStyle(in, 3, shape));
    ASSERT_FALSE(shape.paths.empty());
    EXPECT_EQ(shape.paths[0].edges.size(), 4u);
}

TEST(ShapeParser, SelectionsPastTheStyleArraysSelectNothing) {
    st::ShapeBuilder builder;
    builder.addFill(st::FillStyle::solid({1, 1, 1}));
    builder.addFill(st::FillStyle::solid({2, 2, 2}));
    builder.fill1(3).rectangle(0, 0, 100, 100);  // only two fills exist
    Shape shape = Parse(builder, 3);
    ASSERT_EQ(shape.paths.size(), 1u);
    EXPECT_EQ(shape.paths[0].fill1, 0u);
}

TEST(ShapeParser, GlyphShapesImplyFillOneAndComputeBounds) {
    st::ShapeBuilder glyph;
    glyph.fill1(1).rectangle(0, -700, 500, 700);
    std::vector<uint8_t> bytes = glyph.encodeShape(1, 0);
    swf::BitReader in(bytes);
    Shape shape;
    ASSERT_TRUE(ShapeParser::parseGlyph(in, shape));
    ASSERT_EQ(shape.fills.size(), 1u);
    EXPECT_TRUE(shape.lines.empty());
    ASSERT_EQ(shape.paths.size(), 1u);
    EXPECT_EQ(shape.paths[0].fill1, 1u);
    EXPECT_EQ(shape.bounds, (swf::Rect{0, 500, -700, 0}));
}

}  // namespace
