#pragma once
// One period of the clock: carries where the engine's advised sink is kept, so that the
// handler reads the sink as it is when the tick is handled (null once the engine unadvised).

#include <QEvent>

#include "player/HostEvents.h"
#include "swf/player/TimerSink.h"

namespace player {

class ClockTickEvent : public QEvent {
  public:
    explicit ClockTickEvent(swf::TimerSink* const* sinkSlot)
        : QEvent(ClockTick), sinkSlot_(sinkSlot) {}

    swf::TimerSink* Sink() const { return *sinkSlot_; }
    swf::TimerSink* const* SinkSlot() const { return sinkSlot_; }

  private:
    swf::TimerSink* const* sinkSlot_;
};

}  // namespace player
