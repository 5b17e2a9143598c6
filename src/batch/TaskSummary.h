#pragma once
// The "Setting Information" of the batch dialog: the selected task's settings in five short
// lines. The fourth line is the video line of an AVI task and the colours line of an image
// task; only an AVI task has the audio line.

#include <string>

#include "settings/ExportTask.h"

namespace batch {

struct TaskSummary {
    std::string sequence;   // "normal"
    std::string duration;   // "0 ~ 99 frames"
    std::string dimension;  // "320 x 240, keep aspect ratio"
    // AVI: "Uncompressed, 12.00 fps, 24 bits"; images: "24 bits".
    std::string videoOrColors;
    std::string audio;  // AVI only: "PCM, 44.100 kHz, 16 Bit, Stereo", or "none"
    bool avi = false;

    static TaskSummary Of(const settings::ExportTask& task);
};

}  // namespace batch
