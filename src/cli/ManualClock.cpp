#include "cli/ManualClock.h"

namespace cli {

bool ManualClock::Advise(uint32_t intervalMs, swf::TimerSink* sink, uint32_t& cookie) {
    sink_ = sink;
    intervalMs_ = intervalMs;
    cookie = ++cookie_;
    return true;
}

void ManualClock::Unadvise(uint32_t cookie) {
    if (cookie == cookie_) sink_ = nullptr;
}

void ManualClock::Freeze(bool freeze) {
    frozen_ = freeze;
    if (freeze) frozenTime_ = time_;
}

bool ManualClock::tick() {
    if (!sink_) return false;
    time_ += intervalMs_;
    sink_->OnTimer(GetTime());
    return true;
}

}  // namespace cli
