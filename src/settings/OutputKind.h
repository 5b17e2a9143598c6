#pragma once
// What an export produces: one AVI file, one video file through FFmpeg (MP4, Matroska, WebM,
// QuickTime, GIF) or a numbered sequence of images.

#include <cstdint>

namespace settings {

enum class OutputKind : int32_t {
    Avi = 1,
    Video = 2,
    Tga = 11,
    Png = 12,
};

// Every kind above 10 is an image sequence.
inline bool IsImageSequence(OutputKind kind) {
    return static_cast<int32_t>(kind) > 10;
}

// "AVI", "VIDEO", "TGA" or "PNG", as the batch list shows the format; "" for any other value.
const char* OutputKindLabel(OutputKind kind);

}  // namespace settings
