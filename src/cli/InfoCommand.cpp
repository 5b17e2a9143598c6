// kinetrope info MOVIE.swf: what the header of a movie says, as the converter reads it.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "convert/MovieFile.h"
#include "convert/MovieHeader.h"
#include "resources/StringTable.h"

namespace cli {
namespace {

constexpr const char* kInfoUsage = "usage: kinetrope info MOVIE.swf\n";

// The bytes before the frame rectangle: signature, version and file length.
struct Preamble {
    std::string signature;
    int version = 0;
};

// On failure `reason` says what is wrong with the file.
std::optional<Preamble> ReadPreamble(const std::string& path, std::string& reason) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        reason = std::strerror(errno);
        return std::nullopt;
    }
    unsigned char bytes[8];
    const size_t count = std::fread(bytes, 1, sizeof bytes, file);
    const int readError = std::ferror(file) ? errno : 0;
    std::fclose(file);
    if (readError != 0) {
        reason = std::strerror(readError);
        return std::nullopt;
    }
    if (count < sizeof bytes) {
        reason = "the file is too short to be a Flash movie";
        return std::nullopt;
    }
    Preamble preamble;
    preamble.signature.assign(reinterpret_cast<const char*>(bytes), 3);
    preamble.version = bytes[3];
    if (preamble.signature != "FWS" && preamble.signature != "CWS") {
        reason = "not a Flash movie (it starts with neither FWS nor CWS)";
        return std::nullopt;
    }
    return preamble;
}

int ReportUnreadable(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "%s: %s: %s\n", resources::LoadString(resources::kStrFileOpenError),
                 path.c_str(), reason.c_str());
    return 1;
}

}  // namespace

int RunInfoCommand(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty() || args[0].front() == '-') {
        std::fputs(kInfoUsage, stderr);
        return 2;
    }
    const std::string& path = args[0];
    std::string reason;
    const std::optional<Preamble> preamble = ReadPreamble(path, reason);
    if (!preamble) return ReportUnreadable(path, reason);
    convert::MovieHeader header;
    if (convert::ReadSwfHeader(path, header) != 0)
        return ReportUnreadable(path, "the movie header is damaged or cut short");

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
