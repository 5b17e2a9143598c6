#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/CanvasTestSupport.h"

namespace swf::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class RobustnessTest : public ::testing::Test {
  protected:
    RobustnessTest() : canvas(40, 40) { canvas.clear(kWhite); }
    void draw(const Shape& shape, const Matrix& m = pixelScale()) {
        canvas.drawShape(shape, m, {}, noBitmaps());
    }
    bool untouched() const {
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                if (pixelAt(canvas, x, y) != kWhite) return false;
        return true;
    }
    Canvas canvas;
};

TEST_F(RobustnessTest, NonFiniteMatrixSkipsTheDraw) {
    Shape shape = filledRectangle(0, 0, 40, 40, kRed);
    shape.lines.push_back(LineStyle{});
    shape.paths.front().line = 1;
    for (double bad : {kNaN, kInf, -kInf}) {
        Matrix m = pixelScale();
        m.a = bad;
        draw(shape, m);
        m = pixelScale();
        m.ty = bad;
        draw(shape, m);
    }
    EXPECT_TRUE(untouched());
}

TEST_F(RobustnessTest, NonFiniteCoordinatesSkipTheDraw) {
    Shape shape = filledRectangle(0, 0, 40, 40, kRed);
    shape.paths.front().edges[1].to.x = kNaN;
    draw(shape);
    shape = filledRectangle(0, 0, 40, 40, kRed);
    shape.paths.front().edges[2] = curve(px(40, 40), {kInf, 0}, px(0, 40));
    draw(shape);
    EXPECT_TRUE(untouched());
}

TEST_F(RobustnessTest, FarAwayCoordinatesStillDrawTheVisiblePart) {
    // A triangle with corners a hundred million pixels away, its edge crossing the surface.
    Shape shape;
    shape.fills.push_back(solidFill(kRed));
    shape.paths.push_back(polygon({{-1e8, -1e8}, {1e8 + 20, 1e8}, {-1e8, 1e8}}, 0, 1));
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 5, 30), kRed);
    EXPECT_EQ(pixelAt(canvas, 30, 5), kWhite);
}

TEST_F(RobustnessTest, EmptyAndDegenerateShapesDrawNothing) {
    draw(Shape{});
    Shape noEdges;
    noEdges.fills.push_back(solidFill(kRed));
    noEdges.paths.push_back({1, 0, 0, {}});
    draw(noEdges);
    // Zero scale collapses the shape.
    draw(filledRectangle(0, 0, 40, 40, kRed), Matrix::scale(0, 0));
    EXPECT_TRUE(untouched());
}

TEST_F(RobustnessTest, StyleIndicesOutOfRangeAreIgnored) {
    Shape shape = filledRectangle(0, 0, 40, 40, kRed);
    shape.paths.front().fill1 = 5;
    shape.paths.front().line = 3;
    draw(shape);
    EXPECT_TRUE(untouched());
}

TEST_F(RobustnessTest, BrokenGradientsAndBitmapsDoNotCrash) {
    Shape shape = filledRectangle(0, 0, 40, 40, kRed);
    FillStyle noStops;
    noStops.kind = FillStyle::Kind::RadialGradient;
    FillStyle singular;
    singular.kind = FillStyle::Kind::LinearGradient;
    singular.gradient.matrix = Matrix::scale(0, 0);
    singular.gradient.stops = {{0, kRed}, {255, kBlue}};
    FillStyle tinyFocal = singular;
    tinyFocal.kind = FillStyle::Kind::FocalGradient;
    tinyFocal.gradient.matrix = Matrix::scale(1e-300, 1e-300);
    tinyFocal.gradient.focalPoint = 1;
    FillStyle bitmap;
    bitmap.kind = FillStyle::Kind::Bitmap;
    bitmap.bitmapMatrix = Matrix::scale(0, 20);
    for (const FillStyle& fill : {noStops, singular, tinyFocal, bitmap}) {
        shape.fills = {fill};
        draw(shape);
    }
    // A collapsed gradient shows its outer colour; the rest draw nothing.
    EXPECT_EQ(pixelAt(canvas, 20, 20), kBlue);
    Canvas empty(40, 40);
    empty.clear(kWhite);
    shape.fills = {noStops};
    empty.drawShape(shape, pixelScale(), {}, noBitmaps());
    EXPECT_EQ(pixelAt(empty, 20, 20), kWhite);
}

TEST_F(RobustnessTest, HugeStrokeWidthsAndScalesAreBounded) {
    Shape shape;
    LineStyle wide;
    wide.width = 65535;
    shape.lines.push_back(wide);
    shape.paths.push_back(polygon({{1, 1}, {2, 1}, {2, 2}, {1, 2}}, 0, 0, 1));
    draw(shape, pixelScale(1e6));
    // Whatever survives the bound, the call returns and the canvas stays usable.
    draw(filledRectangle(0, 0, 10, 10, kBlue));
    EXPECT_EQ(pixelAt(canvas, 5, 5), kBlue);
}

TEST_F(RobustnessTest, ManyFillsBeyondOnePassAllDraw) {
    // More fill styles than the rasterizer numbers in one pass: the last one still shows.
    Shape shape;
    shape.fills.assign(40000, solidFill(kRed));
    shape.fills.back() = solidFill(kBlue);
    shape.paths.push_back(rectangle(0, 0, 20, 40, 1));
    shape.paths.push_back(rectangle(20, 0, 40, 40, 40000));
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 10, 10), kRed);
    EXPECT_EQ(pixelAt(canvas, 30, 10), kBlue);
}

TEST_F(RobustnessTest, ThousandsOfFillsOverlappingEverywhereFinish) {
    // Every fill covers every pixel: each sample goes to the highest, found without a walk
    // over all the fills it lies in.
    Shape shape;
    shape.fills.assign(10000, solidFill(kRed));
    shape.fills.back() = solidFill(kBlue);
    for (uint32_t fill = 1; fill <= 10000; ++fill)
        shape.paths.push_back(rectangle(0, 0, 40, 40, fill));
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 20, 20), kBlue);
}

TEST_F(RobustnessTest, EnormousEdgeCountsFinish) {
    // Long zig-zags across the whole surface, far more than any real shape: the draw is
    // bounded and returns.
    Shape shape;
    shape.fills.push_back(solidFill(kRed));
    ShapePath path{0, 1, 0, {}};
    for (int i = 0; i < 200000; ++i) {
        double y = (i % 2) ? 40 : 0;
        path.edges.push_back(line(px(-100, 40 - y), px(140, y)));
    }
    shape.paths.push_back(path);
    draw(shape);
    draw(filledRectangle(0, 0, 10, 10, kBlue));
    EXPECT_EQ(pixelAt(canvas, 5, 5), kBlue);
}

TEST_F(RobustnessTest, APictureOfEndlessDrawsIsBoundedUntilTheNextPicture) {
    // Far more draws than any real frame makes: past the picture's bound further draws are
    // dropped, and a new picture draws again.
    Shape red = filledRectangle(0, 0, 40, 40, kRed);
    for (int i = 0; i < 40000; ++i) draw(red);
    EXPECT_EQ(pixelAt(canvas, 20, 20), kRed);
    draw(filledRectangle(0, 0, 40, 40, kBlue));
    EXPECT_EQ(pixelAt(canvas, 20, 20), kRed);

    canvas.startPicture(kWhite);
    draw(filledRectangle(0, 0, 40, 40, kBlue));
    EXPECT_EQ(pixelAt(canvas, 20, 20), kBlue);
}

TEST_F(RobustnessTest, DetailOutsideTheSurfaceDoesNotExhaustTheWorkBound) {
    // A visible square plus a finely detailed outline far above the surface, in one fill:
    // the off-surface detail makes no cells, so the square still draws.
    Shape shape = filledRectangle(5, 5, 35, 35, kRed);
    ShapePath detail{0, 1, 0, {}};
    Point previous = px(-500, -100);
    for (int i = 0; i < 100000; ++i) {
        Point next = px((i % 2) ? 500 : -500, -100 - i * 0.01);
        detail.edges.push_back(line(previous, next));
        previous = next;
    }
    detail.edges.push_back(line(previous, px(-500, -100)));
    shape.paths.push_back(detail);
    draw(shape);
    EXPECT_EQ(pixelAt(canvas, 20, 20), kRed);
}

TEST_F(RobustnessTest, ZeroSizedCanvasIgnoresDrawing) {
    Canvas none(0, 0);
    none.clear(kRed);
    none.beginMask();
    none.drawShape(filledRectangle(0, 0, 10, 10, kRed), pixelScale(), {}, noBitmaps());
    none.endMask();
    none.drawShape(filledRectangle(0, 0, 10, 10, kRed), pixelScale(), {}, noBitmaps());
    none.popMask();
    EXPECT_EQ(none.width(), 0);
}

TEST_F(RobustnessTest, NullBitmapLookupDrawsNothingForBitmapFills) {
    Shape shape = filledRectangle(0, 0, 40, 40, kRed);
    shape.fills.front().kind = FillStyle::Kind::Bitmap;
    canvas.drawShape(shape, pixelScale(), {}, BitmapLookup{});
    EXPECT_TRUE(untouched());
}

}  // namespace
}  // namespace swf::test
