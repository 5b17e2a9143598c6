#pragma once
// The host's timer service, found through the engine's site.

#include "swf/player/Timer.h"

namespace swf {

class TimerService {
  public:
    virtual ~TimerService() = default;
    // A timer for the engine; given a reference timer, the host may hand that one back.
    // Null when none can be made. The host owns the timer.
    virtual Timer* CreateTimer(Timer* reference) = 0;
};

}  // namespace swf
