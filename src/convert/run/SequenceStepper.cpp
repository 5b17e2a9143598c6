#include "convert/run/SequenceStepper.h"

#include "swf/player/Player.h"

namespace convert {

void SequenceStepper::Apply(swf::Player& control) {
    switch (mode_) {
        case settings::SequenceMode::SkipBackward: {
            int current = control.TCurrentFrame();
            if (last_ >= current) {
                control.GotoFrame(last_ + 1);
                current = last_ + 1;
            }
            last_ = current;
            break;
        }
        case settings::SequenceMode::FrameByFrame:
            control.GotoFrame(++expected_);
            break;
        default:
            break;
    }
}

}  // namespace convert
