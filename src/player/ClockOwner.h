#pragma once
// What the playback clock needs from the main window that owns it: the state of the runs and
// of the batch that decides where a tick goes, and the two places a tick can be handed on to.

namespace player {

class ClockOwner {
  public:
    virtual ~ClockOwner() = default;

    // A synchronous run, or a modal step started from a tick, is going on: ticks that its
    // nested event loops deliver are dropped.
    virtual bool RunInProgress() const = 0;
    // The recording phase of an AVI export is active: every tick belongs to it.
    virtual bool Recording() const = 0;
    // A batch waits between its tasks.
    virtual bool BatchRunning() const = 0;

    // One tick of the recording phase, which decides itself whether the movie gets it
    // (the main window passes it to its conversion runner).
    virtual void RecordingTick() = 0;
    // Posts BatchNextTask asking the batch to go on (no run result), to start its next task.
    virtual void PostBatchNextTask() = 0;
};

}  // namespace player
