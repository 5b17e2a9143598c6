#pragma once
// The settings of one TGA or PNG image sequence export. It has no frame rate of its own.

#include <cstdint>

#include "settings/ColorDepth.h"
#include "settings/SequenceMode.h"

namespace settings {

struct ImageSequenceSettings {
    int32_t startFrame = 0;  // 0-based
    int32_t endFrame = 0;    // 0-based, inclusive
    SequenceMode sequenceMode = SequenceMode::Normal;
    int32_t colorDepth = kColorDepthRgb;
    int32_t width = 0;
    int32_t height = 0;
    int32_t keepAspectRatio = 1;
    int32_t useOriginalSize = 1;

    friend bool operator==(const ImageSequenceSettings&, const ImageSequenceSettings&) = default;
};

}  // namespace settings
