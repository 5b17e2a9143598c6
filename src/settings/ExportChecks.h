#pragma once
// The checks that an export's settings must pass before a conversion starts. The settings
// dialogs run them when OK is pressed and the command-line program before it converts; each
// returns the string id of the message that refuses the values, or 0 when they pass.

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/AviExportSettings.h"
#include "settings/ImageSequenceSettings.h"

namespace settings {

// The AVI writer counts the split limit in bytes in a signed 32-bit number.
inline constexpr int32_t kMaxSplitSizeMB = 2000;

// 131 when no compressor name is shown.
int CheckCompressorSelected(std::string_view compressorName);
// 130 when the file cannot be read, 125 when it does not open as a WAV file.
int CheckWaveFile(const std::string& path);
// 135 unless 0 <= start <= end.
int CheckFrameRange(int32_t startFrame, int32_t endFrame);
// 136 unless the rate is above 0.
int CheckFrameRate(int32_t frameRate100);

// All checks of an AVI export, in order, the first failure winning: compressor, WAV file
// (only when it is the audio source), frame range, frame rate. Once the compressor check has
// passed, a source other than a WAV file empties wavePath. When everything passes, the split
// size is held to the limit as well, since a larger one would overflow the writer's limit.
int CheckAviExport(AviExportSettings& settings, std::string_view compressorName, bool fromWaveFile);
// An image sequence has only its frame range to check.
int CheckImageSequenceExport(const ImageSequenceSettings& settings);

// A split size typed above the limit becomes the limit, with message 143 (formatted with the
// limit) to say so; any other size stands, with no message.
struct SplitSizeLimit {
    int32_t splitSizeMB;
    int messageId;
};
SplitSizeLimit LimitSplitSize(int32_t typedSizeMB);

}  // namespace settings
