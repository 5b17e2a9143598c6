#include "settings/AviExportTask.h"

#include <utility>

#include "settings/OfferedSettings.h"

namespace settings {

AviExportTask::AviExportTask(const convert::MovieHeader& movie, std::string sourcePath,
                             std::string outputPath, const AviExportSettings& settingsTemplate,
                             const audio::WaveFormat& audioFormatTemplate,
                             const convert::CompressorSettings* compressorTemplate)
    : ExportTask(OutputKind::Avi, movie, std::move(sourcePath), std::move(outputPath)),
      settings(settingsTemplate),
      audioFormat(audioFormatTemplate),
      compressor(std::make_shared<convert::CompressorSettings>(
          compressorTemplate ? convert::CopyCompressorSettings(*compressorTemplate,
                                                               convert::CompressorCopy::ForTask)
                             : convert::DefaultCompressorSettings())) {
    SetFrameRangeFor(settings, movie);
}

}  // namespace settings
