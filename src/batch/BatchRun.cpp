#include "batch/BatchRun.h"

#include <algorithm>
#include <memory>

#include "batch/BatchHost.h"
#include "batch/BatchLogDialog.h"
#include "batch/BatchTaskList.h"
#include "batch/ExportRecords.h"
#include "convert/VideoEncoder.h"
#include "convert/run/ConversionRunner.h"
#include "resources/ResultCode.h"
#include "resources/StringTable.h"
#include "settings/AviExportTask.h"
#include "settings/ImageSequenceTask.h"
#include "settings/VideoExportTask.h"

namespace batch {
namespace {

// A movie cut short (a download that stopped) holds fewer frames than its header gave when
// its task was added: the task ends with the last complete one.
template <class Settings>
void EndWithin(Settings& settings, int32_t frames) {
    settings.endFrame = std::min(settings.endFrame, frames - 1);
}

}  // namespace

BatchRun::BatchRun(BatchHost& host, BatchTaskList& tasks, QWidget* logOwner)
    : host_(host), tasks_(tasks), showLog_([logOwner](const BatchTaskList& finished) {
          BatchLogDialog(finished, logOwner).exec();
      }) {}

void BatchRun::Start() {
    host_.HideSeekController();
    // Each AVI task brings its own compressor settings.
    if (tasks_.HasAviTask()) host_.Records().compressor.reset();
    running_ = true;
    next_ = 0;
    RunNextTask(false);
}

void BatchRun::OnNextTask(bool stop) {
    // Not between tasks: a stray event after the end, or one dispatched by a nested event
    // loop while a task is being started.
    if (!running_ || runInProgress_) return;
    RunNextTask(stop);
}

bool BatchRun::HasFurtherTasks() const {
    return next_ + 1 < tasks_.size();
}

void BatchRun::NoteWarning(const std::string& text) {
    if (next_ >= tasks_.size()) return;
    std::string& warning = tasks_.at(next_).warning;
    warning += (warning.empty() ? "" : "; ") + text;
}

void BatchRun::RunNextTask(bool stop) {
    runInProgress_ = true;
    host_.DiscardQueuedTicks();
    if (stop || next_ >= tasks_.size() || !StartTask(tasks_.at(next_))) {
        Finish();
        return;
    }
    ++next_;
    runInProgress_ = false;
}

bool BatchRun::StartTask(settings::ExportTask& task) {
    task.result = kResultFail;
    if (!host_.OpenTaskMovie(task)) {
        host_.ShowErrorMessage(resources::kStrFileOpenError);
        return false;
    }
    host_.ShowMovieTitle(task.sourcePath);
    if (auto* avi = dynamic_cast<settings::AviExportTask*>(&task)) return StartAviTask(*avi);
    if (auto* images = dynamic_cast<settings::ImageSequenceTask*>(&task))
        return StartImageTask(*images);
    if (auto* video = dynamic_cast<settings::VideoExportTask*>(&task))
        return StartVideoTask(*video);
    return false;
}

bool BatchRun::StartAviTask(settings::AviExportTask& task) {
    EndWithin(task.settings, host_.OpenMovieFrameCount());
    convert::CompressorSettings& compressor = *task.compressor;
    // The batch dialog closed the compressors of its tasks when it ended.
    if (!compressor.hic) compressor.hic = convert::OpenVideoCompressor(compressor.fccHandler);
    ExportRecords& records = host_.Records();
    records.compressor = task.compressor;
    records.audioFormat = task.audioFormat;
    records.avi = task.settings;
    host_.ResizeToMovie(task.settings.width, task.settings.height,
                        task.settings.keepAspectRatio != 0);

    const convert::AviJob job{task.settings, task.audioFormat, compressor, task.outputPath};
    const int32_t result = host_.RunAvi(job);
    Record(task, result);
    if (!GoesOnAfter(result)) return false;
    compressor.hic.reset();
    return true;
}

bool BatchRun::StartImageTask(settings::ImageSequenceTask& task) {
    EndWithin(task.settings, host_.OpenMovieFrameCount());
    host_.Records().image = task.settings;
    host_.ResizeToMovie(task.settings.width, task.settings.height,
                        task.settings.keepAspectRatio != 0);
    const int32_t result = host_.RunImageSequence(task.settings, task.kind, task.outputPath);
    Record(task, result);
    return GoesOnAfter(result);
}

bool BatchRun::StartVideoTask(settings::VideoExportTask& task) {
    EndWithin(task.settings, host_.OpenMovieFrameCount());
    host_.Records().video = task.settings;
    host_.ResizeToMovie(task.settings.width, task.settings.height,
                        task.settings.keepAspectRatio != 0);
    const convert::VideoJob job{task.settings, settings::VideoRecordingFormat(), task.outputPath};
    const int32_t result = host_.RunVideo(job);
    Record(task, result);
    return GoesOnAfter(result);
}

bool BatchRun::GoesOnAfter(int32_t result) {
    if (Succeeded(result)) return true;
    if (result == kResultAbort)
        return HasFurtherTasks() && !host_.AskYesNo(resources::kStrCancelRemainingBatchTasks);
    host_.ShowErrorMessage(resources::kStrBatchFailed);
    return false;
}

void BatchRun::Record(settings::ExportTask& task, int32_t result) {
    task.result = result;
    task.lastFrame = host_.LastFrameReached();
}

void BatchRun::Finish() {
    running_ = false;
    // The main window keeps the last compressor settings in effect, without sharing them
    // with a task that is about to go.
    std::shared_ptr<convert::CompressorSettings>& compressor = host_.Records().compressor;
    if (compressor) {
        compressor = std::make_shared<convert::CompressorSettings>(
            convert::CopyCompressorSettings(*compressor, convert::CompressorCopy::AfterBatch));
    }
    showLog_(tasks_);
    tasks_.Clear();
    host_.DiscardQueuedTicks();
    runInProgress_ = false;
    host_.ResetSeekEndFrame();
}

}  // namespace batch
