#pragma once
// Why a movie cannot be opened, in words for the command line: the converter's own readers
// only say that they failed.

#include <optional>
#include <string>

#include "swf/display/MovieContext.h"

namespace cli {

// The bytes before the frame rectangle: signature and version.
struct MoviePreamble {
    std::string signature;  // "FWS" or "CWS"
    int version = 0;
};

// The movie's preamble, or nullopt with `reason` saying what is wrong with the file.
std::optional<MoviePreamble> ReadMoviePreamble(const std::string& path, std::string& reason);

// The reason given when a movie's preamble reads but its header does not.
inline constexpr const char* kDamagedHeaderReason = "the movie header is damaged or cut short";

// What is wrong with a movie the converter could not open.
std::string DescribeUnreadableMovie(const std::string& path);

// Prints "File Open Error: PATH: REASON" on standard error.
void ReportUnreadableMovie(const std::string& path, const std::string& reason);

// Says on standard error that the movie's scripts were stopped as runaways and in which
// frame; nothing without a stop.
void ReportScriptStop(const swf::MovieContext::ScriptStop* stop);

}  // namespace cli
