#include "batch/TaskSummary.h"

#include <cstdio>

#include "audio/FormatDescription.h"
#include "batch/TaskSettings.h"
#include "convert/VideoEncoder.h"
#include "settings/AviExportTask.h"
#include "settings/VideoExportTask.h"

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

std::string VideoLine(const settings::VideoExportTask& task) {
    const settings::VideoExportSettings& video = task.settings;
    std::string line = std::string(settings::InfoOf(video.container).label) + ", " +
                       settings::InfoOf(video.videoCodec).name;
    if (video.crf >= 0) line += ", crf " + std::to_string(video.crf);
    char rate[64];
    std::snprintf(rate, sizeof rate, ", %.2f fps, %d bits", video.frameRate100 * 0.01,
                  video.colorDepth);
    return line + rate;
}

std::string AudioLine(const settings::VideoExportTask& task) {
    const std::string codec = settings::InfoOf(task.settings.audioCodec).name;
    switch (task.settings.audioSource()) {
        case settings::AudioSource::WaveFile:
            return codec + ", from external wave file  " + task.settings.wavePath;
        case settings::AudioSource::RecordFromMovie:
            return codec + ", from the SWF file";
        case settings::AudioSource::None:
            break;
    }
    return "none";
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
    } else if (const auto* video = dynamic_cast<const settings::VideoExportTask*>(&task)) {
        summary.avi = true;
        summary.videoOrColors = VideoLine(*video);
        summary.audio = AudioLine(*video);
    } else {
        summary.videoOrColors = std::to_string(common.colorDepth) + " bits";
    }
    return summary;
}

}  // namespace batch
