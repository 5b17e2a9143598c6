#pragma once
// What the playback clock needs from the main window that owns it: the state of the runs and
// of the batch that decides where a tick goes, and where a tick between batch tasks goes.

namespace player {

class ClockOwner {
  public:
    virtual ~ClockOwner() = default;

    // A synchronous run, or a modal step started from a tick, is going on: ticks that its
    // nested event loops deliver are dropped.
    virtual bool RunInProgress() const = 0;
    // A batch waits between its tasks.
    virtual bool BatchRunning() const = 0;

    // Posts BatchNextTask asking the batch to go on (no run result), to start its next task.
    virtual void PostBatchNextTask() = 0;
};

}  // namespace player
