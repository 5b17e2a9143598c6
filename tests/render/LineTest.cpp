#include <gtest/gtest.h>

#include "render/CanvasTestSupport.h"

namespace swf::test {
namespace {

LineStyle lineStyle(double widthPixels, Rgba color) {
    LineStyle style;
    style.width = static_cast<uint16_t>(widthPixels * kTwips);
    style.color = color;
    return style;
}

// An open polyline through `points` (pixels) drawn with line style 1.
ShapePath polyline(const std::vector<Point>& points, uint32_t lineIndex = 1) {
    ShapePath path{0, 0, lineIndex, {}};
    for (size_t i = 1; i < points.size(); ++i) {
        path.edges.push_back(
            line(px(points[i - 1].x, points[i - 1].y), px(points[i].x, points[i].y)));
    }
    return path;
}

class LineTest : public ::testing::Test {
  protected:
    LineTest() : canvas(60, 60) { canvas.clear(kWhite); }
    void draw(const Shape& shape, const Matrix& m = pixelScale()) {
        canvas.drawShape(shape, m, {}, noBitmaps());
    }
    Shape lines(const LineStyle& style, std::vector<ShapePath> paths) {
        Shape shape;
        shape.lines.push_back(style);
        shape.paths = std::move(paths);
        return shape;
    }
    // Rows of column x that the line touches at all.
    int touchedRows(int x) const {
        int n = 0;
        for (int y = 0; y < canvas.height(); ++y) n += pixelAt(canvas, x, y) != kWhite;
        return n;
    }
    Canvas canvas;
};

TEST_F(LineTest, ThickLineIsCentredOnItsEdge) {
    draw(lines(lineStyle(10, kBlack), {polyline({{10, 30}, {50, 30}})}));
    for (int y = 25; y < 35; ++y) EXPECT_EQ(pixelAt(canvas, 30, y), kBlack) << y;
    EXPECT_EQ(pixelAt(canvas, 30, 24), kWhite);
    EXPECT_EQ(pixelAt(canvas, 30, 35), kWhite);
}

TEST_F(LineTest, WidthScalesWithTheTransform) {
    draw(lines(lineStyle(2, kBlack), {polyline({{2, 6}, {12, 6}})}), pixelScale(4));
    // 8 pixels wide around y = 24.
    EXPECT_EQ(touchedRows(30), 8);
    EXPECT_EQ(pixelAt(canvas, 30, 20), kBlack);
    EXPECT_EQ(pixelAt(canvas, 30, 27), kBlack);
}

TEST_F(LineTest, UnevenScaleWidensTheLineAcrossTheStretchedAxis) {
    // Stretched 4 times across, 2 times down: the square's sides 8 pixels wide, its top 4.
    draw(lines(lineStyle(2, kBlack), {polyline({{2, 4}, {12, 4}, {12, 24}, {2, 24}, {2, 4}})}),
         Matrix::scale(4 / kTwips, 2 / kTwips));
    EXPECT_EQ(touchedRows(30), 8);  // top and bottom, 4 rows each
    int columns = 0;
    for (int x = 0; x < canvas.width(); ++x) columns += pixelAt(canvas, x, 30) != kWhite;
    EXPECT_EQ(columns, 16);  // left and right, 8 columns each
}

TEST_F(LineTest, HairlineStaysOnePixelWideWhenScaledUp) {
    // Centred on a pixel row's middle so that one pixel row is fully covered.
    LineStyle hairline = lineStyle(0, kBlack);
    draw(lines(hairline, {polyline({{0.1, 2.05}, {5.9, 2.05}})}), pixelScale(10));
    EXPECT_EQ(touchedRows(30), 1);
    EXPECT_EQ(pixelAt(canvas, 30, 20), kBlack);
}

TEST_F(LineTest, ThinLineScaledDownStaysAboutOnePixel) {
    draw(lines(lineStyle(1, kBlack), {polyline({{0, 205}, {590, 205}})}), pixelScale(0.1));
    EXPECT_EQ(touchedRows(30), 1);
    EXPECT_LE(pixelAt(canvas, 30, 20).r, 5);
}

TEST_F(LineTest, NoScaleFlagsKeepTheWidthUnderScaling) {
    LineStyle style = lineStyle(2, kBlack);
    style.noHScale = true;
    style.noVScale = true;
    draw(lines(style, {polyline({{1, 3}, {14, 3}})}), pixelScale(4));
    EXPECT_EQ(touchedRows(30), 2);
}

TEST_F(LineTest, CapsExtendOpenEnds) {
    LineStyle butt = lineStyle(10, kBlack);
    butt.startCap = butt.endCap = CapStyle::None;
    LineStyle square = butt;
    square.startCap = square.endCap = CapStyle::Square;
    LineStyle round = butt;
    round.startCap = round.endCap = CapStyle::Round;
    Shape shape;
    shape.lines = {butt, square, round};
    shape.paths = {polyline({{15, 10}, {45, 10}}, 1), polyline({{15, 30}, {45, 30}}, 2),
                   polyline({{15, 50}, {45, 50}}, 3)};
    draw(shape);
    // Butt: nothing before x = 15.
    EXPECT_EQ(pixelAt(canvas, 13, 10), kWhite);
    // Square: half the width beyond the end, corners included.
    EXPECT_EQ(pixelAt(canvas, 11, 30), kBlack);
    EXPECT_EQ(pixelAt(canvas, 10, 25), kBlack);
    // Round: beyond the end on the axis, but not in the corner.
    EXPECT_EQ(pixelAt(canvas, 11, 50), kBlack);
    EXPECT_EQ(pixelAt(canvas, 10, 45), kWhite);
}

TEST_F(LineTest, StartAndEndCapsCanDiffer) {
    LineStyle style = lineStyle(10, kBlack);
    style.startCap = CapStyle::Square;
    style.endCap = CapStyle::None;
    LineStyle roundStart = style;
    roundStart.startCap = CapStyle::Round;
    roundStart.endCap = CapStyle::Square;
    Shape shape;
    shape.lines = {style, roundStart};
    shape.paths = {polyline({{15, 15}, {45, 15}}, 1), polyline({{45, 40}, {15, 40}}, 2)};
    draw(shape);
    // Square start at x = 15 reaching x = 10, nothing past the end at x = 45.
    EXPECT_EQ(pixelAt(canvas, 10, 10), kBlack);
    EXPECT_EQ(pixelAt(canvas, 46, 15), kWhite);
    EXPECT_EQ(pixelAt(canvas, 44, 15), kBlack);
    // Round start at x = 45 (no corner), square end at x = 15 (corner).
    EXPECT_EQ(pixelAt(canvas, 48, 40), kBlack);
    EXPECT_EQ(pixelAt(canvas, 49, 35), kWhite);
    EXPECT_EQ(pixelAt(canvas, 10, 35), kBlack);
}

TEST_F(LineTest, ZeroLengthLineDrawsADotWithRoundCaps) {
    LineStyle round = lineStyle(10, kBlack);
    LineStyle butt = round;
    butt.startCap = butt.endCap = CapStyle::None;
    Shape shape;
    shape.lines = {round, butt};
    shape.paths = {polyline({{20, 20}, {20, 20}}, 1), polyline({{40, 40}, {40, 40}}, 2)};
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 20, 20), kBlack);
    EXPECT_EQ(pixelAt(canvas, 16, 20), kBlack);
    EXPECT_EQ(pixelAt(canvas, 15, 15), kWhite);
    // Without caps a point has nothing to show.
    EXPECT_EQ(pixelAt(canvas, 40, 40), kWhite);
}

TEST_F(LineTest, ConnectedEdgesJoinAndJoinStyleShapesTheCorner) {
    LineStyle miter = lineStyle(10, kBlack);
    miter.startCap = miter.endCap = CapStyle::None;
    miter.join = JoinStyle::Miter;
    LineStyle bevel = miter;
    bevel.join = JoinStyle::Bevel;
    Shape shape;
    shape.lines = {miter, bevel};
    // Two right-angled corners; the edges come as separate paths of the same style, as a
    // style change in the middle of a line leaves them.
    shape.paths = {polyline({{10, 25}, {10, 10}}, 1), polyline({{10, 10}, {25, 10}}, 1),
                   polyline({{35, 25}, {35, 10}, {50, 10}}, 2)};
    draw(shape);
    // The miter fills the outer corner square; unjoined butt ends would leave it empty.
    EXPECT_EQ(pixelAt(canvas, 6, 6), kBlack);
    // The bevel cuts the outer corner.
    EXPECT_EQ(pixelAt(canvas, 30, 5), kWhite);
    EXPECT_EQ(pixelAt(canvas, 33, 8), kBlack);
}

TEST_F(LineTest, MiterLimitCutsSharpCorners) {
    LineStyle style = lineStyle(6, kBlack);
    style.join = JoinStyle::Miter;
    style.miterLimit = 1;
    Shape shape;
    shape.lines = {style};
    // A sharp spike pointing up at (30, 10).
    shape.paths = {polyline({{25, 50}, {30, 10}, {35, 50}})};
    draw(shape);
    // An unlimited miter would reach about 24 pixels above the vertex.
    EXPECT_EQ(pixelAt(canvas, 30, 2), kWhite);
    EXPECT_EQ(pixelAt(canvas, 30, 10), kBlack);
}

TEST_F(LineTest, ClosedOutlineJoinsAtItsStart) {
    LineStyle style = lineStyle(6, kBlack);
    style.startCap = style.endCap = CapStyle::None;
    style.join = JoinStyle::Miter;
    Shape shape;
    shape.lines = {style};
    shape.paths = {polygon({{10, 10}, {50, 10}, {50, 50}, {10, 50}}, 0, 0, 1)};
    draw(shape);
    // Every corner, the starting one included, is mitered.
    EXPECT_EQ(pixelAt(canvas, 7, 7), kBlack);
    EXPECT_EQ(pixelAt(canvas, 52, 7), kBlack);
    EXPECT_EQ(pixelAt(canvas, 52, 52), kBlack);
    EXPECT_EQ(pixelAt(canvas, 7, 52), kBlack);
}

TEST_F(LineTest, NoCloseKeepsCapsAtTheStart) {
    LineStyle style = lineStyle(6, kBlack);
    style.startCap = style.endCap = CapStyle::None;
    style.join = JoinStyle::Miter;
    style.noClose = true;
    Shape shape;
    shape.lines = {style};
    shape.paths = {polygon({{10, 10}, {50, 10}, {50, 50}, {10, 50}}, 0, 0, 1)};
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 7, 7), kWhite);
    EXPECT_EQ(pixelAt(canvas, 52, 7), kBlack);
}

TEST_F(LineTest, LinesLieOnTopOfFills) {
    Shape shape;
    shape.fills.push_back(solidFill(kRed));
    shape.lines.push_back(lineStyle(4, kBlue));
    // The outline comes first in the path order, yet shows above the fill.
    shape.paths.push_back(polygon({{10, 10}, {50, 10}, {50, 50}, {10, 50}}, 0, 0, 1));
    shape.paths.push_back(rectangle(10, 10, 50, 50, 1));
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 11, 30), kBlue);
    EXPECT_EQ(pixelAt(canvas, 30, 30), kRed);
}

TEST_F(LineTest, LaterStyleLayersCoverTheLinesOfEarlierOnes) {
    // Layer 0: a blue outline with a red fill; layer 1: a green bar across the outline's
    // top and bottom sides.
    Shape shape;
    shape.fills = {solidFill(kRed), solidFill(kGreen)};
    shape.lines = {lineStyle(4, kBlue)};
    shape.paths.push_back(rectangle(10, 10, 50, 50, 1, 1));
    shape.paths.push_back(rectangle(25, 0, 35, 60, 2));
    shape.paths.back().layer = 1;
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 11, 30), kBlue);   // the outline outside the bar
    EXPECT_EQ(pixelAt(canvas, 30, 10), kGreen);  // under the bar
    EXPECT_EQ(pixelAt(canvas, 30, 50), kGreen);
    EXPECT_EQ(pixelAt(canvas, 20, 30), kRed);

    // In one layer the lines come after every fill.
    shape.paths.back().layer = 0;
    canvas.clear(kWhite);
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 30, 10), kBlue);
    EXPECT_EQ(pixelAt(canvas, 30, 30), kGreen);
}

TEST_F(LineTest, LaterLineStyleDrawsOverEarlierOne) {
    Shape shape;
    shape.lines = {lineStyle(6, kRed), lineStyle(6, kBlue)};
    // Style 2's path comes first but is drawn after style 1's.
    shape.paths = {polyline({{30, 5}, {30, 55}}, 2), polyline({{5, 30}, {55, 30}}, 1)};
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 30, 30), kBlue);
}

TEST_F(LineTest, TranslucentStrokeOverlappingItselfIsPaintedOnce) {
    Shape shape;
    shape.lines = {lineStyle(6, {0, 0, 0, 128})};
    shape.paths = {polyline({{30, 5}, {30, 55}}), polyline({{5, 30}, {55, 30}})};
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 30, 30), pixelAt(canvas, 30, 10));
}

TEST_F(LineTest, StrokeWithFillStyleUsesThatFill) {
    LineStyle style = lineStyle(10, kBlack);
    FillStyle gradient;
    gradient.kind = FillStyle::Kind::LinearGradient;
    double scale = 60 * kTwips / 32768;
    gradient.gradient.matrix = Matrix{scale, 0, 0, scale, 30 * kTwips, 30 * kTwips};
    gradient.gradient.stops = {{0, kRed}, {255, kBlue}};
    style.fill = gradient;
    draw(lines(style, {polyline({{2, 30}, {58, 30}})}));
    EXPECT_GT(pixelAt(canvas, 4, 30).r, 230);
    EXPECT_GT(pixelAt(canvas, 56, 30).b, 230);
}

TEST_F(LineTest, ColourTransformAppliesToLines) {
    ColorTransform cx;
    cx.rMul = 0;
    cx.gAdd = 255;
    canvas.drawShape(lines(lineStyle(10, kRed), {polyline({{10, 30}, {50, 30}})}), pixelScale(), cx,
                     noBitmaps());
    EXPECT_EQ(pixelAt(canvas, 30, 30), kGreen);
}

}  // namespace
}  // namespace swf::test
