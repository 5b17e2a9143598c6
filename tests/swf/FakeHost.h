#pragma once
// A host for the engine's tests: serves its timer, records what the engine advised and ticks
// only when the test says so.

#include <cstdint>
#include <vector>

#include "swf/player/ServiceProvider.h"

namespace enginetest {

class FakeHost : public swf::ServiceProvider, public swf::TimerService, public swf::Timer {
  public:
    swf::TimerService* QueryTimerService() override {
        ++serviceQueries;
        return this;
    }
    swf::Timer* CreateTimer(swf::Timer*) override {
        ++timersCreated;
        return this;
    }
    bool Advise(uint32_t intervalMs, swf::TimerSink* s, uint32_t& cookie) override {
        advisedIntervals.push_back(intervalMs);
        sink = s;
        cookie = ++lastCookie;
        return true;
    }
    void Unadvise(uint32_t cookie) override {
        unadvised.push_back(cookie);
        sink = nullptr;
    }
    void Freeze(bool) override {}
    uint32_t GetTime() override { return now; }

    void tick(int count = 1) {
        for (int i = 0; i < count && sink; ++i) sink->OnTimer(now += 10);
    }

    int serviceQueries = 0;
    int timersCreated = 0;
    std::vector<uint32_t> advisedIntervals;
    std::vector<uint32_t> unadvised;
    swf::TimerSink* sink = nullptr;
    uint32_t lastCookie = 0;
    uint32_t now = 0;
};

}  // namespace enginetest
