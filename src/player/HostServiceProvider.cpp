#include "player/HostServiceProvider.h"

namespace player {

swf::TimerService* HostServiceProvider::QueryTimerService() {
    return &timerService_;
}

}  // namespace player
