#pragma once
// How a conversion walks the movie's main timeline.

#include <array>
#include <cstdint>

namespace settings {

enum class SequenceMode : int32_t {
    SkipBackward = 0,  // skip "goto backward frame" jumps of the main timeline
    FrameByFrame = 1,  // every frame of the main timeline in order
    Normal = 2,        // as the movie plays
};

// In the order of the settings dialogs' radio buttons.
inline constexpr std::array<SequenceMode, 3> kSequenceModes = {
    SequenceMode::SkipBackward, SequenceMode::FrameByFrame, SequenceMode::Normal};

// Texts treat every value but the first two as Normal, since records may carry any number.
// The radio button's text.
const char* SequenceModeLabel(SequenceMode mode);
// The short form of the batch summary and log ("normal").
const char* SequenceModeSummary(SequenceMode mode);

}  // namespace settings
