#pragma once
// Where a run that ends on a clock tick (one with a recording phase) reports its result
// while a batch is running, so that the batch starts its next task.

#include <cstdint>

namespace convert {

class BatchReport {
  public:
    virtual ~BatchReport() = default;
    // Tasks remain after the one that is running.
    virtual bool HasFurtherTasks() const = 0;
    // The next task is started later from the message loop, or the batch ends when
    // `stopRemaining` is set.
    virtual void PostNextTask(int32_t result, bool stopRemaining) = 0;
};

}  // namespace convert
