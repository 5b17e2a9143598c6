#pragma once
// Walks the main timeline as the sequence mode asks, once before every tick that should show
// the next frame: every output frame and pre-roll step of a run, every step of seek mode.

#include "settings/SequenceMode.h"

namespace swf {
class Player;
}

namespace convert {

class SequenceStepper {
  public:
    // A run starts before frame 0, so its first step shows frame 0; seek mode starts on the
    // frame already shown.
    static constexpr int kBeforeFirstFrame = -1;

    explicit SequenceStepper(settings::SequenceMode mode, int lastFrame = kBeforeFirstFrame)
        : mode_(mode), last_(lastFrame) {}

    // SkipBackward: a timeline that has not moved forward since the last step (a backward
    // jump or a stall) is put on the frame after the last one; forward jumps stay.
    // FrameByFrame: each step goes to the frame after the last one. Normal: the timeline
    // moves only with the clock.
    void Apply(swf::Player& control);

    // The frame the last step forced or saw; the start value until a step changes it.
    int LastFrame() const { return last_; }

  private:
    settings::SequenceMode mode_;
    int last_;
};

}  // namespace convert
