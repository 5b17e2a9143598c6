#pragma once
// The values an export command puts into its settings before it offers them for editing:
// the whole movie, at its own frame rate, at the size of the player area.

#include <cstdint>

#include "convert/MovieHeader.h"
#include "settings/AviExportSettings.h"
#include "settings/ImageSequenceSettings.h"

namespace settings {

// The player area when the command opens its dialog, and whether "Keep Aspect Ratio" is
// checked in the menu.
struct PlayerArea {
    int32_t width = 0;
    int32_t height = 0;
    bool keepAspectRatio = true;
};

// Hundredths of a frame per second, truncated toward zero (29.96875 fps gives 2996).
int32_t FrameRate100(double framesPerSecond);

// First frame to last frame of the movie; for AVI also the movie's frame rate.
void SetFrameRangeFor(AviExportSettings& settings, const convert::MovieHeader& movie);
void SetFrameRangeFor(ImageSequenceSettings& settings, const convert::MovieHeader& movie);

// The frame range as above, the player area's size and aspect choice, and useOriginalSize
// when that size is the movie's own. Every other field keeps its last committed value.
void OfferFor(AviExportSettings& settings, const convert::MovieHeader& movie,
              const PlayerArea& area);
void OfferFor(ImageSequenceSettings& settings, const convert::MovieHeader& movie,
              const PlayerArea& area);

}  // namespace settings
