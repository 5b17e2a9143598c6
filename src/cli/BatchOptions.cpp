#include "cli/BatchOptions.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <thread>

namespace cli {
namespace {

bool ParseCount(std::string_view text, int& value) {
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), value);
    return failed == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::optional<BatchOptions> BatchOptions::Parse(const std::vector<std::string>& args,
                                                std::string& error) {
    BatchOptions options;
    options.jobs = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxJobs);
    bool jobsGiven = false;
    bool sliceGiven = false;
    bool slurmOnly = false;  // an option that goes with --slurm alone
    for (size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--keep-going") {
            options.keepGoing = true;
        } else if (arg == "--slurm") {
            options.slurm = true;
        } else if (arg == "--jobs" || arg == "--report" || arg == "--slice" ||
                   arg == "--slurm-workers" || arg == "--slurm-option") {
            if (i + 1 == args.size()) {
                error = arg + " needs a value";
                break;
            }
            const std::string& value = args[++i];
            if (arg == "--report") {
                options.report = value;
            } else if (arg == "--slurm-option") {
                options.slurmOptions.push_back(value);
                slurmOnly = true;
            } else if (arg == "--jobs") {
                jobsGiven = true;
                if (!ParseCount(value, options.jobs) || options.jobs < 1 || options.jobs > kMaxJobs)
                    error = "--jobs needs a number from 1 to " + std::to_string(kMaxJobs) +
                            ", not '" + value + "'";
            } else if (arg == "--slurm-workers") {
                slurmOnly = true;
                if (!ParseCount(value, options.slurmWorkers) || options.slurmWorkers < 1 ||
                    options.slurmWorkers > kMaxWorkers)
                    error = "--slurm-workers needs a number from 1 to " +
                            std::to_string(kMaxWorkers) + ", not '" + value + "'";
            } else {
                sliceGiven = true;
                const size_t slash = value.find('/');
                if (slash == std::string::npos ||
                    !ParseCount(std::string_view(value).substr(0, slash), options.sliceIndex) ||
                    !ParseCount(std::string_view(value).substr(slash + 1), options.sliceCount) ||
                    options.sliceCount < 1 || options.sliceCount > kMaxWorkers ||
                    options.sliceIndex < 0 || options.sliceIndex >= options.sliceCount)
                    error = "--slice needs I/N with 0 <= I < N <= " + std::to_string(kMaxWorkers) +
                            ", not '" + value + "'";
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
        } else if (options.tasks.empty()) {
            options.tasks = arg;
        } else {
            error = "more than one TASKS file given";
        }
    }
    if (!error.empty()) return std::nullopt;
    if (options.tasks.empty())
        error = "no TASKS file given";
    else if (slurmOnly && !options.slurm)
        error = "--slurm-workers and --slurm-option go with --slurm";
    else if (options.slurm && jobsGiven)
        error =
            "--jobs does not go with --slurm: each worker runs as many tasks at once as "
            "it has CPUs (--slurm-option --cpus-per-task=N)";
    else if (options.slurm && sliceGiven)
        error = "--slice does not go with --slurm, which gives each worker its slice";
    if (!error.empty()) return std::nullopt;
    return options;
}

}  // namespace cli
