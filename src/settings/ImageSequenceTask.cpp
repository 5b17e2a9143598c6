#include "settings/ImageSequenceTask.h"

#include <utility>

#include "settings/OfferedSettings.h"

namespace settings {

ImageSequenceTask::ImageSequenceTask(OutputKind kind, const convert::MovieHeader& movie,
                                     std::string sourcePath, std::string outputPath,
                                     const ImageSequenceSettings& settingsTemplate)
    : ExportTask(kind, movie, std::move(sourcePath), std::move(outputPath)),
      settings(settingsTemplate) {
    SetFrameRangeFor(settings, movie);
}

}  // namespace settings
