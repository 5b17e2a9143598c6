#pragma once
// Runs the tasks of a batch one after another through the ordinary conversion runs, each
// with its own movie, output and settings put in place of the main window's. Between tasks
// the program goes back to its event loop: each task is started by a BatchNextTask event,
// which the main window posts on a clock tick while playback is stopped, and which the
// conversion runner posts (through BatchReport) when a task with a recording phase ends. At
// the end the log lists how every task ended, and the list is emptied.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "convert/run/BatchReport.h"

class QWidget;

namespace settings {
class AviExportTask;
class ExportTask;
class ImageSequenceTask;
class VideoExportTask;
}  // namespace settings

namespace batch {

class BatchHost;
class BatchTaskList;

class BatchRun : public convert::BatchReport {
  public:
    // Shows the log of a finished batch while its tasks still exist.
    using ShowLog = std::function<void(const BatchTaskList& tasks)>;

    // The log dialog is owned by `logOwner`.
    BatchRun(BatchHost& host, BatchTaskList& tasks, QWidget* logOwner = nullptr);

    // After the batch dialog's OK: starts the first task (or, for an empty list, shows the
    // log at once).
    void Start();
    // A BatchNextTask event: records a recorded task's result, then starts the next task,
    // or finishes the batch when `stop` is set or no task is left.
    void OnNextTask(bool stop, int32_t result);

    // From Start() until the log has been closed.
    bool running() const { return running_; }
    // While a task is being started or the batch finished: clock ticks are to be dropped.
    bool runInProgress() const { return runInProgress_; }

    void SetShowLog(ShowLog show) { showLog_ = std::move(show); }
    // A warning of the running task's conversion, kept with the task for the log: no one
    // may be there to close a box, and the batch goes on.
    void NoteWarning(const std::string& text);

    bool HasFurtherTasks() const override;
    void PostNextTask(int32_t result, bool stopRemaining) override;

  private:
    // The task started last: the recorded one while its result is awaited.
    size_t CurrentIndex() const { return awaitingRecordedResult_ ? next_ - 1 : next_; }
    void RunNextTask(bool stop);
    // Each returns whether the batch goes on.
    bool StartTask(settings::ExportTask& task);
    bool StartAviTask(settings::AviExportTask& task);
    bool StartImageTask(settings::ImageSequenceTask& task);
    bool StartVideoTask(settings::VideoExportTask& task);
    bool GoesOnAfter(int32_t result);
    void Record(settings::ExportTask& task, int32_t result);
    void Finish();

    BatchHost& host_;
    BatchTaskList& tasks_;
    ShowLog showLog_;
    bool running_ = false;
    bool runInProgress_ = false;
    // The index of the next task to start.
    size_t next_ = 0;
    // The task before next_ is recording; its result comes with the next BatchNextTask.
    bool awaitingRecordedResult_ = false;
};

}  // namespace batch
