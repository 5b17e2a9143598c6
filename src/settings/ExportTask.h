#pragma once
// One task of a batch: a movie, the file it becomes and how. AviExportTask and
// ImageSequenceTask add the settings of their kind.

#include <cstdint>
#include <string>
#include <utility>

#include "convert/MovieHeader.h"
#include "resources/ResultCode.h"
#include "settings/OutputKind.h"

namespace settings {

class ExportTask {
  public:
    virtual ~ExportTask() = default;

    OutputKind kind;
    convert::MovieHeader movie;  // the source movie's header, read when the task was added
    std::string sourcePath;
    // For image sequences, the name from which the numbered names are made.
    std::string outputPath;
    // Aborted until the task's run starts, failed once it has, then the run's own result.
    int32_t result = kResultAbort;
    // After the run, the last frame it reached; -1 before.
    int32_t lastFrame = -1;
    // What the run warned of as it went on (a movie cut short); empty when nothing.
    std::string warning;

  protected:
    ExportTask(OutputKind kind, const convert::MovieHeader& movie, std::string sourcePath,
               std::string outputPath)
        : kind(kind),
          movie(movie),
          sourcePath(std::move(sourcePath)),
          outputPath(std::move(outputPath)) {}
    ExportTask(const ExportTask&) = default;
    ExportTask& operator=(const ExportTask&) = default;
};

}  // namespace settings
