#pragma once
// The timer the engine gets from the host's timer service. Advise starts a clock thread that
// posts ClockTick to the tick receiver (the main window) every period; the receiver decides
// per tick whether the engine's sink is called. GetTime is the host's millisecond clock,
// held still while frozen. Lives as long as the main window; used on the main thread only.

#include <QObject>
#include <atomic>
#include <cstdint>
#include <memory>

#include "player/TimerThread.h"
#include "swf/player/Timer.h"

namespace player {

// The periods a timer can be started with, in milliseconds.
struct PeriodLimits {
    uint32_t minMs;
    uint32_t maxMs;
};

class HostTimer : public swf::Timer {
  public:
    // What the clock thread keeps: from one millisecond up to 1000 seconds.
    static constexpr PeriodLimits kDeviceLimits{1, 1000000};

    // `pendingTicks` counts the ticks posted and not yet handled; the receiver counts it down.
    HostTimer(QObject* tickReceiver, std::atomic<int32_t>& pendingTicks,
              PeriodLimits limits = kDeviceLimits);
    // Stops the clock and drops the ticks still queued for the receiver, which point here
    // (they stay in the pending count, which the receiver resets).
    ~HostTimer() override;
    HostTimer(const HostTimer&) = delete;
    HostTimer& operator=(const HostTimer&) = delete;

    // Starts ticking with the interval clamped to the limits, replacing any running clock.
    // The sink is kept, not owned. False without a tick receiver or when no clock thread can
    // be started.
    bool Advise(uint32_t intervalMs, swf::TimerSink* sink, uint32_t& cookie) override;
    // Stops the clock of that advice and forgets its sink; an older cookie changes nothing.
    void Unadvise(uint32_t cookie) override;
    void Freeze(bool freeze) override;
    uint32_t GetTime() override;

    // The period of the running clock; 0 while none runs.
    uint32_t PeriodMs() const { return thread_ ? thread_->PeriodMs() : 0; }
    swf::TimerSink* Sink() const { return sink_; }

  private:
    QObject* const tickReceiver_;
    std::atomic<int32_t>& pendingTicks_;
    const PeriodLimits limits_;
    swf::TimerSink* sink_ = nullptr;
    uint32_t cookie_ = 0;
    bool frozen_ = false;
    uint32_t frozenTime_ = 0;
    std::unique_ptr<TimerThread> thread_;
};

}  // namespace player
