#pragma once
// BatchNextTask: the batch run's next step, posted to the main window between tasks and when
// a recorded task's conversion ends.

#include <QEvent>
#include <cstdint>

namespace batch {

class BatchNextTaskEvent : public QEvent {
  public:
    // `stop` ends the batch; `result` is the result of the run that just ended (0 between
    // tasks).
    BatchNextTaskEvent(bool stop, int32_t result);

    bool stop() const { return stop_; }
    int32_t result() const { return result_; }

  private:
    bool stop_;
    int32_t result_;
};

}  // namespace batch
