#pragma once
// A batch task that writes an AVI file. It owns its audio format and compressor settings,
// which its settings dialog edits in place.

#include <memory>
#include <string>

#include "audio/WaveFormat.h"
#include "convert/CompressorSettings.h"
#include "settings/AviExportSettings.h"
#include "settings/ExportTask.h"

namespace settings {

class AviExportTask : public ExportTask {
  public:
    // Takes the template's settings, over the whole of this task's movie at its own frame
    // rate, and a copy of the template's audio format and compressor settings (the default
    // compressor settings when the template has none).
    AviExportTask(const convert::MovieHeader& movie, std::string sourcePath, std::string outputPath,
                  const AviExportSettings& settingsTemplate,
                  const audio::WaveFormat& audioFormatTemplate,
                  const convert::CompressorSettings* compressorTemplate);

    AviExportSettings settings;
    audio::WaveFormat audioFormat;
    // Shared while the task runs: the main window then uses this very record.
    std::shared_ptr<convert::CompressorSettings> compressor;
};

}  // namespace settings
