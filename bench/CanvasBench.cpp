// Drawing a typical 550 x 400 frame: fifty shapes with solid, gradient and bitmap fills,
// curved outlines and strokes, some of them under a clip mask.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "swf/render/Canvas.h"

namespace {

using swf::Bitmap;
using swf::Canvas;
using swf::Edge;
using swf::FillStyle;
using swf::LineStyle;
using swf::Matrix;
using swf::Point;
using swf::Rgba;
using swf::Shape;
using swf::ShapePath;

constexpr int kWidth = 550;
constexpr int kHeight = 400;
constexpr uint16_t kBitmapId = 1;

// A blob of eight curved edges around (cx, cy), in twips.
ShapePath blob(double cx, double cy, double radius, uint32_t fill, uint32_t line) {
    ShapePath path{0, fill, line, {}};
    constexpr int kSides = 8;
    auto at = [&](double angle, double r) {
        return Point{cx + r * std::cos(angle), cy + r * std::sin(angle)};
    };
    for (int i = 0; i < kSides; ++i) {
        double a0 = 2 * M_PI * i / kSides;
        double a1 = 2 * M_PI * (i + 1) / kSides;
        double wobble = (i % 2) ? 1.25 : 0.9;
        path.edges.push_back(
            {at(a0, radius), at((a0 + a1) / 2, radius * wobble), at(a1, radius), true});
    }
    return path;
}

FillStyle fillFor(int i, double cx, double cy, double radius) {
    FillStyle fill;
    double scale = 2 * radius / 32768;
    switch (i % 4) {
        case 0:
            fill.color =
                Rgba{static_cast<uint8_t>(i * 40), 120, static_cast<uint8_t>(255 - i * 5), 255};
            break;
        case 1:
            fill.kind = FillStyle::Kind::LinearGradient;
            fill.gradient.matrix = Matrix{scale, scale / 3, -scale / 3, scale, cx, cy};
            fill.gradient.stops = {
                {0, {255, 0, 0, 255}}, {128, {255, 255, 0, 200}}, {255, {0, 0, 255, 255}}};
            break;
        case 2:
            fill.kind = FillStyle::Kind::RadialGradient;
            fill.gradient.matrix = Matrix{scale, 0, 0, scale, cx, cy};
            fill.gradient.spread = swf::SpreadMode::Reflect;
            fill.gradient.stops = {{0, {255, 255, 255, 255}}, {255, {0, 90, 0, 255}}};
            break;
        default:
            fill.kind = FillStyle::Kind::Bitmap;
            fill.bitmapId = kBitmapId;
            fill.bitmapMatrix = Matrix{30, 5, -5, 30, cx, cy};
            fill.bitmapSmooth = (i % 8) == 3;
            break;
    }
    return fill;
}

std::vector<Shape> sceneShapes() {
    std::vector<Shape> shapes;
    for (int i = 0; i < 50; ++i) {
        double cx = 20 * (40 + (i * 97) % 480);
        double cy = 20 * (40 + (i * 61) % 320);
        double radius = 20 * (30 + (i * 13) % 50);
        Shape shape;
        shape.fills.push_back(fillFor(i, cx, cy, radius));
        LineStyle line;
        line.width = static_cast<uint16_t>(20 * (i % 5));
        line.color = {0, 0, 0, 255};
        shape.lines.push_back(line);
        shape.paths.push_back(blob(cx, cy, radius, 1, (i % 3) ? 1 : 0));
        shapes.push_back(std::move(shape));
    }
    return shapes;
}

Bitmap texture() {
    Bitmap bitmap;
    bitmap.width = 64;
    bitmap.height = 64;
    bitmap.rgba.resize(64 * 64 * 4);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            uint8_t* p = &bitmap.rgba[static_cast<size_t>(y * 64 + x) * 4];
            p[0] = static_cast<uint8_t>(x * 4);
            p[1] = static_cast<uint8_t>(y * 4);
            p[2] = static_cast<uint8_t>(((x / 8 + y / 8) % 2) * 255);
            p[3] = 255;
        }
    }
    return bitmap;
}

void BM_DrawMixedFrame(benchmark::State& state) {
    Canvas canvas(kWidth, kHeight);
    std::vector<Shape> shapes = sceneShapes();
    Bitmap bitmap = texture();
    swf::BitmapLookup lookup = [&](uint16_t id) -> const Bitmap* {
        return id == kBitmapId ? &bitmap : nullptr;
    };
    Matrix toPixels = Matrix::scale(1 / 20.0, 1 / 20.0);
    Shape maskShape;
    maskShape.fills.push_back(FillStyle{});
    maskShape.paths.push_back(blob(20 * 275, 20 * 200, 20 * 150, 1, 0));
    for (auto _ : state) {
        canvas.clear({255, 255, 255, 255});
        for (size_t i = 0; i < shapes.size(); ++i) {
            if (i == 40) {
                canvas.beginMask();
                canvas.drawShape(maskShape, toPixels, {}, lookup);
                canvas.endMask();
            }
            canvas.drawShape(shapes[i], toPixels, {}, lookup);
        }
        canvas.popMask();
        benchmark::DoNotOptimize(canvas.pixels());
    }
}
BENCHMARK(BM_DrawMixedFrame)->Unit(benchmark::kMillisecond);

// Many small solid shapes, as a page of text draws its glyphs one by one: the fixed cost of
// a draw dominates.
void BM_DrawManySmallShapes(benchmark::State& state) {
    Canvas canvas(kWidth, kHeight);
    Shape glyph;
    FillStyle ink;
    ink.color = {20, 20, 20, 255};
    glyph.fills.push_back(ink);
    glyph.paths.push_back(blob(0, 0, 20 * 4, 1, 0));
    glyph.paths.push_back(blob(0, 0, 20 * 2, 0, 0));
    glyph.paths.back().fill0 = 1;
    swf::BitmapLookup none;
    for (auto _ : state) {
        canvas.clear({255, 255, 255, 255});
        for (int row = 0; row < 40; ++row) {
            for (int column = 0; column < 50; ++column) {
                Matrix toPixels{1 / 20.0, 0, 0, 1 / 20.0, 6 + column * 10.8, 6 + row * 9.8};
                canvas.drawShape(glyph, toPixels, {}, none);
            }
        }
        benchmark::DoNotOptimize(canvas.pixels());
    }
}
BENCHMARK(BM_DrawManySmallShapes)->Unit(benchmark::kMillisecond);

}  // namespace
