#pragma once
// The texts of the log that ends a batch: the count line, and one entry per task saying
// how it ended, what it read and wrote, and how it walked the timeline. Lines end with
// "\r\n", as the log has always been shown and copied.

#include <string>

namespace batch {

class BatchTaskList;

class BatchLog {
  public:
    // "Total 3 batch tasks"
    static std::string CountLine(const BatchTaskList& tasks);
    // The entries in list order, each after a separator line; empty for no tasks.
    static std::string Text(const BatchTaskList& tasks);
};

}  // namespace batch
