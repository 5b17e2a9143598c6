// make-bench-movie OUT.swf [--size WxH] [--frames N] [--shapes N] [--new-shape-each-frame]
// [--compressed]: writes the movie the conversion benchmarks time: a gradient backdrop under
// gradient ellipses (12 unless told) that move and turn every frame, 30 frames a second. With
// --new-shape-each-frame every frame also defines a shape of its own and puts it in place of the
// last one, so that the file grows with its length as cartoons do.
#include <charconv>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "support/SwfWriter.h"

namespace {

using namespace swftest;

struct Options {
    std::string output;
    int width = 640;
    int height = 480;
    int frames = 150;
    int shapes = 12;
    bool newShapeEachFrame = false;
    bool compressed = false;
};

bool ParseNumber(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value > 0;
}

bool ParseArgs(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--size" && hasValue) {
            const std::string_view size = argv[++i];
            const size_t x = size.find('x');
            if (x == std::string_view::npos || !ParseNumber(size.substr(0, x), options.width) ||
                !ParseNumber(size.substr(x + 1), options.height))
                return false;
        } else if (arg == "--frames" && hasValue) {
            if (!ParseNumber(argv[++i], options.frames) || options.frames > 16000) return false;
        } else if (arg == "--shapes" && hasValue) {
            if (!ParseNumber(argv[++i], options.shapes) || options.shapes > 90) return false;
        } else if (arg == "--new-shape-each-frame") {
            options.newShapeEachFrame = true;
        } else if (arg == "--compressed") {
            options.compressed = true;
        } else if (options.output.empty() && !arg.starts_with("-")) {
            options.output = arg;
        } else {
            return false;
        }
    }
    return !options.output.empty();
}

uint8_t Channel(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}

void WriteMovie(const Options& options) {
    const int32_t width = px(options.width);
    const int32_t height = px(options.height);
    SwfWriter movie;
    movie.frameSizePixels(options.width, options.height).frameRate(30);
    movie.compressed(options.compressed).setBackgroundColor({250, 248, 240});
    ShapeBuilder backdrop;
    backdrop
        .fill1(backdrop.addFill(
            FillStyle::linearGradient(Matrix::gradientBox(0, 0, width, height),
                                      {{0, {40, 90, 160}}, {255, {230, 200, 120}}})))
        .rectangle(0, 0, width, height);
    movie.defineShape(1, backdrop).place(1, 1);

    const auto kBalls = static_cast<uint16_t>(options.shapes);
    for (uint16_t i = 0; i < kBalls; ++i) {
        const int32_t rx = width / 8 + px(i % 8 * 6), ry = height / 8 + px(i % 6 * 4);
        ShapeBuilder ball;
        ball
            .fill1(ball.addFill(FillStyle::radialGradient(
                Matrix::gradientBox(-rx, -ry, 2 * rx, 2 * ry),
                {{0, {255, 255, 255}}, {255, {Channel(i * 40), 60, Channel(200 - i * 30), 200}}})))
            .ellipse(0, 0, rx, ry);
        movie.defineShape(static_cast<uint16_t>(2 + i), ball).place(2 + i, 2 + i);
    }
    constexpr uint16_t kFrameShapeDepth = 20;
    constexpr uint16_t kFirstFrameShape = 100;
    for (int frame = 0; frame < options.frames; ++frame) {
        for (uint16_t i = 0; i < kBalls; ++i) {
            const int32_t x = (width / 8 + px(frame * 7 + i * 53)) % width;
            const int32_t y = height / 8 + (height * 3 / 4) * (i % 12) / 12;
            movie.move(2 + i, Matrix::scaleRotate(1, 1, frame * 3.0 + i * 20, x, y));
        }
        if (options.newShapeEachFrame) {
            // Ids wrap below 65536; a frame's shape replaces the one before it.
            const auto id = static_cast<uint16_t>(kFirstFrameShape + frame % 60000);
            ShapeBuilder star;
            star.fill1(star.addFill(FillStyle::linearGradient(
                           Matrix::gradientBox(0, 0, px(80), px(80)),
                           {{0, {Channel(frame), 120, 40}}, {255, {20, Channel(frame * 3), 200}}})))
                .rectangle(0, 0, px(40 + frame % 40), px(80 - frame % 40));
            // Rings of small ellipses give each frame's shape the size of a drawn one.
            for (int dot = 0; dot < 24; ++dot)
                star.ellipse(px(dot * 5), px((dot * frame) % 60), px(3 + dot % 4),
                             px(2 + frame % 5));
            movie.defineShape(id, star);
            if (frame > 0) movie.removeObject2(kFrameShapeDepth);
            movie.place(id, kFrameShapeDepth,
                        Matrix::translation(px(frame % options.width), px(frame % options.height)));
        }
        movie.showFrame();
    }
    movie.writeFile(options.output);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseArgs(argc, argv, options)) {
        std::fputs(
            "usage: make-bench-movie OUT.swf [--size WxH] [--frames N] [--shapes N]\n"
            "                        [--new-shape-each-frame] [--compressed]\n",
            stderr);
        return 2;
    }
    try {
        WriteMovie(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-bench-movie: %s\n", error.what());
        return 1;
    }
    return 0;
}
