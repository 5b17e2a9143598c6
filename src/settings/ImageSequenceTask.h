#pragma once
// A batch task that writes a TGA or PNG image sequence.

#include <string>

#include "settings/ExportTask.h"
#include "settings/ImageSequenceSettings.h"

namespace settings {

class ImageSequenceTask : public ExportTask {
  public:
    // Takes the template's settings, over the whole of this task's movie.
    ImageSequenceTask(OutputKind kind, const convert::MovieHeader& movie, std::string sourcePath,
                      std::string outputPath, const ImageSequenceSettings& settingsTemplate);

    ImageSequenceSettings settings;
};

}  // namespace settings
