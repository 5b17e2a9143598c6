// kinetrope batch TASKS [--jobs N] [--slice I/N] [--report FILE.jsonl] [--keep-going]: runs
// the conversions a TASKS file lists, several at once, each as a child process of this
// program run in the TASKS file's folder, and skips those whose output is already there and
// newer than the movie, so that a stopped batch goes on where it stopped. With --slurm the
// same tasks run on a Slurm cluster (SlurmBatch), each worker a sliced batch of its own.

#include <poll.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/BatchLedger.h"
#include "cli/BatchOptions.h"
#include "cli/BatchTaskFile.h"
#include "cli/CommandHelp.h"
#include "cli/CommandLine.h"
#include "cli/SlurmBatch.h"
#include "cli/StopSignals.h"
#include "cli/TaskOutput.h"
#include "cli/TaskProcess.h"

namespace cli {
namespace {

// Whether malformed lines are this run's to record: every run's that refuses to start over
// them, but with --keep-going only the first slice's, so that slices together say each once.
bool RecordsMalformed(const BatchOptions& options) {
    return !options.keepGoing || options.sliceIndex == 0;
}

// The tasks this run counts: its slice of the runnable ones and the malformed it records.
size_t CountTasks(const BatchOptions& options, const BatchTaskFile& file) {
    size_t count = 0;
    size_t runnable = 0;
    for (const BatchTask& task : file.tasks()) {
        if (task.error.empty())
            count += options.InSlice(runnable++) ? 1 : 0;
        else
            count += RecordsMalformed(options) ? 1 : 0;
    }
    return count;
}

class LocalBatch {
  public:
    LocalBatch(const BatchOptions& options, const BatchTaskFile& file, BatchLedger& ledger)
        : options_(options), ledger_(ledger) {
        size_t runnable = 0;
        for (const BatchTask& task : file.tasks())
            if (task.error.empty() && options.InSlice(runnable++)) tasks_.push_back(&task);
    }

    void Run() {
        StopSignals signals;
        std::vector<std::pair<const BatchTask*, std::unique_ptr<TaskProcess>>> running;
        size_t next = 0;
        BatchProgress& progress = ledger_.progress();
        while (true) {
            if (StopSignals::Stopped() && !stopped_) {
                stopped_ = true;
                progress.Note("kinetrope batch: stopping; the running tasks are cancelled");
                for (auto& entry : running) entry.second->Interrupt();
            }
            while (!stopped_ && !(ledger_.failed() > 0 && !options_.keepGoing) &&
                   running.size() < static_cast<size_t>(options_.jobs) && next < tasks_.size()) {
                const BatchTask& task = *tasks_[next++];
                if (const auto done = ledger_.AlreadyDone(task)) {
                    ledger_.Record(task, *done);
                    continue;
                }
                auto process = std::make_unique<TaskProcess>();
                std::string error;
                if (!process->Start(task.args, ledger_.folder().string(), error)) {
                    TaskResult result;
                    result.message = error;
                    ledger_.Record(task, result);
                    continue;
                }
                running.emplace_back(&task, std::move(process));
            }
            if (running.empty()) break;
            progress.Update(ledger_.Done(), running.size(), ledger_.failed());

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
                progress.TaskEnded(ledger_.Done(), running.size(), ledger_.failed());
            }
        }
        progress.Finish();
        if (!stopped_ && ledger_.failed() > 0 && !options_.keepGoing && next < tasks_.size())
            progress.Note("kinetrope batch: stopped after a failure; --keep-going runs the rest");
    }

    bool stopped() const { return stopped_; }

  private:
    void Finish(const BatchTask& task, const TaskProcess& process) {
        TaskResult result;
        result.seconds = process.Seconds();
        const std::string said(BatchLedger::Trim(process.output()));
        const TaskOutput output(task.command, ledger_.Resolve(task.output));
        if (process.Succeeded()) {
            result.status = TaskResult::Status::Ok;
            result.frames = output.CountFrames(ledger_.Resolve(task.movie));
            result.message = said;
        } else {
            result.message = said + (said.empty() ? "" : "; ") + process.DescribeEnd();
            // A crashed or killed task could not remove its partial output, which a rerun
            // would take for a finished one.
            if (process.EndedBySignal()) {
                const int removed = output.RemoveWrittenSince(process.startedAt(), process.pid());
                if (removed > 0)
                    result.message +=
                        "; removed the " + std::to_string(removed) + " file(s) it had written";
            }
        }
        ledger_.Record(task, result);
    }

    const BatchOptions& options_;
    BatchLedger& ledger_;
    std::vector<const BatchTask*> tasks_;
    bool stopped_ = false;
};

}  // namespace

int RunBatchCommand(const std::vector<std::string>& args) {
    if (PrintHelpIfAsked("batch", args)) return 0;
    std::string error;
    const auto options = BatchOptions::Parse(args, error);
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
    BatchLedger ledger(options->tasks, report.get(), CountTasks(*options, *file));
    if (options->slurm) ledger.HoldReportInOrder();
    // The malformed lines, each said with its line number, before anything runs.
    if (RecordsMalformed(*options))
        for (const BatchTask& task : file->tasks()) {
            if (task.error.empty()) continue;
            TaskResult result;
            result.message = "line " + std::to_string(task.line) + ": " + task.error;
            ledger.Record(task, result);
        }
    if (file->MalformedCount() > 0 && !options->keepGoing) {
        ledger.WriteHeldReport();
        std::fprintf(stderr,
                     "kinetrope batch: nothing was run; fix the lines above or give "
                     "--keep-going to run the others\n");
        return BatchLedger::kExitFailed;
    }
    if (options->slurm) {
        SlurmBatch run(*options, *file, ledger);
        run.Run();
        return ledger.Conclude(run.stopped());
    }
    LocalBatch run(*options, *file, ledger);
    run.Run();
    return ledger.Conclude(run.stopped());
}

}  // namespace cli
