// kinetrope info MOVIE.swf: what the header of a movie says, as the converter reads it.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandHelp.h"
#include "cli/CommandLine.h"
#include "cli/MovieDiagnosis.h"
#include "convert/MovieFile.h"
#include "convert/MovieHeader.h"

namespace cli {
namespace {

int ReportUnreadable(const std::string& path, const std::string& reason) {
    ReportUnreadableMovie(path, reason);
    return 1;
}

}  // namespace

int RunInfoCommand(const std::vector<std::string>& args) {
    if (PrintHelpIfAsked("info", args)) return 0;
    for (const std::string& arg : args)
        if (arg.size() > 1 && arg.front() == '-')
            return UsageError("info", "unknown option '" + arg + "'");
    if (args.size() != 1 || args[0].empty())
        return UsageError("info", args.empty() ? "no movie given" : "give exactly one movie");
    const std::string& path = args[0];
    std::string reason;
    const std::optional<MoviePreamble> preamble = ReadMoviePreamble(path, reason);
    if (!preamble) return ReportUnreadable(path, reason);
    convert::MovieHeader header;
    if (convert::ReadSwfHeader(path, header) != 0)
        return ReportUnreadable(path, kDamagedHeaderReason);

    const bool compressed = preamble->signature == "CWS";
    std::printf("File:        %s\n", path.c_str());
    std::printf("Signature:   %s\n", preamble->signature.c_str());
    std::printf("Compressed:  %s\n", compressed ? "yes (zlib)" : "no");
    std::printf("Version:     %d\n", preamble->version);
    std::printf("Width:       %d px\n", header.width);
    std::printf("Height:      %d px\n", header.height);
    std::printf("Frame rate:  %.8g fps\n", header.frameRate);
    std::printf("Frame count: %d\n", header.frameCount);
    return 0;
}

}  // namespace cli
