#pragma once
// The "Setting Information" of the batch dialog: the selected task's settings in five short
// lines. The fourth line is the video line of an AVI or video file task and the colours line
// of an image task; only those with a video line have the audio line.

#include <string>

#include "settings/ExportTask.h"

namespace batch {

struct TaskSummary {
    std::string sequence;   // "normal"
    std::string duration;   // "0 ~ 99 frames"
    std::string dimension;  // "320 x 240, keep aspect ratio"
    // AVI: "Uncompressed, 12.00 fps, 24 bits"; video file: "MP4, h264, crf 23, 12.00 fps,
    // 24 bits"; images: "24 bits".
    std::string videoOrColors;
    // AVI: "PCM, 44.100 kHz, 16 Bit, Stereo"; video file: "aac, from the SWF file"; or "none".
    std::string audio;
    bool avi = false;  // the video and audio lines are shown: an AVI or video file task

    static TaskSummary Of(const settings::ExportTask& task);
};

}  // namespace batch
