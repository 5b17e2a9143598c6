#include "player/HostTimerService.h"

namespace player {

swf::Timer* HostTimerService::CreateTimer(swf::Timer* reference) {
    if (reference) return reference;
    return &timer_;
}

}  // namespace player
