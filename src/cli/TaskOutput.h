#pragma once
// What a batch task has left on disk: whether its output is there and newer than its movie
// (then a rerun of the batch skips it), and how many frames it holds. An AVI file split into
// parts counts by its first part (OUT0000.avi), an image sequence by its first image (OUT0.png,
// OUT00.png, ... whichever the frame count gave). A video file counts its pictures; a WAV file
// the movie's frames its sound lasts.

#include <filesystem>
#include <optional>
#include <string>

namespace cli {

class TaskOutput {
  public:
    // `output` as the task's -o gives it, resolved against the TASKS file's folder.
    TaskOutput(std::string command, std::filesystem::path output);

    // The file that shows the output is there, if it is.
    std::optional<std::filesystem::path> FirstFile() const;
    // The output is there and was written after the movie was last changed.
    bool NewerThan(const std::filesystem::path& movie) const;
    // The frames in the output; nothing when it cannot be read. `movie` gives a WAV file's
    // frame rate.
    std::optional<int64_t> CountFrames(const std::filesystem::path& movie) const;
    // Removes the output's files changed since `start`, and the scratch files process
    // `writer` had not yet put in their place (any process's when `writer` is 0): what a task
    // that crashed or was killed left. Returns how many went.
    int RemoveWrittenSince(std::filesystem::file_time_type start, int writer) const;

  private:
    bool IsImages() const { return command_ == "png" || command_ == "tga"; }
    // The sequence's digit count found on disk, or 0.
    int ImageDigits() const;

    std::string command_;
    std::filesystem::path output_;
};

}  // namespace cli
