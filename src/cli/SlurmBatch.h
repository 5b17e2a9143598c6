#pragma once
// kinetrope batch --slurm: the tasks run on a Slurm cluster as one job array whose workers
// each run `kinetrope batch TASKS --slice I/N` with as many tasks at once as the CPUs Slurm
// gave them, their logs and reports in TASKS.slurm/JOBID/. The batch waits for the array
// by asking scontrol, gathers the workers' report lines as they come (counted, noted and
// reported as a local batch does, in the order of TASKS), and cancels the array on Ctrl+C
// or SIGTERM. Lines a worker leaves undone (it was killed, timed out, or never started) are
// named, and what it had begun on them is removed, so that a rerun does only what is left.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/BatchLedger.h"
#include "cli/BatchOptions.h"
#include "cli/BatchTaskFile.h"
#include "cli/SlurmCluster.h"

namespace cli {

class SlurmBatch {
  public:
    static constexpr size_t kTasksPerWorker = 16;

    SlurmBatch(const BatchOptions& options, const BatchTaskFile& file, BatchLedger& ledger);

    void Run();
    bool stopped() const { return stopped_; }

    // "line 4", "lines 2-4, 7 and 9": at most a few dozen ranges, then how many more.
    static std::string DescribeLines(const std::vector<int>& lines);

  private:
    struct Worker {
        SlurmArrayTask state;
        std::string report;  // what was read of its report but is no full line yet
        std::streamoff read = 0;
    };

    int CountWorkers(size_t toRun) const;
    bool Submit(int workers);
    std::string WorkerCommand(int workers) const;
    // Records the report lines the workers wrote since last time; true when there were any.
    bool ReadReports();
    void Wait();
    // The lines of worker `worker` (all workers': -1) with no result.
    std::vector<int> Unrecorded(int worker) const;
    void SayUndone(const std::string& why, const std::vector<int>& lines);
    void Conclude();

    const BatchOptions& options_;
    BatchLedger& ledger_;
    std::vector<const BatchTask*> runnable_;  // in the order of TASKS
    // What became of each, by index in runnable_: nothing while it is not known.
    std::vector<std::optional<TaskResult::Status>> results_;
    std::filesystem::path folder_;  // TASKS.slurm
    std::string job_;
    std::vector<Worker> workers_;
    std::filesystem::file_time_type submittedAt_;
    bool stopped_ = false;
};

}  // namespace cli
