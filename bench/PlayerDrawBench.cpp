// Player::Draw on a written movie: shapes with solid and gradient fills and outlines, half
// of them under a clip layer, drawn into a 24-bit frame as a conversion does, at the movie's
// size and at 1920 x 1080. A busy frame of fifty shapes, and a quiet one of four where the
// fixed cost of a frame shows.

#include <benchmark/benchmark.h>

#include <vector>

#include "support/SwfWriter.h"
#include "swf/player/Player.h"

namespace {

namespace st = swftest;

st::FillStyle fillFor(int i) {
    st::Matrix square = st::Matrix::scaling(0.1, 0.1);
    switch (i % 3) {
        case 0:
            return st::FillStyle::solid(
                {static_cast<uint8_t>(i * 40), 120, static_cast<uint8_t>(255 - i * 5)});
        case 1:
            return st::FillStyle::linearGradient(
                square, {{0, {255, 0, 0}}, {128, {255, 255, 0}}, {255, {0, 0, 255}}});
        default:
            return st::FillStyle::radialGradient(square, {{0, {255, 255, 255}}, {255, {0, 90, 0}}});
    }
}

std::vector<uint8_t> sceneMovie(int shapes) {
    st::SwfWriter movie;
    movie.frameSizePixels(550, 400).setBackgroundColor({255, 255, 255});
    st::ShapeBuilder mask;
    mask.fill1(mask.addFill(st::FillStyle::solid({0, 0, 0})))
        .ellipse(st::px(275), st::px(200), st::px(200), st::px(150));
    movie.defineShape(1, mask);
    movie.placeObject2({.depth = 30, .character = 1, .clipDepth = 100});
    for (int i = 0; i < shapes; ++i) {
        st::ShapeBuilder blob;
        int fill = blob.addFill(fillFor(i));
        int line =
            blob.addLine(st::LineStyle::solid(static_cast<uint16_t>(20 * (i % 5)), {0, 0, 0}));
        int radius = 20 * (30 + (i * 13) % 50);
        blob.fill1(fill).line(i % 3 ? line : 0).ellipse(0, 0, radius, radius * 3 / 4);
        auto id = static_cast<uint16_t>(10 + i);
        movie.defineShape(id, blob);
        int x = 20 * (40 + (i * 97) % 480);
        int y = 20 * (40 + (i * 61) % 320);
        movie.placeObject2({.depth = static_cast<uint16_t>(i < shapes / 2 ? i + 1 : i + 31),
                            .character = id,
                            .matrix = st::Matrix::translation(x, y)});
    }
    movie.showFrame();
    return movie.bytes();
}

void drawFrames(benchmark::State& state, int width, int height, int shapes) {
    std::vector<uint8_t> bytes = sceneMovie(shapes);
    swf::Player player;
    if (!player.LoadMovieFromMemory(bytes)) {
        state.SkipWithError("the movie did not load");
        return;
    }
    player.SetViewSize(width, height);
    size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> frame(stride * static_cast<size_t>(height));
    for (auto _ : state) {
        player.Draw({frame.data(), stride, 24, true});
        benchmark::DoNotOptimize(frame.data());
    }
}

void BM_PlayerDrawBusyAtMovieSize(benchmark::State& state) {
    drawFrames(state, 550, 400, 50);
}
BENCHMARK(BM_PlayerDrawBusyAtMovieSize)->Unit(benchmark::kMillisecond);

void BM_PlayerDrawBusyFullHd(benchmark::State& state) {
    drawFrames(state, 1920, 1080, 50);
}
BENCHMARK(BM_PlayerDrawBusyFullHd)->Unit(benchmark::kMillisecond);

void BM_PlayerDrawQuietAtMovieSize(benchmark::State& state) {
    drawFrames(state, 550, 400, 4);
}
BENCHMARK(BM_PlayerDrawQuietAtMovieSize)->Unit(benchmark::kMillisecond);

void BM_PlayerDrawQuietFullHd(benchmark::State& state) {
    drawFrames(state, 1920, 1080, 4);
}
BENCHMARK(BM_PlayerDrawQuietFullHd)->Unit(benchmark::kMillisecond);

}  // namespace
