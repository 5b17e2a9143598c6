#include "batch/BatchNextTaskEvent.h"

#include "player/HostEvents.h"

namespace batch {

BatchNextTaskEvent::BatchNextTaskEvent(bool stop, int32_t result)
    : QEvent(player::BatchNextTask), stop_(stop), result_(result) {}

}  // namespace batch
