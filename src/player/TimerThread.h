#pragma once
// A periodic clock on its own thread. Each period it counts one pending tick and posts a
// ClockTick event to the receiver; it does nothing else, so it never waits on the main thread.
// A tick is posted every period even while earlier ones are still queued. Destroying the
// object stops the thread at once, even in the middle of a long period.

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace player {

class TimerThread {
  public:
    // Throws std::system_error when no thread can be started.
    TimerThread(uint32_t periodMs, QObject* receiver, std::atomic<int32_t>& pendingTicks);
    ~TimerThread();
    TimerThread(const TimerThread&) = delete;
    TimerThread& operator=(const TimerThread&) = delete;

    uint32_t PeriodMs() const { return periodMs_; }

  private:
    void Run();

    const uint32_t periodMs_;
    QObject* const receiver_;
    std::atomic<int32_t>& pendingTicks_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;  // last: starts once everything above is set
};

}  // namespace player
