#include "batch/TaskSettings.h"

#include "settings/AviExportTask.h"
#include "settings/ImageSequenceTask.h"
#include "settings/VideoExportTask.h"

namespace batch {
namespace {

template <class Record>
CommonTaskSettings CommonSettings(const Record& record) {
    return {record.sequenceMode,        record.startFrame, record.endFrame,
            record.colorDepth,          record.width,      record.height,
            record.keepAspectRatio != 0};
}

}  // namespace

CommonTaskSettings CommonSettingsOf(const settings::ExportTask& task) {
    if (const auto* avi = dynamic_cast<const settings::AviExportTask*>(&task))
        return CommonSettings(avi->settings);
    if (const auto* video = dynamic_cast<const settings::VideoExportTask*>(&task))
        return CommonSettings(video->settings);
    if (const auto* images = dynamic_cast<const settings::ImageSequenceTask*>(&task))
        return CommonSettings(images->settings);
    return {};
}

}  // namespace batch
