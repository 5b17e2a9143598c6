#pragma once
// The engine's site: the only service it is offered is the host's timer service, so every
// advance of a movie is a tick the host hands it.

#include "player/HostTimerService.h"
#include "swf/player/ServiceProvider.h"

namespace player {

class HostServiceProvider : public swf::ServiceProvider {
  public:
    explicit HostServiceProvider(HostTimerService& timerService) : timerService_(timerService) {}

    swf::TimerService* QueryTimerService() override;

  private:
    HostTimerService& timerService_;
};

}  // namespace player
