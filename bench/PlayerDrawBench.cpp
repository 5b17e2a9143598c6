// Player::Draw set against WritePngFile for the same frame, each at 640 x 480 and at
// 1920 x 1080: the bundled sample movie; a heavy movie of three hundred shapes with gradient
// fills and outlines, half of them under a clip layer, covering the stage about two and a half
// times over; a crowded one, the same with shapes twice as large, covering it ten times
// over; and a filtered one, a hundred shapes each blurred, glowing or casting a blurred
// shadow through a layer of its own. The benchmark's time is the draw alone; the counters give the PNG write of that frame
// and draw / PNG, which should stay well under 1 so that rendering does not slow an image
// sequence down. Beside them, the draw of each frame of the movie bench/compare-ffmpeg.sh
// converts.

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "convert/FrameBuffer.h"
#include "convert/PngWriter.h"
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

// Shapes of radii from minRadius to minRadius + radiusRange - 1 pixels.
std::vector<uint8_t> shapesMovie(int shapes, int minRadius, int radiusRange) {
    st::SwfWriter movie;
    movie.frameSizePixels(550, 400).setBackgroundColor({255, 255, 255});
    st::ShapeBuilder mask;
    mask.fill1(mask.addFill(st::FillStyle::solid({0, 0, 0})))
        .ellipse(st::px(275), st::px(200), st::px(200), st::px(150));
    movie.defineShape(1, mask);
    movie.placeObject2({.depth = 1000, .character = 1, .clipDepth = 2000});
    for (int i = 0; i < shapes; ++i) {
        st::ShapeBuilder blob;
        int fill = blob.addFill(fillFor(i));
        int line =
            blob.addLine(st::LineStyle::solid(static_cast<uint16_t>(20 * (i % 5)), {0, 0, 0}));
        int radius = 20 * (minRadius + (i * 13) % radiusRange);
        blob.fill1(fill).line(i % 3 ? line : 0).ellipse(0, 0, radius, radius * 3 / 4);
        auto id = static_cast<uint16_t>(10 + i);
        movie.defineShape(id, blob);
        int x = 20 * (40 + (i * 97) % 480);
        int y = 20 * (40 + (i * 61) % 320);
        movie.placeObject2({.depth = static_cast<uint16_t>(i < shapes / 2 ? i + 1 : i + 1001),
                            .character = id,
                            .matrix = st::Matrix::translation(x, y)});
    }
    movie.showFrame();
    return movie.bytes();
}

// A filter list of one filter: blur, glow or drop shadow by `kind` (0, 1, 2), blurred
// `blur` pixels each way, at quality 2.
std::vector<uint8_t> oneFilter(int kind, uint8_t blur) {
    // Byte by byte: GCC 12 takes vector::insert of a short list here for an overflow.
    std::vector<uint8_t> list;
    auto add = [&list](std::initializer_list<uint8_t> bytes) {
        for (uint8_t byte : bytes) list.push_back(byte);
    };
    auto fixed = [&add](uint8_t whole) { add({0, 0, whole, 0}); };
    add({1});
    if (kind == 0) {
        add({1});
        fixed(blur);
        fixed(blur);
        add({2 << 3});
        return list;
    }
    add({static_cast<uint8_t>(kind == 1 ? 2 : 0)});  // glow, drop shadow
    add({0, 40, 200, 255});
    fixed(blur);
    fixed(blur);
    if (kind == 2) {
        add({0x0F, 0xC9, 0, 0});  // 45 degrees in radians
        fixed(6);
    }
    add({0, 2, 0x20 | 2});  // strength 2, the object shown, quality 2
    return list;
}

std::vector<uint8_t> filteredMovie(int shapes) {
    st::SwfWriter movie;
    movie.version(8).frameSizePixels(550, 400).setBackgroundColor({255, 255, 255});
    for (int i = 0; i < shapes; ++i) {
        st::ShapeBuilder blob;
        int radius = 20 * (10 + (i * 13) % 30);
        blob.fill1(blob.addFill(fillFor(i))).ellipse(0, 0, radius, radius * 3 / 4);
        auto id = static_cast<uint16_t>(10 + i);
        movie.defineShape(id, blob);
        movie.placeObject3({.depth = static_cast<uint16_t>(i + 1),
                            .character = id,
                            .matrix = st::Matrix::translation(20 * (40 + (i * 97) % 480),
                                                              20 * (40 + (i * 61) % 320)),
                            .filters = oneFilter(i % 3, static_cast<uint8_t>(4 + i % 12))});
    }
    movie.showFrame();
    return movie.bytes();
}

std::vector<uint8_t> movieFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void drawAgainstPng(benchmark::State& state, const std::vector<uint8_t>& movie) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    swf::Player player;
    convert::FrameBuffer frame;
    if (!player.LoadMovieFromMemory(movie) || !frame.Create(width, height, 24)) {
        state.SkipWithError("the movie did not load");
        return;
    }
    // A frame from the middle of the movie, where the sample has everything on stage.
    for (int tick = 0; tick < 60; ++tick) player.advanceFrame();
    player.SetViewSize(width, height);
    const std::string png =
        (std::filesystem::temp_directory_path() / "kinetrope-bench-frame.png").string();

    using Clock = std::chrono::steady_clock;
    double drawSeconds = 0;
    double pngSeconds = 0;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        player.Draw({frame.bits(), frame.stride(), 24, true});
        Clock::time_point drawn = Clock::now();
        if (!convert::WritePngFile(png, frame.header(), frame.pixels(), false)) {
            state.SkipWithError("the PNG could not be written");
            break;
        }
        Clock::time_point written = Clock::now();
        double draw = std::chrono::duration<double>(drawn - start).count();
        state.SetIterationTime(draw);
        drawSeconds += draw;
        pngSeconds += std::chrono::duration<double>(written - drawn).count();
    }
    std::filesystem::remove(png);
    if (pngSeconds > 0) {
        double iterations = static_cast<double>(state.iterations());
        state.counters["png_ms"] = 1000 * pngSeconds / iterations;
        state.counters["draw/png"] = drawSeconds / pngSeconds;
    }
}

void BM_SampleMovieDrawAgainstPng(benchmark::State& state) {
    static const std::vector<uint8_t> movie = movieFile(KT_SAMPLE_MOVIE);
    drawAgainstPng(state, movie);
}

void BM_HeavyMovieDrawAgainstPng(benchmark::State& state) {
    static const std::vector<uint8_t> movie = shapesMovie(300, 12, 29);
    drawAgainstPng(state, movie);
}

void BM_CrowdedMovieDrawAgainstPng(benchmark::State& state) {
    static const std::vector<uint8_t> movie = shapesMovie(300, 30, 50);
    drawAgainstPng(state, movie);
}

void BM_FilteredMovieDrawAgainstPng(benchmark::State& state) {
    static const std::vector<uint8_t> movie = filteredMovie(100);
    drawAgainstPng(state, movie);
}

// This thread's processor time: on a machine busy with other work, what a draw costs.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// One frame after another, each iteration the next, drawn as a conversion draws them: the
// time is the draw's processor time alone, averaged over the movie's frames as it loops.
void BM_BenchMovieFrameDraw(benchmark::State& state) {
    static const std::vector<uint8_t> movie = movieFile(KT_BENCH_MOVIE);
    swf::Player player;
    convert::FrameBuffer frame;
    if (!player.LoadMovieFromMemory(movie) || !frame.Create(640, 480, 24)) {
        state.SkipWithError("the movie did not load");
        return;
    }
    for (auto _ : state) {
        player.advanceFrame();
        double start = threadSeconds();
        player.Draw({frame.bits(), frame.stride(), 24, true});
        state.SetIterationTime(threadSeconds() - start);
    }
}

BENCHMARK(BM_BenchMovieFrameDraw)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SampleMovieDrawAgainstPng)
    ->Args({640, 480})
    ->Args({1920, 1080})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeavyMovieDrawAgainstPng)
    ->Args({640, 480})
    ->Args({1920, 1080})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CrowdedMovieDrawAgainstPng)
    ->Args({640, 480})
    ->Args({1920, 1080})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilteredMovieDrawAgainstPng)
    ->Args({640, 480})
    ->Args({1920, 1080})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
