// kinetrope snapshot MOVIE.swf --frames N [--trace FILE] [--capture K=FILE.png ...]
//                    [--input FILE] [--autoplay] [--render-quality low|medium|high|best]
//                    [--size WxH]
// Plays a movie headless: it shows its first frame on loading, then advances one frame at a
// time with no waiting, until N frames have been shown or the movie asks to quit. Scripted
// input of a frame is delivered once the frame has been shown, before its captures are
// taken. With --size the stage is shown in a view of that size as the player shows it: in
// the movie's scale mode (show all unless it sets Stage.scaleMode) where Stage.align puts
// it. A capture that cannot be written makes the exit status 1; scripts stopped as runaways
// are named on stderr with their frame.

#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandHelp.h"
#include "cli/CommandLine.h"
#include "cli/InputScript.h"
#include "cli/MovieDiagnosis.h"
#include "convert/BitmapInfoHeader.h"
#include "convert/PngWriter.h"
#include "swf/player/Player.h"

namespace cli {
namespace {

struct SnapshotOptions {
    std::string movie;
    long frames = 0;
    std::optional<std::string> tracePath;
    std::multimap<long, std::string> captures;  // frame (1-based) -> file
    std::vector<std::string> lastCaptures;
    std::optional<std::string> inputPath;
    bool autoplay = false;
    swf::RenderQuality quality = swf::RenderQuality::High;
    int viewWidth = 0;  // 0: the movie's own size
    int viewHeight = 0;
};

std::optional<long> ParseCount(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    return std::stol(text);
}

// "WxH", each side from 1 to the largest view side.
bool ParseViewSize(const std::string& text, int& width, int& height) {
    size_t x = text.find('x');
    if (x == std::string::npos) return false;
    auto w = ParseCount(text.substr(0, x)), h = ParseCount(text.substr(x + 1));
    if (!w || !h || *w < 1 || *h < 1 || *w > swf::Player::kMaxViewSide ||
        *h > swf::Player::kMaxViewSide)
        return false;
    width = static_cast<int>(*w);
    height = static_cast<int>(*h);
    return true;
}

// On a usage error `error` says what is wrong.
std::optional<SnapshotOptions> ParseOptions(const std::vector<std::string>& args,
                                            std::string& error) {
    SnapshotOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool hasValue = i + 1 < args.size();
        if (arg == "--autoplay") {
            options.autoplay = true;
        } else if (arg == "--frames" || arg == "--trace" || arg == "--capture" ||
                   arg == "--input" || arg == "--render-quality" || arg == "--size") {
            if (!hasValue) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            const std::string& value = args[++i];
            if (arg == "--frames") {
                auto count = ParseCount(value);
                if (!count || *count < 1) {
                    error = "--frames needs a whole number of at least 1";
                    return std::nullopt;
                }
                options.frames = *count;
            } else if (arg == "--trace") {
                options.tracePath = value;
            } else if (arg == "--size") {
                if (!ParseViewSize(value, options.viewWidth, options.viewHeight)) {
                    error = "--size needs WIDTHxHEIGHT in pixels, 1 to 16384 each";
                    return std::nullopt;
                }
            } else if (arg == "--input") {
                options.inputPath = value;
            } else if (arg == "--render-quality") {
                auto quality = ParseRenderQuality(value);
                if (!quality) {
                    error = "--render-quality needs low, medium, high or best";
                    return std::nullopt;
                }
                options.quality = *quality;
            } else {
                size_t equals = value.find('=');
                if (equals == std::string::npos || equals + 1 == value.size()) {
                    error = "--capture needs K=FILE.png";
                    return std::nullopt;
                }
                std::string frame = value.substr(0, equals);
                std::string file = value.substr(equals + 1);
                if (frame == "last") {
                    options.lastCaptures.push_back(file);
                } else if (auto k = ParseCount(frame); k && *k >= 1) {
                    options.captures.emplace(*k, file);
                } else {
                    error = "--capture frame must be a number from 1 or 'last'";
                    return std::nullopt;
                }
            }
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown option '" + arg + "'";
            return std::nullopt;
        } else if (options.movie.empty()) {
            options.movie = arg;
        } else {
            error = "more than one movie given";
            return std::nullopt;
        }
    }
    if (options.movie.empty()) error = "no movie given";
    if (options.frames == 0 && error.empty()) error = "--frames is required";
    if (!error.empty()) return std::nullopt;
    return options;
}

// Writes the view as the player shows it (the movie's own size unless --size gave one).
bool CapturePng(const swf::Player& player, const std::string& path) {
    int width = player.ViewWidth(), height = player.ViewHeight();
    if (!swf::Player::ViewSizeAllowed(width, height)) {
        std::fprintf(stderr, "kinetrope: %s: a stage of %d x %d pixels cannot be captured\n",
                     path.c_str(), width, height);
        return false;
    }
    convert::BitmapInfoHeader header;
    header.size = convert::kBitmapInfoHeaderSize;
    header.width = width;
    header.height = height;
    header.planes = 1;
    header.bitCount = 24;
    size_t stride = convert::DibStride(static_cast<uint32_t>(width), 24);
    std::vector<uint8_t> pixels(stride * static_cast<size_t>(height));
    swf::DrawTarget target{pixels.data(), stride, 24, true};
    if (!player.Draw(target)) {
        std::fprintf(stderr, "kinetrope: %s: the frame could not be drawn\n", path.c_str());
        return false;
    }
    if (!convert::WritePngFile(path, header, pixels, false)) {
        std::fprintf(stderr, "kinetrope: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int RunSnapshotCommand(const std::vector<std::string>& args) {
    if (PrintHelpIfAsked("snapshot", args)) return 0;
    std::string error;
    auto options = ParseOptions(args, error);
    if (!options) return UsageError("snapshot", error);

    std::optional<InputScript> input;
    if (options->inputPath) {
        input = InputScript::Read(*options->inputPath, error);
        if (!input) {
            std::fprintf(stderr, "kinetrope snapshot: %s\n", error.c_str());
            return 1;
        }
        for (const std::string& warning : input->Warnings())
            std::fprintf(stderr, "kinetrope snapshot: %s\n", warning.c_str());
    }

    std::ofstream trace;
    if (options->tracePath) {
        trace.open(*options->tracePath, std::ios::binary | std::ios::trunc);
        if (!trace) {
            std::fprintf(stderr, "kinetrope: cannot write %s\n", options->tracePath->c_str());
            return 1;
        }
    }

    swf::Player player;
    player.SetTraceSink([&trace](const std::string& line) {
        if (trace.is_open()) trace << line << '\n';
    });
    player.SetAutoplay(options->autoplay);
    player.SetRenderQuality(options->quality);
    if (options->viewWidth > 0) player.SetViewSize(options->viewWidth, options->viewHeight);
    if (input) player.SetScriptedInput(input->Frames());
    if (!player.LoadMovie(options->movie)) {
        std::fprintf(stderr, "kinetrope: cannot play %s: %s\n", options->movie.c_str(),
                     player.LoadError().c_str());
        return 1;
    }

    // A capture that cannot be written fails the run; the others are still taken.
    bool captured = true;
    auto captureFrame = [&](long frame) {
        auto [first, last] = options->captures.equal_range(frame);
        for (auto it = first; it != last; ++it) captured &= CapturePng(player, it->second);
    };
    long shown = 1;
    captureFrame(shown);
    while (shown < options->frames && !player.QuitRequested()) {
        player.advanceFrame();
        ++shown;
        captureFrame(shown);
    }
    for (const std::string& path : options->lastCaptures) captured &= CapturePng(player, path);
    // Frames after a quit are never shown: their captures are missing, and that is a failure.
    if (auto missing = options->captures.upper_bound(shown); missing != options->captures.end()) {
        std::fprintf(stderr,
                     "kinetrope: the movie quit after frame %ld; frame %ld was not shown, so %s "
                     "was not written\n",
                     shown, missing->first, missing->second.c_str());
        captured = false;
    }
    ReportScriptStop(player.FirstScriptStop());
    return captured ? 0 : 1;
}

}  // namespace cli
