#pragma once
// Runs the tasks of a batch one after another through the ordinary conversion runs, each
// with its own movie, output and settings put in place of the main window's. Between tasks
// the program goes back to its event loop: each task is started by a BatchNextTask event,
// which the main window posts on a clock tick while playback is stopped. At the end the log
// lists how every task ended, and the list is emptied.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

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

class BatchRun {
  public:
    // Shows the log of a finished batch while its tasks still exist.
    using ShowLog = std::function<void(const BatchTaskList& tasks)>;

    // The log dialog is owned by `logOwner`.
    BatchRun(BatchHost& host, BatchTaskList& tasks, QWidget* logOwner = nullptr);

    // After the batch dialog's OK: starts the first task (or, for an empty list, shows the
    // log at once).
    void Start();
    // A BatchNextTask event: starts the next task, or finishes the batch when `stop` is set
    // or no task is left.
    void OnNextTask(bool stop);

    // From Start() until the log has been closed.
    bool running() const { return running_; }
    // While a task is being started or the batch finished: clock ticks are to be dropped.
    bool runInProgress() const { return runInProgress_; }

    void SetShowLog(ShowLog show) { showLog_ = std::move(show); }
    // A warning of the running task's conversion, kept with the task for the log: no one
    // may be there to close a box, and the batch goes on.
    void NoteWarning(const std::string& text);

    // Tasks remain after the one that is running.
    bool HasFurtherTasks() const;

  private:
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
    // The index of the next task to start, or of the one running.
    size_t next_ = 0;
};

}  // namespace batch
