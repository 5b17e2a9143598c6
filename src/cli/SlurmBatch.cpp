#include "cli/SlurmBatch.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "cli/StopSignals.h"
#include "cli/TaskOutput.h"
#include "cli/TaskProcess.h"

namespace cli {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

// How often the cluster is asked for the workers' states: every second at first, less often
// as a long batch goes on, to spare a busy controller; once every task has a result, the
// ends of the workers are waited for closely. The reports are read often: that costs the
// controller nothing.
constexpr milliseconds kAskFirst(1000);
constexpr milliseconds kAskAtMost(10000);
constexpr milliseconds kAskAtTheEnd(200);
constexpr milliseconds kReadEvery(200);
// How long the cluster may not answer, or take to end cancelled workers, before the batch
// gives up waiting.
constexpr seconds kPatience(120);
// A report line longer than this is no line of kinetrope's.
constexpr size_t kMaxReportLine = 1 << 20;
constexpr size_t kMaxRangesSaid = 40;

// For a POSIX shell: one word, whatever it holds.
std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

SlurmBatch::SlurmBatch(const BatchOptions& options, const BatchTaskFile& file, BatchLedger& ledger)
    : options_(options), ledger_(ledger) {
    for (const BatchTask& task : file.tasks())
        if (task.error.empty()) runnable_.push_back(&task);
    results_.resize(runnable_.size());
}

std::string SlurmBatch::DescribeLines(const std::vector<int>& lines) {
    std::vector<std::string> ranges;
    size_t more = 0;
    for (size_t i = 0; i < lines.size();) {
        size_t end = i + 1;
        while (end < lines.size() && lines[end] == lines[end - 1] + 1) ++end;
        if (ranges.size() == kMaxRangesSaid) {
            more += end - i;
        } else {
            ranges.push_back(std::to_string(lines[i]) +
                             (end - i > 1 ? "-" + std::to_string(lines[end - 1]) : ""));
        }
        i = end;
    }
    std::string text = lines.size() == 1 ? "line " : "lines ";
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (i > 0) text += i + 1 == ranges.size() && more == 0 ? " and " : ", ";
        text += ranges[i];
    }
    if (more > 0) text += " and " + std::to_string(more) + " more";
    return text;
}

void SlurmBatch::Run() {
    size_t toRun = 0;
    for (size_t i = 0; i < runnable_.size(); ++i) {
        if (const auto done = ledger_.AlreadyDone(*runnable_[i])) {
            ledger_.Record(*runnable_[i], *done);
            results_[i] = done->status;
        } else {
            ++toRun;
        }
    }
    if (toRun == 0) return;
    if (TaskProcess::FindOnPath("sbatch").empty()) {
        SayUndone(
            "sbatch is not on the PATH: --slurm runs where the cluster's commands do, "
            "such as its login node",
            Unrecorded(-1));
        return;
    }
    if (!Submit(CountWorkers(toRun))) return;
    Wait();
    Conclude();
}

int SlurmBatch::CountWorkers(size_t toRun) const {
    size_t count = options_.slurmWorkers > 0 ? static_cast<size_t>(options_.slurmWorkers)
                                             : (toRun + kTasksPerWorker - 1) / kTasksPerWorker;
    if (options_.slurmWorkers == 0 && count > 1)
        if (const auto largest = SlurmCluster::MaxArraySize(); largest && *largest > 0)
            count = std::min(count, static_cast<size_t>(*largest));
    // A worker beyond the last runnable line would have nothing to do.
    return static_cast<int>(std::clamp<size_t>(count, 1, runnable_.size()));
}

std::string SlurmBatch::WorkerCommand(int workers) const {
    const std::filesystem::path tasks =
        std::filesystem::absolute(options_.tasks).lexically_normal();
    return "jobs=${SLURM_CPUS_ON_NODE:-1}; [ \"$jobs\" -le " +
           std::to_string(BatchOptions::kMaxJobs) +
           " ] || jobs=" + std::to_string(BatchOptions::kMaxJobs) + "\nexec " +
           Quote(TaskProcess::Program()) + " batch " + Quote(tasks.string()) +
           " --slice \"$SLURM_ARRAY_TASK_ID/" + std::to_string(workers) +
           "\" --jobs \"$jobs\" --report " + Quote(folder_.string()) +
           "/\"$SLURM_ARRAY_JOB_ID\"/worker-\"$SLURM_ARRAY_TASK_ID\".jsonl" +
           (options_.keepGoing ? " --keep-going" : "");
}

bool SlurmBatch::Submit(int workers) {
    folder_ =
        ledger_.folder() / (std::filesystem::path(options_.tasks).filename().string() + ".slurm");
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) {
        SayUndone("cannot make the folder " + folder_.string() + " for the workers' logs",
                  Unrecorded(-1));
        return false;
    }
    std::vector<std::string> submission = {
        "--array=0-" + std::to_string(workers - 1), "--job-name=kinetrope-batch",
        "--output=" + (folder_ / "%A" / "worker-%a.log").string()};
    submission.insert(submission.end(), options_.slurmOptions.begin(), options_.slurmOptions.end());
    submission.push_back("--wrap=" + WorkerCommand(workers));
    std::string refused;
    const auto job = SlurmCluster::SubmitHeld(submission, refused);
    if (!job) {
        SayUndone("the cluster refused the batch: " + refused, Unrecorded(-1));
        return false;
    }
    job_ = *job;
    submittedAt_ = std::filesystem::file_time_type::clock::now() - seconds(1);
    // The workers' logs go into a folder named after the job, made while it is held.
    std::string why;
    std::filesystem::create_directory(folder_ / job_, error);
    if (error)
        why = "cannot make the folder " + (folder_ / job_).string();
    else if (!SlurmCluster::Release(job_, why))
        why = "cannot release job " + job_ + ": " + why;
    if (!why.empty()) {
        std::string notCancelled;
        SlurmCluster::Cancel(job_, notCancelled);
        SayUndone(why, Unrecorded(-1));
        return false;
    }
    workers_.resize(static_cast<size_t>(workers));
    ledger_.progress().Note("kinetrope batch: job " + job_ + ", " + std::to_string(workers) +
                            " worker(s), logs in " + (folder_ / job_).string());
    return true;
}

bool SlurmBatch::ReadReports() {
    bool any = false;
    for (size_t w = 0; w < workers_.size(); ++w) {
        Worker& worker = workers_[w];
        std::ifstream in(folder_ / job_ / ("worker-" + std::to_string(w) + ".jsonl"),
                         std::ios::binary);
        if (!in || !in.seekg(worker.read)) continue;
        char buffer[65536];
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
            worker.read += in.gcount();
            worker.report.append(buffer, static_cast<size_t>(in.gcount()));
            size_t newline;
            while ((newline = worker.report.find('\n')) != std::string::npos) {
                const auto entry =
                    BatchLedger::ReadReportLine(std::string_view(worker.report).substr(0, newline));
                worker.report.erase(0, newline + 1);
                if (!entry) continue;
                const auto found = std::lower_bound(
                    runnable_.begin(), runnable_.end(), entry->first,
                    [](const BatchTask* task, int line) { return task->line < line; });
                if (found == runnable_.end() || (*found)->line != entry->first) continue;
                const size_t index = static_cast<size_t>(found - runnable_.begin());
                // Each line is its own worker's to report, once.
                if (index % workers_.size() != w || results_[index]) continue;
                ledger_.Record(**found, entry->second);
                results_[index] = entry->second.status;
                any = true;
            }
            if (worker.report.size() > kMaxReportLine) worker.report.clear();
        }
    }
    return any;
}

void SlurmBatch::Wait() {
    StopSignals signals;
    BatchProgress& progress = ledger_.progress();
    milliseconds askEvery = kAskFirst;
    Clock::time_point asked = Clock::now() - askEvery;
    Clock::time_point answered = Clock::now();
    Clock::time_point cancelled;
    while (true) {
        if (StopSignals::Stopped() && !stopped_) {
            stopped_ = true;
            cancelled = Clock::now();
            progress.Note("kinetrope batch: stopping; the workers are cancelled");
            std::string error;
            if (!SlurmCluster::Cancel(job_, error))
                progress.Note("kinetrope batch: scancel " + job_ + ": " + error);
        }
        if (ReadReports()) {
            size_t running = 0;
            for (const Worker& worker : workers_) running += worker.state.Running() ? 1 : 0;
            progress.TaskEnded(ledger_.Done(), running, ledger_.failed());
        }
        const bool allKnown = std::all_of(results_.begin(), results_.end(),
                                          [](const auto& result) { return result.has_value(); });
        if (Clock::now() - asked >= (allKnown || stopped_ ? kAskAtTheEnd : askEvery)) {
            asked = Clock::now();
            askEvery = std::min(kAskAtMost, askEvery * 11 / 10);
            std::vector<SlurmArrayTask> states(workers_.size());
            for (size_t w = 0; w < workers_.size(); ++w) states[w] = workers_[w].state;
            bool gone = false;
            if (SlurmCluster::ReadStates(job_, states, gone)) {
                answered = asked;
                size_t running = 0;
                size_t waiting = 0;
                for (size_t w = 0; w < workers_.size(); ++w) {
                    workers_[w].state = states[w];
                    running += states[w].Running() ? 1 : 0;
                    waiting += states[w].state == "PENDING" ? 1 : 0;
                }
                progress.CountWorkers(waiting);
                progress.Update(ledger_.Done(), running, ledger_.failed());
                if (std::all_of(workers_.begin(), workers_.end(),
                                [](const Worker& worker) { return worker.state.Ended(); }))
                    break;
            } else if (gone) {
                for (Worker& worker : workers_)
                    if (!worker.state.Ended()) worker.state = {"GONE", "no longer known", ""};
                break;
            } else if (asked - answered > kPatience) {
                progress.Note("kinetrope batch: the cluster has not answered for " +
                              std::to_string(kPatience.count()) + " s; giving up on job " + job_);
                break;
            }
        }
        if (stopped_ && Clock::now() - cancelled > kPatience) {
            progress.Note("kinetrope batch: the workers of job " + job_ +
                          " have not ended; see squeue");
            break;
        }
        std::this_thread::sleep_for(kReadEvery);
    }
    ReadReports();
    progress.Finish();
}

std::vector<int> SlurmBatch::Unrecorded(int worker) const {
    std::vector<int> lines;
    for (size_t i = 0; i < runnable_.size(); ++i)
        if (!results_[i] && (worker < 0 || i % workers_.size() == static_cast<size_t>(worker)))
            lines.push_back(runnable_[i]->line);
    return lines;
}

void SlurmBatch::SayUndone(const std::string& why, const std::vector<int>& lines) {
    ledger_.progress().Note("kinetrope batch: " + why + "; " + DescribeLines(lines) +
                            (lines.size() == 1 ? " is" : " are") + " left undone");
}

void SlurmBatch::Conclude() {
    if (stopped_) return;
    bool stoppedAfterFailure = false;
    bool lost = false;
    for (size_t w = 0; w < workers_.size(); ++w) {
        const std::vector<int> undone = Unrecorded(static_cast<int>(w));
        if (undone.empty()) continue;
        if (workers_[w].state.EndedAsABatch()) {
            stoppedAfterFailure = true;
            continue;
        }
        lost = true;
        const std::string name = job_ + "_" + std::to_string(w);
        SayUndone("worker " + std::to_string(w) + " (job " + name + ") ended " +
                      workers_[w].state.Describe() + "; its log is " +
                      (folder_ / job_ / ("worker-" + std::to_string(w) + ".log")).string(),
                  undone);
        // What it had begun on them would pass for done at the next run.
        for (size_t i = w; i < runnable_.size(); i += workers_.size()) {
            if (results_[i]) continue;
            const BatchTask& task = *runnable_[i];
            TaskOutput(task.command, ledger_.Resolve(task.output))
                .RemoveWrittenSince(submittedAt_, 0);
        }
    }
    if (lost) ledger_.progress().Note("kinetrope batch: the same command again does what is left");
    if (stoppedAfterFailure && !options_.keepGoing)
        ledger_.progress().Note(
            "kinetrope batch: each worker stopped after its first failure; --keep-going runs "
            "the rest");
}

}  // namespace cli
