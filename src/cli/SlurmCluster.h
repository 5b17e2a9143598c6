#pragma once
// The Slurm commands a batch uses, run as child processes: sbatch to submit a job array,
// scontrol to release it, read its tasks' states and the cluster's largest array, scancel
// to cancel it. States come from scontrol, which needs no accounting database; an ended
// array task stays visible to it for MinJobAge (300 s unless the cluster says otherwise).

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// One task of a job array as scontrol shows it.
struct SlurmArrayTask {
    std::string state = "PENDING";
    std::string reason;
    std::string exitCode;  // "STATUS:SIGNAL"

    // Whether it has ended and none of its processes remain.
    bool Ended() const;
    bool Running() const { return state == "RUNNING" || state == "COMPLETING"; }
    // Whether it ended as a batch does: exit status 0, or 1 for a failed task.
    bool EndedAsABatch() const;
    // "TIMEOUT (TimeLimit), exit code 0:15"
    std::string Describe() const;
};

class SlurmCluster {
  public:
    struct Answer {
        bool ran = false;  // the command ran and exited 0
        std::string output;
    };
    // Runs a Slurm command for at most `limit`.
    static Answer Ask(const std::string& program, const std::vector<std::string>& args,
                      std::chrono::seconds limit = std::chrono::seconds(60));

    // The largest array the cluster takes (its MaxArraySize); nothing when it does not say.
    static std::optional<int> MaxArraySize();
    // The job id of the array sbatch accepted, held until released; nothing with what
    // sbatch said in `error` when it refused.
    static std::optional<std::string> SubmitHeld(const std::vector<std::string>& options,
                                                 std::string& error);
    static bool Release(const std::string& job, std::string& error);
    static bool Cancel(const std::string& job, std::string& error);
    // Updates `tasks` (one per array index) from scontrol; false when it did not answer.
    // `gone` when the cluster no longer knows the job.
    static bool ReadStates(const std::string& job, std::vector<SlurmArrayTask>& tasks, bool& gone);
    // The states of `scontrol -o show job` output, one line a record; a pending record may
    // stand for many indexes ("ArrayTaskId=3-9%2", "1,4-5").
    static void ParseStates(std::string_view text, std::vector<SlurmArrayTask>& tasks);
};

}  // namespace cli
