#pragma once
// A timer of the host: the engine advises it with its frame interval and gets OnTimer calls.

#include <cstdint>

#include "swf/player/TimerSink.h"

namespace swf {

class Timer {
  public:
    virtual ~Timer() = default;
    // Starts calling `sink` every `intervalMs` milliseconds (or whenever the host decides to
    // tick). Returns false when the timer cannot be started; otherwise `cookie` names the
    // advice for Unadvise.
    virtual bool Advise(uint32_t intervalMs, TimerSink* sink, uint32_t& cookie) = 0;
    virtual void Unadvise(uint32_t cookie) = 0;
    // While frozen, GetTime keeps returning the time of the freeze.
    virtual void Freeze(bool freeze) = 0;
    virtual uint32_t GetTime() = 0;
};

}  // namespace swf
