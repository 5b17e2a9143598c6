#include "cli/SlurmCluster.h"

#include <poll.h>

#include <algorithm>
#include <charconv>

#include "cli/BatchLedger.h"
#include "cli/TaskProcess.h"

namespace cli {
namespace {

constexpr std::string_view kEndedStates[] = {"COMPLETED", "FAILED",    "CANCELLED",
                                             "TIMEOUT",   "NODE_FAIL", "PREEMPTED",
                                             "BOOT_FAIL", "DEADLINE",  "OUT_OF_MEMORY"};

std::optional<int> ParseNumber(std::string_view text) {
    int value = 0;
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failed != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The value of `name=` among the words of a record.
std::string_view Field(std::string_view record, std::string_view name) {
    size_t at = 0;
    while ((at = record.find(name, at)) != std::string_view::npos) {
        if ((at == 0 || record[at - 1] == ' ') && at + name.size() < record.size() &&
            record[at + name.size()] == '=') {
            const std::string_view value = record.substr(at + name.size() + 1);
            return value.substr(0, value.find(' '));
        }
        at += name.size();
    }
    return {};
}

}  // namespace

bool SlurmArrayTask::Ended() const {
    return std::find(std::begin(kEndedStates), std::end(kEndedStates), state) !=
           std::end(kEndedStates);
}

bool SlurmArrayTask::EndedAsABatch() const {
    return state == "COMPLETED" || (state == "FAILED" && exitCode == "1:0");
}

std::string SlurmArrayTask::Describe() const {
    std::string text = state;
    if (!reason.empty() && reason != "None") text += " (" + reason + ")";
    if (!exitCode.empty()) text += ", exit code " + exitCode;
    return text;
}

SlurmCluster::Answer SlurmCluster::Ask(const std::string& program,
                                       const std::vector<std::string>& args,
                                       std::chrono::seconds limit) {
    Answer answer;
    TaskProcess process;
    if (!process.StartProgram(program, args, ".", answer.output)) return answer;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!process.Finished()) {
        if (std::chrono::steady_clock::now() > deadline) {
            answer.output = program + " did not answer in " + std::to_string(limit.count()) + " s";
            return answer;  // the process is interrupted as it goes
        }
        pollfd fd{process.outputFd(), POLLIN, 0};
        poll(&fd, fd.fd >= 0 ? 1 : 0, 20);
        process.ReadOutput();
    }
    answer.output = process.output();
    answer.ran = process.Succeeded();
    return answer;
}

std::optional<int> SlurmCluster::MaxArraySize() {
    const Answer answer = Ask("scontrol", {"show", "config"});
    if (!answer.ran) return std::nullopt;
    const size_t at = answer.output.find("\nMaxArraySize");
    if (at == std::string::npos) return std::nullopt;
    const size_t equals = answer.output.find('=', at);
    if (equals == std::string::npos) return std::nullopt;
    const size_t end = answer.output.find('\n', equals);
    return ParseNumber(
        BatchLedger::Trim(std::string_view(answer.output).substr(equals + 1, end - equals - 1)));
}

std::optional<std::string> SlurmCluster::SubmitHeld(const std::vector<std::string>& options,
                                                    std::string& error) {
    std::vector<std::string> args = {"--parsable", "--hold"};
    args.insert(args.end(), options.begin(), options.end());
    const Answer answer = Ask("sbatch", args);
    // "JOBID" or "JOBID;CLUSTER" on a line of its own, among any warnings.
    std::string_view rest = answer.output;
    while (answer.ran && !rest.empty()) {
        const size_t newline = rest.find('\n');
        const std::string_view line = rest.substr(0, newline);
        rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
        const std::string_view id = line.substr(0, line.find(';'));
        if (!id.empty() && ParseNumber(id)) return std::string(id);
    }
    error = BatchLedger::LastLine(answer.output);
    if (error.empty()) error = "sbatch gave no job id";
    return std::nullopt;
}

bool SlurmCluster::Release(const std::string& job, std::string& error) {
    const Answer answer = Ask("scontrol", {"release", job});
    if (!answer.ran) error = BatchLedger::LastLine(answer.output);
    return answer.ran;
}

bool SlurmCluster::Cancel(const std::string& job, std::string& error) {
    const Answer answer = Ask("scancel", {job});
    if (!answer.ran) error = BatchLedger::LastLine(answer.output);
    return answer.ran;
}

bool SlurmCluster::ReadStates(const std::string& job, std::vector<SlurmArrayTask>& tasks,
                              bool& gone) {
    const Answer answer = Ask("scontrol", {"-o", "show", "job", job});
    gone = answer.output.find("Invalid job id") != std::string::npos;
    if (answer.ran) ParseStates(answer.output, tasks);
    return answer.ran;
}

void SlurmCluster::ParseStates(std::string_view text, std::vector<SlurmArrayTask>& tasks) {
    while (!text.empty()) {
        const size_t newline = text.find('\n');
        const std::string_view record = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        SlurmArrayTask state;
        state.state = std::string(Field(record, "JobState"));
        state.reason = std::string(Field(record, "Reason"));
        state.exitCode = std::string(Field(record, "ExitCode"));
        std::string_view indexes = Field(record, "ArrayTaskId");
        indexes = indexes.substr(0, indexes.find('%'));
        if (state.state.empty() || indexes.empty()) continue;
        while (!indexes.empty()) {
            const size_t comma = indexes.find(',');
            const std::string_view range = indexes.substr(0, comma);
            indexes =
                comma == std::string_view::npos ? std::string_view() : indexes.substr(comma + 1);
            const size_t dash = range.find('-');
            const auto first = ParseNumber(range.substr(0, dash));
            const auto last =
                dash == std::string_view::npos ? first : ParseNumber(range.substr(dash + 1));
            if (!first || !last || *first < 0) continue;
            for (int i = *first; i <= *last && static_cast<size_t>(i) < tasks.size(); ++i)
                tasks[static_cast<size_t>(i)] = state;
        }
    }
}

}  // namespace cli
