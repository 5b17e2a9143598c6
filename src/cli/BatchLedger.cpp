#include "cli/BatchLedger.h"

#include <array>

#include "cli/JsonValue.h"
#include "cli/TaskOutput.h"

namespace cli {
namespace {

constexpr std::array<std::string_view, 3> kStatus = {"ok", "failed", "skipped"};

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

// Absolute, so that the report names the files wherever it is read.
std::filesystem::path TasksFolder(const std::string& tasks) {
    std::filesystem::path folder = std::filesystem::path(tasks).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    return (error ? folder : absolute).lexically_normal();
}

}  // namespace

BatchLedger::BatchLedger(const std::string& tasks, std::FILE* report, size_t total)
    : tasks_(tasks),
      folder_(TasksFolder(tasks)),
      report_(report),
      total_(total),
      progress_(stderr, total) {}

std::string_view BatchLedger::Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string BatchLedger::LastLine(std::string_view text) {
    text = Trim(text);
    const size_t newline = text.rfind('\n');
    return std::string(newline == std::string_view::npos ? text : text.substr(newline + 1));
}

std::filesystem::path BatchLedger::Resolve(const std::string& path) const {
    if (path.empty()) return {};
    const std::filesystem::path given(path);
    return given.is_absolute() ? given : (folder_ / given).lexically_normal();
}

std::optional<TaskResult> BatchLedger::AlreadyDone(const BatchTask& task) const {
    const TaskOutput output(task.command, Resolve(task.output));
    if (!output.NewerThan(Resolve(task.movie))) return std::nullopt;
    TaskResult result;
    result.status = TaskResult::Status::Skipped;
    result.frames = output.CountFrames(Resolve(task.movie));
    result.message = "the output is newer than the movie";
    return result;
}

void BatchLedger::Record(const BatchTask& task, const TaskResult& result) {
    switch (result.status) {
        case TaskResult::Status::Ok:
            ++converted_;
            break;
        case TaskResult::Status::Skipped:
            ++skipped_;
            break;
        case TaskResult::Status::Failed:
            ++failed_;
            progress_.Note("kinetrope batch: " + tasks_ + ":" + std::to_string(task.line) + ": " +
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
        ", \"status\": " + JsonString(kStatus[static_cast<size_t>(result.status)]) +
        ", \"frames\": " + (result.frames ? std::to_string(*result.frames) : std::string("null")) +
        ", \"seconds\": " + seconds + ", \"message\": " + JsonString(result.message) + "}\n";
    if (holdsReport_) {
        heldReport_[task.line] = line;
        return;
    }
    std::fputs(line.c_str(), report_);
    std::fflush(report_);
}

std::optional<std::pair<int, TaskResult>> BatchLedger::ReadReportLine(std::string_view text) {
    std::string error;
    const auto json = JsonValue::Parse(text, error);
    if (!json) return std::nullopt;
    const JsonValue* line = json->Member("line");
    const JsonValue* status = json->Member("status");
    const JsonValue* frames = json->Member("frames");
    const JsonValue* seconds = json->Member("seconds");
    const JsonValue* message = json->Member("message");
    if (!line || !line->AsNumber() || !status || !status->AsString() || !message ||
        !message->AsString() || *line->AsNumber() < 1 || *line->AsNumber() > 1e9)
        return std::nullopt;
    TaskResult result;
    size_t kind = 0;
    while (kind < kStatus.size() && kStatus[kind] != *status->AsString()) ++kind;
    if (kind == kStatus.size()) return std::nullopt;
    result.status = static_cast<TaskResult::Status>(kind);
    if (frames && frames->AsNumber() && *frames->AsNumber() >= 0 && *frames->AsNumber() < 1e15)
        result.frames = static_cast<int64_t>(*frames->AsNumber());
    if (seconds && seconds->AsNumber()) result.seconds = *seconds->AsNumber();
    result.message = *message->AsString();
    return std::pair{static_cast<int>(*line->AsNumber()), std::move(result)};
}

void BatchLedger::WriteHeldReport() {
    if (!report_) return;
    for (const auto& [line, text] : heldReport_) std::fputs(text.c_str(), report_);
    heldReport_.clear();
    std::fflush(report_);
}

int BatchLedger::Conclude(bool stopped) {
    WriteHeldReport();
    const size_t notRun = total_ > Done() ? total_ - Done() : 0;
    std::printf("batch: %zu converted, %zu skipped, %zu failed", converted_, skipped_, failed_);
    if (notRun > 0) std::printf(", %zu not run", notRun);
    std::printf("\n");
    if (stopped) return kExitCancelled;
    return failed_ > 0 || notRun > 0 ? kExitFailed : 0;
}

}  // namespace cli
