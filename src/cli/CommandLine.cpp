#include "cli/CommandLine.h"

#include <array>
#include <cstdio>
#include <map>

#include "cli/CommandHelp.h"

namespace cli {

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
        {"batch", RunBatchCommand},
        {"video", RunVideoCommand},
    };
    if (argc < 2) {
        std::fputs(FormatProgramHelp().c_str(), stderr);
        return kExitUsage;
    }
    std::string name = argv[1];
    if (name == "-h" || name == "--help") {
        std::fputs(FormatProgramHelp().c_str(), stdout);
        return 0;
    }
    if (name == "--version") {
        std::fputs(FormatVersion().c_str(), stdout);
        return 0;
    }
    // "kinetrope help avi" is "kinetrope avi --help".
    if (name == "help") {
        if (argc == 2) {
            std::fputs(FormatProgramHelp().c_str(), stdout);
            return 0;
        }
        name = argv[2];
        if (!commands.count(name)) return UsageError("", "unknown command '" + name + "'");
        return commands.at(name)({"--help"});
    }
    auto found = commands.find(name);
    if (found == commands.end())
        return UsageError("", (name.starts_with("-") ? "unknown option '" : "unknown command '") +
                                  name + "'");
    return found->second(std::vector<std::string>(argv + 2, argv + argc));
}

}  // namespace cli
