#pragma once
// A batch task that writes a video file (MP4, Matroska, WebM, QuickTime or GIF).

#include <string>

#include "audio/WaveFormat.h"
#include "settings/ExportTask.h"
#include "settings/VideoExportSettings.h"

namespace settings {

class VideoExportTask : public ExportTask {
  public:
    // Takes the template's settings, over the whole of this task's movie at its own frame
    // rate, in the container the output's name asks for (with that container's default
    // codecs when it is not the template's).
    VideoExportTask(const convert::MovieHeader& movie, std::string sourcePath,
                    std::string outputPath, const VideoExportSettings& settingsTemplate);

    VideoExportSettings settings;
};

// The format the movie's own sound is recorded in before it is encoded: PCM at 48000 Hz, the
// rate Opus takes, which the other encoders resample from.
audio::WaveFormat VideoRecordingFormat();

}  // namespace settings
