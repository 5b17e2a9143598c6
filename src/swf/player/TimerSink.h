#pragma once
// What a timer calls: one call is one tick of the engine's clock.

#include <cstdint>

namespace swf {

class TimerSink {
  public:
    virtual ~TimerSink() = default;
    // `timeMs` is the host's clock in milliseconds; the engine advances one frame per call.
    virtual void OnTimer(uint32_t timeMs) = 0;
};

}  // namespace swf
