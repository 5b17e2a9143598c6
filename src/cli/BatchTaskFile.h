#pragma once
// The TASKS file of kinetrope batch: one conversion a line, in the command line's own words
// without the program name ("avi a.swf -o a.avi --codec MJPG"). Blank lines and lines or
// words starting with '#' are comments; "..." keeps a path with spaces in one word (\" and
// \\ inside stand for " and \). Each line is checked before anything runs, so a typo on the
// last line is found before the first conversion starts.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct BatchTask {
    int line = 0;                   // counted from 1
    std::vector<std::string> args;  // the command word first, as written
    std::string command;
    std::string movie;   // as written: relative to the TASKS file's folder
    std::string output;  // the value of -o, as written
    std::string error;   // why the line cannot run; empty when it can
};

class BatchTaskFile {
  public:
    static constexpr size_t kMaxBytes = 16u << 20;
    static constexpr size_t kMaxTasks = 100000;

    // The tasks of the file at `path`, or nothing with `error` when it cannot be read.
    static std::optional<BatchTaskFile> Read(const std::string& path, std::string& error);
    static BatchTaskFile Parse(std::string_view text);

    // The words of one line; nothing with `error` for an unbalanced quote.
    static std::optional<std::vector<std::string>> SplitWords(std::string_view line,
                                                              std::string& error);

    const std::vector<BatchTask>& tasks() const { return tasks_; }
    // The number of lines that cannot run.
    size_t MalformedCount() const;

  private:
    static BatchTask CheckTask(int line, std::vector<std::string> words);

    std::vector<BatchTask> tasks_;
};

}  // namespace cli
