#include "settings/VideoExportTask.h"

#include <utility>

#include "settings/AviExportSettings.h"

namespace settings {

VideoExportTask::VideoExportTask(const convert::MovieHeader& movie, std::string sourcePath,
                                 std::string outputPath,
                                 const VideoExportSettings& settingsTemplate)
    : ExportTask(OutputKind::Video, movie, std::move(sourcePath), std::move(outputPath)),
      settings(settingsTemplate) {
    const std::optional<VideoContainer> container = ContainerForPath(this->outputPath);
    if (container && *container != settings.container) SetContainer(settings, *container);
    SetFrameRangeFor(settings, movie);
}

audio::WaveFormat VideoRecordingFormat() {
    audio::WaveFormat format = DefaultAudioFormat();
    format.samplesPerSec = 48000;
    return audio::NormalizePcm(format);
}

}  // namespace settings
