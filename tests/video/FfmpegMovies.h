// What the video tests share: FFmpeg's test picture written as a movie or FLV file of a
// codec, FFmpeg's own decode of it to compare against, and a folder for each test's files.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace videotest {

// FFmpeg's test picture as the tests write it: 24 frames of 160 by 120 at 12 a second.
constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr int kFrames = 24;
constexpr size_t kFrameBytes = size_t{kWidth} * kHeight * 3;

// The standard output of a shell command; empty when it cannot run.
std::string ReadCommand(const std::string& command);

// Writes FFmpeg's test picture of `size` to `file` (its name picks the container) with
// `codec` and extra encoder `options`; returns what FFmpeg printed, empty on success.
std::string WriteTestPicture(const std::filesystem::path& file, const std::string& codec,
                             const std::string& options = "",
                             const std::string& size = "160x120");

// FFmpeg's own decode of `file`: its pictures in `pixelFormat`, one after the other.
std::string DecodeRgb(const std::filesystem::path& file, const std::string& pixelFormat = "rgb24");

// A folder of its own for the running test's files, removed after.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace videotest
