#pragma once
// The tasks of a batch, in the order they run; the batch dialog's row i is task i. The main
// window owns the list; the batch dialog fills it and the batch run empties it at its end.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "convert/MovieHeader.h"
#include "settings/ExportTask.h"
#include "settings/OutputKind.h"

namespace batch {

struct ExportRecords;

class BatchTaskList {
  public:
    size_t size() const { return tasks_.size(); }
    bool empty() const { return tasks_.empty(); }
    settings::ExportTask& at(size_t index) { return *tasks_.at(index); }
    const settings::ExportTask& at(size_t index) const { return *tasks_.at(index); }

    void Append(std::unique_ptr<settings::ExportTask> task);
    // An index beyond the list removes nothing.
    void RemoveAt(size_t index);
    // Every task, the last first.
    void Clear();
    bool HasAviTask() const;

    // A new task of `kind` that converts the whole of its movie. Its other settings come
    // from the last task of the same family (AVI, video file, or any image sequence), else
    // from the main window's records.
    std::unique_ptr<settings::ExportTask> NewTask(settings::OutputKind kind,
                                                  const convert::MovieHeader& movie,
                                                  std::string sourcePath, std::string outputPath,
                                                  const ExportRecords& records) const;

    // The kind an output file name asks for by its extension: "avi" (any case) an AVI file,
    // "mp4", "mkv", "webm", "mov" and "gif" (any case) a video file, "tga" (any case) TGA
    // images, anything else PNG images.
    static settings::OutputKind KindForOutput(std::string_view outputPath);

  private:
    std::vector<std::unique_ptr<settings::ExportTask>> tasks_;
};

}  // namespace batch
