#include "batch/TaskSummary.h"

#include <cstdio>

#include "audio/FormatDescription.h"
#include "batch/TaskSettings.h"
#include "convert/VideoEncoder.h"
#include "settings/AviExportTask.h"

namespace batch {
namespace {

std::string AudioLine(const settings::AviExportTask& task) {
    switch (task.settings.audioSource()) {
        case settings::AudioSource::WaveFile:
            return "from external wave file  " + task.settings.wavePath;
        case settings::AudioSource::RecordFromMovie: {
            const audio::AudioFormatDescription format =
                audio::DescribeAudioFormat(task.audioFormat);
            return format.tagName + ", " + format.formatName;
        }
        case settings::AudioSource::None:
            break;
    }
    return "none";
}

std::string VideoLine(const settings::AviExportTask& task) {
    const std::string compressor =
        task.compressor ? convert::VideoCompressorName(*task.compressor)
                        : convert::VideoCompressorName(convert::CompressorSettings{});
    char rate[64];
    std::snprintf(rate, sizeof rate, ", %.2f fps, %d bits", task.settings.frameRate100 * 0.01,
                  task.settings.colorDepth);
    return compressor + rate;
}

}  // namespace

TaskSummary TaskSummary::Of(const settings::ExportTask& task) {
    const CommonTaskSettings common = CommonSettingsOf(task);
    TaskSummary summary;
    summary.sequence = settings::SequenceModeSummary(common.sequenceMode);
    summary.duration =
        std::to_string(common.startFrame) + " ~ " + std::to_string(common.endFrame) + " frames";
    summary.dimension = std::to_string(common.width) + " x " + std::to_string(common.height);
    if (common.keepAspectRatio) summary.dimension += ", keep aspect ratio";
    if (const auto* avi = dynamic_cast<const settings::AviExportTask*>(&task)) {
        summary.avi = true;
        summary.videoOrColors = VideoLine(*avi);
        summary.audio = AudioLine(*avi);
    } else {
        summary.videoOrColors = std::to_string(common.colorDepth) + " bits";
    }
    return summary;
}

}  // namespace batch
