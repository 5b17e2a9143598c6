#pragma once
// Ctrl+C and SIGTERM stop a batch, which cancels its running tasks, while it runs. Exit
// statuses are kept for the batch to collect, whatever SIGCHLD was set to.

#include <csignal>

namespace cli {

class StopSignals {
  public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Whether Ctrl+C or SIGTERM came since this was made.
    static bool Stopped();

  private:
    struct sigaction interrupt_ {};
    struct sigaction terminate_ {};
    struct sigaction child_ {};
};

}  // namespace cli
