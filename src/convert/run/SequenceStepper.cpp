#include "convert/run/SequenceStepper.h"

#include "swf/player/Player.h"

namespace convert {

void SequenceStepper::Apply(swf::Player& control) {
    switch (mode_) {
        case settings::SequenceMode::SkipBackward: {
            int current = control.TCurrentFrame();
            if (last_ >= current) {
                current = last_ + 1;
                control.GotoFrame(current);
            }
            last_ = current;
            break;
        }
        case settings::SequenceMode::FrameByFrame:
            control.GotoFrame(++last_);
            break;
        default:
            break;
    }
}

}  // namespace convert
