#pragma once
// The host's frame clock. Started with the interval the engine asks for whenever a movie
// starts, it runs a clock thread that posts ClockTick to the tick receiver (the main window)
// every period; the receiver decides per tick whether the engine advances a frame. Lives as
// long as the main window; used on the main thread only.

#include <QObject>
#include <atomic>
#include <cstdint>
#include <memory>

#include "player/TimerThread.h"

namespace player {

// The periods a clock can be started with, in milliseconds.
struct PeriodLimits {
    uint32_t minMs;
    uint32_t maxMs;
};

class FrameClock {
  public:
    // What the clock thread keeps: from one millisecond up to 1000 seconds.
    static constexpr PeriodLimits kDeviceLimits{1, 1000000};

    // `pendingTicks` counts the ticks posted and not yet handled; the receiver counts it down.
    FrameClock(QObject* tickReceiver, std::atomic<int32_t>& pendingTicks,
               PeriodLimits limits = kDeviceLimits);
    // Stops the clock and drops the ticks still queued for the receiver (they stay in the
    // pending count, which the receiver resets).
    ~FrameClock();
    FrameClock(const FrameClock&) = delete;
    FrameClock& operator=(const FrameClock&) = delete;

    // Starts ticking every `intervalMs`, clamped to the limits, replacing any running clock.
    // False without a tick receiver or when no clock thread can be started.
    bool Start(uint32_t intervalMs);
    // The period of the running clock; 0 while none runs.
    uint32_t PeriodMs() const { return thread_ ? thread_->PeriodMs() : 0; }

  private:
    QObject* const tickReceiver_;
    std::atomic<int32_t>& pendingTicks_;
    const PeriodLimits limits_;
    std::unique_ptr<TimerThread> thread_;
};

}  // namespace player
