#include "batch/BatchLog.h"

#include "batch/BatchTaskList.h"
#include "batch/TaskSettings.h"
#include "resources/ResultCode.h"
#include "resources/StringTable.h"

namespace batch {
namespace {

constexpr size_t kSeparatorLength = 103;

std::string StatusLine(size_t number, const settings::ExportTask& task) {
    const std::string prefix = "task " + std::to_string(number) + " --";
    if (Failed(task.result))
        return prefix + "   " + (task.result == kResultAbort ? "aborted" : "failed");
    return prefix + "  " + std::to_string(CommonSettingsOf(task).startFrame) + " ~ " +
           std::to_string(task.lastFrame) + " frames created successfully";
}

}  // namespace

std::string BatchLog::CountLine(const BatchTaskList& tasks) {
    return resources::FormatString(resources::kStrTotalBatchTasks, tasks.size());
}

std::string BatchLog::Text(const BatchTaskList& tasks) {
    std::string log;
    for (size_t i = 0; i < tasks.size(); ++i) {
        const settings::ExportTask& task = tasks.at(i);
        log += std::string(kSeparatorLength, '/') + "\r\n";
        log += StatusLine(i + 1, task) + "\r\n";
        if (!task.warning.empty()) log += "Warning    : " + task.warning + "\r\n";
        log += "Source file: " + task.sourcePath + "\r\n";
        log += "Output file: " + task.outputPath + "\r\n";
        log += std::string("Sequence : ") +
               settings::SequenceModeSummary(CommonSettingsOf(task).sequenceMode) + "\r\n";
    }
    return log;
}

}  // namespace batch
