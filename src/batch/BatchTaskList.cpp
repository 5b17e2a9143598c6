#include "batch/BatchTaskList.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "batch/ExportRecords.h"
#include "settings/AviExportTask.h"
#include "settings/ImageSequenceTask.h"
#include "settings/VideoExportTask.h"

namespace batch {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// The text after the last dot of the file name; empty without one.
std::string_view ExtensionOf(std::string_view path) {
    const size_t nameStart = path.find_last_of('/');
    const std::string_view name =
        nameStart == std::string_view::npos ? path : path.substr(nameStart + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

// The last task of the given class: the template of a new one of that family.
template <class Task>
const Task* LastTaskOf(const std::vector<std::unique_ptr<settings::ExportTask>>& tasks) {
    for (auto task = tasks.rbegin(); task != tasks.rend(); ++task) {
        if (const auto* found = dynamic_cast<const Task*>(task->get())) return found;
    }
    return nullptr;
}

}  // namespace

void BatchTaskList::Append(std::unique_ptr<settings::ExportTask> task) {
    tasks_.push_back(std::move(task));
}

void BatchTaskList::RemoveAt(size_t index) {
    if (index < tasks_.size()) tasks_.erase(tasks_.begin() + static_cast<std::ptrdiff_t>(index));
}

void BatchTaskList::Clear() {
    while (!tasks_.empty()) tasks_.pop_back();
}

bool BatchTaskList::HasAviTask() const {
    return std::ranges::any_of(
        tasks_, [](const auto& task) { return task->kind == settings::OutputKind::Avi; });
}

std::unique_ptr<settings::ExportTask> BatchTaskList::NewTask(settings::OutputKind kind,
                                                             const convert::MovieHeader& movie,
                                                             std::string sourcePath,
                                                             std::string outputPath,
                                                             const ExportRecords& records) const {
    if (settings::IsImageSequence(kind)) {
        const auto* earlier = LastTaskOf<settings::ImageSequenceTask>(tasks_);
        return std::make_unique<settings::ImageSequenceTask>(
            kind, movie, std::move(sourcePath), std::move(outputPath),
            earlier ? earlier->settings : records.image);
    }
    if (kind == settings::OutputKind::Video) {
        const auto* earlier = LastTaskOf<settings::VideoExportTask>(tasks_);
        return std::make_unique<settings::VideoExportTask>(
            movie, std::move(sourcePath), std::move(outputPath),
            earlier ? earlier->settings : records.video);
    }
    if (const auto* earlier = LastTaskOf<settings::AviExportTask>(tasks_)) {
        return std::make_unique<settings::AviExportTask>(
            movie, std::move(sourcePath), std::move(outputPath), earlier->settings,
            earlier->audioFormat, earlier->compressor.get());
    }
    return std::make_unique<settings::AviExportTask>(movie, std::move(sourcePath),
                                                     std::move(outputPath), records.avi,
                                                     records.audioFormat, records.compressor.get());
}

settings::OutputKind BatchTaskList::KindForOutput(std::string_view outputPath) {
    const std::string_view extension = ExtensionOf(outputPath);
    if (EqualsIgnoringCase(extension, "avi")) return settings::OutputKind::Avi;
    for (const settings::VideoContainerInfo& container : settings::kVideoContainers)
        if (EqualsIgnoringCase(extension, container.extension)) return settings::OutputKind::Video;
    if (EqualsIgnoringCase(extension, "tga")) return settings::OutputKind::Tga;
    return settings::OutputKind::Png;
}

}  // namespace batch
