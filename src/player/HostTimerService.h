#pragma once
// The timer service the engine finds through its site: every timer it asks for is the
// host's one timer, unless it passes a reference timer, which it gets back.

#include "player/HostTimer.h"
#include "swf/player/TimerService.h"

namespace player {

class HostTimerService : public swf::TimerService {
  public:
    explicit HostTimerService(HostTimer& timer) : timer_(timer) {}

    swf::Timer* CreateTimer(swf::Timer* reference) override;

  private:
    HostTimer& timer_;
};

}  // namespace player
