#include "player/TimerThread.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>

#include "player/HostEvents.h"

namespace player {

TimerThread::TimerThread(uint32_t periodMs, QObject* receiver, std::atomic<int32_t>& pendingTicks)
    : periodMs_(periodMs),
      receiver_(receiver),
      pendingTicks_(pendingTicks),
      thread_([this] { Run(); }) {}

TimerThread::~TimerThread() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void TimerThread::Run() {
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(periodMs_);
    auto next = Clock::now() + period;
    std::unique_lock lock(mutex_);
    while (!wake_.wait_until(lock, next, [this] { return stopping_; })) {
        // Counted before posting, so that the handler's count-down never passes below zero.
        pendingTicks_.fetch_add(1);
        QCoreApplication::postEvent(receiver_, new QEvent(ClockTick));
        // A thread woken late keeps the period from now on rather than posting a burst.
        next = std::max(next + period, Clock::now());
    }
}

}  // namespace player
