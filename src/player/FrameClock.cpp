#include "player/FrameClock.h"

#include <QCoreApplication>
#include <algorithm>
#include <system_error>

#include "player/HostEvents.h"

namespace player {

FrameClock::FrameClock(QObject* tickReceiver, std::atomic<int32_t>& pendingTicks,
                       PeriodLimits limits)
    : tickReceiver_(tickReceiver), pendingTicks_(pendingTicks), limits_(limits) {}

FrameClock::~FrameClock() {
    thread_.reset();
    // A null receiver would remove every object's ticks.
    if (tickReceiver_) QCoreApplication::removePostedEvents(tickReceiver_, ClockTick);
}

bool FrameClock::Start(uint32_t intervalMs) {
    // Ticks with nowhere to go would only pile up in the pending count.
    if (!tickReceiver_) return false;
    const uint32_t period = std::clamp(intervalMs, limits_.minMs, limits_.maxMs);
    thread_.reset();
    try {
        thread_ = std::make_unique<TimerThread>(period, tickReceiver_, pendingTicks_);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

}  // namespace player
