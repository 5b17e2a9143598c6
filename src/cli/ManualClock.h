#pragma once
// A host clock for running a movie headless: the engine finds it as its timer service, and
// each tick() delivers one OnTimer to the sink it advised, with a time that advances by
// exactly one frame interval per tick (no waiting).

#include <cstdint>

#include "swf/player/ServiceProvider.h"

namespace cli {

class ManualClock : public swf::ServiceProvider, public swf::TimerService, public swf::Timer {
  public:
    swf::TimerService* QueryTimerService() override { return this; }
    swf::Timer* CreateTimer(swf::Timer* reference) override { return reference ? reference : this; }

    bool Advise(uint32_t intervalMs, swf::TimerSink* sink, uint32_t& cookie) override;
    void Unadvise(uint32_t cookie) override;
    void Freeze(bool freeze) override;
    uint32_t GetTime() override { return frozen_ ? frozenTime_ : time_; }

    // One tick to the advised sink; false when nothing is advised.
    bool tick();
    uint32_t intervalMs() const { return intervalMs_; }

  private:
    swf::TimerSink* sink_ = nullptr;
    uint32_t intervalMs_ = 0;
    uint32_t cookie_ = 0;
    uint32_t time_ = 0;
    bool frozen_ = false;
    uint32_t frozenTime_ = 0;
};

}  // namespace cli
