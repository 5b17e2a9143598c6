#include "cli/CommandLine.h"

#include <array>
#include <cstdio>
#include <map>

namespace cli {
namespace {

constexpr const char* kUsage =
    "usage: kinetrope COMMAND MOVIE.swf [options]\n"
    "\n"
    "commands:\n"
    "  info MOVIE.swf                      show the movie's size, frame rate and frame count\n"
    "  snapshot MOVIE.swf --frames N       play N frames headless [--trace FILE]\n"
    "                                      [--capture K=FILE.png ...] (K a frame or 'last')\n"
    "                                      [--render-quality low|medium|high|best]\n"
    "  avi MOVIE.swf -o OUT.avi            convert to an AVI file [--start N] [--end N]\n"
    "                                      [--mode normal|frame|skip] [--size WxH] [--stretch]\n"
    "                                      [--fps 29.97] [--depth 24|32] [--codec FOURCC]\n"
    "                                      [--quality N] [--keyframes N] [--data-rate KB]\n"
    "                                      [--audio none|movie|FILE.wav] [--format 44100:16:2]\n"
    "                                      [--split-mb N] [--play]\n"
    "                                      [--render-quality low|medium|high|best]\n"
    "  wav MOVIE.swf -o OUT.wav            write the movie's sound [--start N] [--end N]\n"
    "                                      [--mode normal|frame|skip] [--format 44100:16:2]\n"
    "  png|tga MOVIE.swf -o OUT.png        convert to numbered images (OUT00.png, OUT01.png, ...)\n"
    "                                      [--start N] [--end N] [--mode normal|frame|skip]\n"
    "                                      [--size WxH] [--stretch] [--depth 24|32]\n"
    "                                      [--render-quality low|medium|high|best]\n";

}  // namespace

std::optional<swf::RenderQuality> ParseRenderQuality(std::string_view text) {
    static constexpr std::array<std::pair<std::string_view, swf::RenderQuality>, 4> kNames = {{
        {"low", swf::RenderQuality::Low},
        {"medium", swf::RenderQuality::Medium},
        {"high", swf::RenderQuality::High},
        {"best", swf::RenderQuality::Best},
    }};
    for (const auto& [name, quality] : kNames)
        if (text == name) return quality;
    return std::nullopt;
}

int RunCommandLine(int argc, char** argv) {
    using Command = int (*)(const std::vector<std::string>&);
    static const std::map<std::string, Command> commands = {
        {"info", RunInfoCommand}, {"snapshot", RunSnapshotCommand}, {"avi", RunAviCommand},
        {"png", RunPngCommand},   {"tga", RunTgaCommand},           {"wav", RunWavCommand},
    };
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string name = argv[1];
    if (name == "-h" || name == "--help" || name == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    auto found = commands.find(name);
    if (found == commands.end()) {
        std::fprintf(stderr, "kinetrope: unknown command '%s'\n\n%s", name.c_str(), kUsage);
        return 2;
    }
    return found->second(std::vector<std::string>(argv + 2, argv + argc));
}

}  // namespace cli
