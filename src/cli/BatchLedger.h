#pragma once
// What became of each task of a batch, wherever it ran: the counts, the progress line and
// the notes on stderr, one JSON line a task in the report, and the summary at the end. The
// report's lines can be read back, so that a batch gathers those of its workers.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "cli/BatchProgress.h"
#include "cli/BatchTaskFile.h"

namespace cli {

struct TaskResult {
    enum class Status { Ok, Failed, Skipped } status = Status::Failed;
    std::optional<int64_t> frames;
    double seconds = 0;
    std::string message;
};

class BatchLedger {
  public:
    static constexpr int kExitFailed = 1;
    static constexpr int kExitCancelled = 130;

    // `tasks` as given on the command line; `total` the tasks the summary counts.
    BatchLedger(const std::string& tasks, std::FILE* report, size_t total);

    // The task's result when its output is there and newer than its movie: skipped, with the
    // frames on disk. This is what lets a rerun go on where a batch stopped.
    std::optional<TaskResult> AlreadyDone(const BatchTask& task) const;
    void Record(const BatchTask& task, const TaskResult& result);
    // From now on the report's lines are held and written at the end in the order of their
    // lines in TASKS, as a batch gathering its workers' reports writes them.
    void HoldReportInOrder() { holdsReport_ = true; }
    void WriteHeldReport();
    // A line of a report: the task's line number and its result; nothing when it is none.
    static std::optional<std::pair<int, TaskResult>> ReadReportLine(std::string_view text);

    // A path of the TASKS file, made absolute against its folder.
    std::filesystem::path Resolve(const std::string& path) const;
    const std::filesystem::path& folder() const { return folder_; }
    BatchProgress& progress() { return progress_; }
    size_t Done() const { return converted_ + skipped_ + failed_; }
    size_t failed() const { return failed_; }

    // Writes a held report, prints "batch: N converted, ..." and returns the exit status.
    int Conclude(bool stopped);

    static std::string_view Trim(std::string_view text);
    // The last line of what a program said, where the reason for a failure is.
    static std::string LastLine(std::string_view text);

  private:
    const std::string tasks_;
    const std::filesystem::path folder_;
    std::FILE* report_;
    const size_t total_;
    BatchProgress progress_;
    size_t converted_ = 0;
    size_t skipped_ = 0;
    size_t failed_ = 0;
    bool holdsReport_ = false;
    std::map<int, std::string> heldReport_;  // by line
};

}  // namespace cli
