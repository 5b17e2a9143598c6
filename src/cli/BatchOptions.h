#pragma once
// The options of kinetrope batch: where the tasks run (here, or on a Slurm cluster), which
// of them (a slice, for workers that split one TASKS file) and what is written.

#include <optional>
#include <string>
#include <vector>

namespace cli {

struct BatchOptions {
    static constexpr int kMaxJobs = 256;
    static constexpr int kMaxWorkers = 100000;

    std::string tasks;
    int jobs = 1;
    std::string report;
    bool keepGoing = false;
    // --slice I/N: the runnable lines whose index (from 0) modulo N is I.
    int sliceIndex = 0;
    int sliceCount = 1;
    bool slurm = false;
    int slurmWorkers = 0;  // 0: one per 16 tasks to run
    std::vector<std::string> slurmOptions;

    bool Sliced() const { return sliceCount > 1; }
    // Whether the runnable task of that index (counted from 0) is this run's.
    bool InSlice(size_t index) const {
        return index % static_cast<size_t>(sliceCount) == static_cast<size_t>(sliceIndex);
    }

    // The options after "batch", or nothing with `error` for the usage message.
    static std::optional<BatchOptions> Parse(const std::vector<std::string>& args,
                                             std::string& error);
};

}  // namespace cli
