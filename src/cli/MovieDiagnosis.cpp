#include "cli/MovieDiagnosis.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "convert/MovieFile.h"
#include "convert/MovieHeader.h"
#include "resources/StringTable.h"

namespace cli {

std::optional<MoviePreamble> ReadMoviePreamble(const std::string& path, std::string& reason) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        reason = "it is a folder";
        return std::nullopt;
    }
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
    MoviePreamble preamble;
    preamble.signature.assign(reinterpret_cast<const char*>(bytes), 3);
    preamble.version = bytes[3];
    if (preamble.signature != "FWS" && preamble.signature != "CWS") {
        reason = "not a Flash movie (it starts with neither FWS nor CWS)";
        return std::nullopt;
    }
    return preamble;
}

std::string DescribeUnreadableMovie(const std::string& path) {
    std::string reason;
    if (!ReadMoviePreamble(path, reason)) return reason;
    convert::MovieHeader header;
    if (convert::ReadSwfHeader(path, header) != 0) return kDamagedHeaderReason;
    return "the movie could not be inflated or copied (damaged data, or no room in the "
           "temporary folder)";
}

void ReportUnreadableMovie(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "%s: %s: %s\n", resources::LoadString(resources::kStrFileOpenError),
                 path.c_str(), reason.c_str());
}

void ReportScriptStop(const swf::MovieContext::ScriptStop* stop) {
    if (!stop) return;
    std::fprintf(stderr, "kinetrope: frame %llu: %s; the script was stopped\n",
                 static_cast<unsigned long long>(stop->tick + 1), stop->reason.c_str());
}

}  // namespace cli
