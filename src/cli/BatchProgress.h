#pragma once
// The progress of a whole batch on stderr: tasks done of the total, those running, those
// failed (or the workers running and waiting) and the time since the start. On a terminal one line redrawn in place, with the
// batch's notes printed above it; otherwise a plain line each time a task ends.

#include <chrono>
#include <cstdio>
#include <string>

namespace cli {

class BatchProgress {
  public:
    BatchProgress(std::FILE* out, size_t total);

    // The counts changed or time went by; a terminal's line is redrawn a few times a second.
    void Update(size_t done, size_t running, size_t failed);
    // A task ended: on a terminal the line is redrawn, otherwise a line is written.
    void TaskEnded(size_t done, size_t running, size_t failed);
    // A batch spread over workers counts them: "running" counts workers, and `waiting` those
    // waiting to start.
    void CountWorkers(size_t waiting);
    // A line of its own, such as why a task failed.
    void Note(const std::string& text);
    // Leaves the last line standing.
    void Finish();

  private:
    std::string Line() const;
    void Draw();

    std::FILE* out_;
    bool terminal_;
    size_t total_;
    size_t done_ = 0;
    size_t running_ = 0;
    size_t failed_ = 0;
    bool byWorkers_ = false;
    size_t workersWaiting_ = 0;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastDrawn_;
};

}  // namespace cli
