#include "player/HostTimer.h"

#include <QCoreApplication>
#include <algorithm>
#include <system_error>

#include "player/HostEvents.h"
#include "player/SystemTime.h"

namespace player {

HostTimer::HostTimer(QObject* tickReceiver, std::atomic<int32_t>& pendingTicks, PeriodLimits limits)
    : tickReceiver_(tickReceiver), pendingTicks_(pendingTicks), limits_(limits) {}

HostTimer::~HostTimer() {
    thread_.reset();
    // A null receiver would remove every object's ticks.
    if (tickReceiver_) QCoreApplication::removePostedEvents(tickReceiver_, ClockTick);
}

bool HostTimer::Advise(uint32_t intervalMs, swf::TimerSink* sink, uint32_t& cookie) {
    // Ticks with nowhere to go would only pile up in the pending count.
    if (!tickReceiver_) return false;
    sink_ = sink;
    const uint32_t period = std::clamp(intervalMs, limits_.minMs, limits_.maxMs);
    thread_.reset();
    try {
        thread_ = std::make_unique<TimerThread>(period, tickReceiver_, &sink_, pendingTicks_);
    } catch (const std::system_error&) {
        return false;
    }
    cookie = ++cookie_;
    return true;
}

void HostTimer::Unadvise(uint32_t cookie) {
    if (cookie != cookie_) return;
    thread_.reset();
    sink_ = nullptr;
}

void HostTimer::Freeze(bool freeze) {
    frozen_ = freeze;
    if (freeze) frozenTime_ = SystemTimeMs();
}

uint32_t HostTimer::GetTime() {
    return frozen_ ? frozenTime_ : SystemTimeMs();
}

}  // namespace player
