#include "settings/SequenceMode.h"

namespace settings {

const char* SequenceModeLabel(SequenceMode mode) {
    switch (mode) {
        case SequenceMode::SkipBackward:
            return "Skip \"goto backward frame\" in main timeline";
        case SequenceMode::FrameByFrame:
            return "Frame by frame in main timeline";
        default:
            return "Normal";
    }
}

const char* SequenceModeSummary(SequenceMode mode) {
    switch (mode) {
        case SequenceMode::SkipBackward:
            return "skip backward frame";
        case SequenceMode::FrameByFrame:
            return "frame by frame";
        default:
            return "normal";
    }
}

}  // namespace settings
