#include "FfmpegMovies.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace videotest {

namespace fs = std::filesystem;

std::string ReadCommand(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[1 << 16];
        for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, got);
        pclose(pipe);
    }
    return output;
}

std::string WriteTestPicture(const fs::path& file, const std::string& codec,
                             const std::string& options, const std::string& size) {
    return ReadCommand("ffmpeg -v error -y -f lavfi -i testsrc=size=" + size +
                       ":rate=12 -frames:v 24 -c:v " + codec + " " + options + " '" +
                       file.string() + "' 2>&1");
}

std::string DecodeRgb(const fs::path& file, const std::string& pixelFormat) {
    // The float inverse DCT, as the player's H.263 decoder has it.
    return ReadCommand("ffmpeg -v error -idct faani -i '" + file.string() + "' -f rawvideo -pix_fmt " +
                       pixelFormat + " -");
}

TempFolder::TempFolder() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    // A parameterised test's name holds a slash; the folder stays one level deep.
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    std::replace(name.begin(), name.end(), '/', '-');
    path_ = fs::temp_directory_path() / ("kt-video-" + std::to_string(getpid()) + "-" + name);
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

}  // namespace videotest
