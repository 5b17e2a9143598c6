#pragma once
// The engine's site: where it asks for the services it takes from its host.

#include "swf/player/TimerService.h"

namespace swf {

class ServiceProvider {
  public:
    virtual ~ServiceProvider() = default;
    // The host's timer service, or null when it offers none (the engine then never ticks).
    virtual TimerService* QueryTimerService() = 0;
};

}  // namespace swf
