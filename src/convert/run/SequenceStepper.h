#pragma once
// Walks the main timeline as the sequence mode asks, once before every output frame and
// every pre-roll step of a run.

#include "settings/SequenceMode.h"

namespace swf {
class Player;
}

namespace convert {

class SequenceStepper {
  public:
    explicit SequenceStepper(settings::SequenceMode mode) : mode_(mode) {}

    // SkipBackward: a timeline that has not moved forward since the last step (a backward
    // jump or a stall) is put on the frame after the last one; forward jumps stay.
    // FrameByFrame: step n shows frame n. Normal: the timeline moves only with the clock.
    void Apply(swf::Player& control);

  private:
    settings::SequenceMode mode_;
    int last_ = -1;
    int expected_ = -1;
};

}  // namespace convert
