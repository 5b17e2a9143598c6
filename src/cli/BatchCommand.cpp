// kinetrope batch TASKS [--jobs N] [--report FILE.jsonl] [--keep-going]: runs the conversions
// a TASKS file lists, several at once, each as a child process of this program run in the
// TASKS file's folder, and skips those whose output is already there and newer than the movie,
// so that a stopped batch goes on where it stopped.

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/BatchProgress.h"
#include "cli/BatchTaskFile.h"
#include "cli/CommandHelp.h"
#include "cli/CommandLine.h"
#include "cli/TaskOutput.h"
#include "cli/TaskProcess.h"

namespace cli {
namespace {

constexpr int kExitFailed = 1;
constexpr int kExitCancelled = 130;
constexpr int kMaxJobs = 256;

struct BatchOptions {
    std::string tasks;
    int jobs = 1;
    std::string report;
    bool keepGoing = false;
};

std::optional<BatchOptions> ParseBatchOptions(const std::vector<std::string>& args,
                                              std::string& error) {
    BatchOptions options;
    options.jobs = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxJobs);
    for (size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--keep-going") {
            options.keepGoing = true;
        } else if (arg == "--jobs" || arg == "--report") {
            if (i + 1 == args.size()) {
                error = arg + " needs a value";
            } else if (arg == "--report") {
                options.report = args[++i];
            } else {
                const std::string& value = args[++i];
                int jobs = 0;
                const auto [end, failed] =
                    std::from_chars(value.data(), value.data() + value.size(), jobs);
                if (failed != std::errc() || end != value.data() + value.size() || jobs < 1 ||
                    jobs > kMaxJobs)
                    error = "--jobs needs a number from 1 to " + std::to_string(kMaxJobs) +
                            ", not '" + value + "'";
                options.jobs = jobs;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
        } else if (options.tasks.empty()) {
            options.tasks = arg;
        } else {
            error = "more than one TASKS file given";
        }
    }
    if (error.empty() && options.tasks.empty()) error = "no TASKS file given";
    if (!error.empty()) return std::nullopt;
    return options;
}

std::atomic<int> stopSignal{0};

void OnStopSignal(int signal) {
    stopSignal = signal;
}

// Ctrl+C and SIGTERM stop the batch, which cancels its running tasks, while it runs. Exit
// statuses are kept for the batch to collect, whatever SIGCHLD was set to.
class StopSignals {
  public:
    StopSignals() {
        stopSignal = 0;
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &interrupt_);
        sigaction(SIGTERM, &action, &terminate_);
        struct sigaction standard {};
        standard.sa_handler = SIG_DFL;
        sigemptyset(&standard.sa_mask);
        sigaction(SIGCHLD, &standard, &child_);
    }
    ~StopSignals() {
        sigaction(SIGINT, &interrupt_, nullptr);
        sigaction(SIGTERM, &terminate_, nullptr);
        sigaction(SIGCHLD, &child_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    struct sigaction interrupt_ {};
    struct sigaction terminate_ {};
    struct sigaction child_ {};
};

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

struct TaskResult {
    enum class Status { Ok, Failed, Skipped } status = Status::Failed;
    std::optional<int64_t> frames;
    double seconds = 0;
    std::string message;
};

class BatchRun {
  public:
    BatchRun(const BatchOptions& options, const BatchTaskFile& file, std::FILE* report)
        : options_(options),
          tasks_(file.tasks()),
          folder_(TasksFolder(options.tasks)),
          report_(report),
          progress_(stderr, file.tasks().size()) {}

    // The malformed lines, each said with its line number; true when the rest may run.
    bool ReportMalformed() {
        for (const BatchTask& task : tasks_) {
            if (task.error.empty()) continue;
            TaskResult result;
            result.message = "line " + std::to_string(task.line) + ": " + task.error;
            Record(task, result);
        }
        return failed_ == 0 || options_.keepGoing;
    }

    void Run() {
        StopSignals signals;
        std::vector<std::pair<const BatchTask*, std::unique_ptr<TaskProcess>>> running;
        size_t next = 0;
        while (true) {
            if (stopSignal != 0 && !stopped_) {
                stopped_ = true;
                progress_.Note("kinetrope batch: stopping; the running tasks are cancelled");
                for (auto& entry : running) entry.second->Interrupt();
            }
            while (!stopped_ && !(failed_ > 0 && !options_.keepGoing) &&
                   running.size() < static_cast<size_t>(options_.jobs) && next < tasks_.size()) {
                const BatchTask& task = tasks_[next++];
                if (!task.error.empty()) continue;
                if (TaskOutput(task.command, Resolve(task.output)).NewerThan(Resolve(task.movie))) {
                    TaskResult result;
                    result.status = TaskResult::Status::Skipped;
                    result.frames = TaskOutput(task.command, Resolve(task.output))
                                        .CountFrames(Resolve(task.movie));
                    result.message = "the output is newer than the movie";
                    Record(task, result);
                    continue;
                }
                auto process = std::make_unique<TaskProcess>();
                std::string error;
                if (!process->Start(task.args, folder_.string(), error)) {
                    TaskResult result;
                    result.message = error;
                    Record(task, result);
                    continue;
                }
                running.emplace_back(&task, std::move(process));
            }
            if (running.empty()) break;
            progress_.Update(Done(), running.size(), failed_);

            std::vector<pollfd> fds;
            for (auto& entry : running)
                if (entry.second->outputFd() >= 0)
                    fds.push_back({entry.second->outputFd(), POLLIN, 0});
            // Short waits: a child may end with its pipe held open by a program it started.
            poll(fds.data(), fds.size(), 100);
            for (auto entry = running.begin(); entry != running.end();) {
                entry->second->ReadOutput();
                if (!entry->second->Finished()) {
                    ++entry;
                    continue;
                }
                Finish(*entry->first, *entry->second);
                entry = running.erase(entry);
                progress_.TaskEnded(Done(), running.size(), failed_);
            }
        }
        progress_.Finish();
        if (!stopped_ && failed_ > 0 && !options_.keepGoing && next < tasks_.size())
            progress_.Note("kinetrope batch: stopped after a failure; --keep-going runs the rest");
    }

    int Conclude() const {
        const size_t notRun = tasks_.size() - Done();
        std::printf("batch: %zu converted, %zu skipped, %zu failed", converted_, skipped_, failed_);
        if (notRun > 0) std::printf(", %zu not run", notRun);
        std::printf("\n");
        if (stopped_) return kExitCancelled;
        return failed_ > 0 ? kExitFailed : 0;
    }

  private:
    // Absolute, so that the report names the files wherever it is read.
    static std::filesystem::path TasksFolder(const std::string& tasks) {
        std::filesystem::path folder = std::filesystem::path(tasks).parent_path();
        if (folder.empty()) folder = ".";
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
        return (error ? folder : absolute).lexically_normal();
    }

    size_t Done() const { return converted_ + skipped_ + failed_; }

    std::filesystem::path Resolve(const std::string& path) const {
        if (path.empty()) return {};
        const std::filesystem::path given(path);
        return given.is_absolute() ? given : (folder_ / given).lexically_normal();
    }

    void Finish(const BatchTask& task, const TaskProcess& process) {
        TaskResult result;
        result.seconds = process.Seconds();
        const std::string said(Trim(process.output()));
        if (process.Succeeded()) {
            result.status = TaskResult::Status::Ok;
            result.frames =
                TaskOutput(task.command, Resolve(task.output)).CountFrames(Resolve(task.movie));
            result.message = said;
        } else {
            result.message = said + (said.empty() ? "" : "; ") + process.DescribeEnd();
            // A crashed or killed task could not remove its partial output, which a rerun
            // would take for a finished one.
            if (process.EndedBySignal()) {
                const int removed = TaskOutput(task.command, Resolve(task.output))
                                        .RemoveWrittenSince(process.startedAt(), process.pid());
                if (removed > 0)
                    result.message +=
                        "; removed the " + std::to_string(removed) + " file(s) it had written";
            }
        }
        Record(task, result);
    }

    void Record(const BatchTask& task, const TaskResult& result) {
        static constexpr const char* kStatus[] = {"ok", "failed", "skipped"};
        const char* status = kStatus[static_cast<int>(result.status)];
        switch (result.status) {
            case TaskResult::Status::Ok:
                ++converted_;
                break;
            case TaskResult::Status::Skipped:
                ++skipped_;
                break;
            case TaskResult::Status::Failed:
                ++failed_;
                progress_.Note("kinetrope batch: " + options_.tasks + ":" +
                               std::to_string(task.line) + ": " +
                               (task.error.empty() ? LastLine(result.message) : task.error));
                break;
        }
        if (!report_) return;
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.3f", result.seconds);
        const std::string line =
            "{\"line\": " + std::to_string(task.line) +
            ", \"movie\": " + JsonString(Resolve(task.movie).string()) +
            ", \"output\": " + JsonString(Resolve(task.output).string()) +
            ", \"status\": " + JsonString(status) + ", \"frames\": " +
            (result.frames ? std::to_string(*result.frames) : std::string("null")) +
            ", \"seconds\": " + seconds + ", \"message\": " + JsonString(result.message) + "}\n";
        std::fputs(line.c_str(), report_);
        std::fflush(report_);
    }

    static std::string LastLine(std::string_view text) {
        text = Trim(text);
        const size_t newline = text.rfind('\n');
        return std::string(newline == std::string_view::npos ? text : text.substr(newline + 1));
    }

    const BatchOptions& options_;
    const std::vector<BatchTask>& tasks_;
    const std::filesystem::path folder_;
    std::FILE* report_;
    BatchProgress progress_;
    size_t converted_ = 0;
    size_t skipped_ = 0;
    size_t failed_ = 0;
    bool stopped_ = false;
};

}  // namespace

int RunBatchCommand(const std::vector<std::string>& args) {
    if (PrintHelpIfAsked("batch", args)) return 0;
    std::string error;
    const auto options = ParseBatchOptions(args, error);
    if (!options) return UsageError("batch", error);
    const auto file = BatchTaskFile::Read(options->tasks, error);
    if (!file) {
        std::fprintf(stderr, "kinetrope batch: %s\n", error.c_str());
        return kExitUsage;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> report(nullptr, std::fclose);
    if (!options->report.empty()) {
        // Not handed down to the tasks ("e": closed on exec).
        report.reset(std::fopen(options->report.c_str(), "we"));
        if (!report) {
            std::fprintf(stderr, "kinetrope batch: cannot write the report %s\n",
                         options->report.c_str());
            return kExitUsage;
        }
    }
    BatchRun run(*options, *file, report.get());
    if (!run.ReportMalformed()) {
        std::fprintf(stderr,
                     "kinetrope batch: nothing was run; fix the lines above or give "
                     "--keep-going to run the others\n");
        return kExitFailed;
    }
    run.Run();
    return run.Conclude();
}

}  // namespace cli
