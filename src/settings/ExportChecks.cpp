#include "settings/ExportChecks.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "audio/WavFile.h"
#include "resources/ResultCode.h"
#include "resources/StringTable.h"

namespace settings {
namespace {

bool IsReadableFile(const std::string& path) {
    std::error_code error;
    // Only regular files: opening a FIFO would block, a folder "opens" but cannot be read.
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) return false;
    return std::ifstream(path, std::ios::binary).is_open();
}

bool OpensAsWavFile(const std::string& path) {
    audio::WavFile file;  // closed again when it goes out of scope
    return Succeeded(file.Open(path, audio::WavFile::ReadMode));
}

}  // namespace

int CheckCompressorSelected(std::string_view compressorName) {
    return compressorName.empty() ? resources::kStrCompressorNotSelected : 0;
}

int CheckWaveFile(const std::string& path) {
    if (!IsReadableFile(path)) return resources::kStrFileNotExists;
    if (!OpensAsWavFile(path)) return resources::kStrInvalidWavFile;
    return 0;
}

int CheckFrameRange(int32_t startFrame, int32_t endFrame) {
    return startFrame < 0 || endFrame < 0 || startFrame > endFrame
               ? resources::kStrInvalidFrameRange
               : 0;
}

int CheckFrameRate(int32_t frameRate100) {
    return frameRate100 > 0 ? 0 : resources::kStrInvalidFrameRate;
}

int CheckAviExport(AviExportSettings& settings, std::string_view compressorName,
                   bool fromWaveFile) {
    if (int failed = CheckCompressorSelected(compressorName)) return failed;
    if (fromWaveFile) {
        if (int failed = CheckWaveFile(settings.wavePath)) return failed;
    } else {
        settings.wavePath.clear();
    }
    if (int failed = CheckFrameRange(settings.startFrame, settings.endFrame)) return failed;
    if (int failed = CheckFrameRate(settings.frameRate100)) return failed;
    settings.splitSizeMB = LimitSplitSize(settings.splitSizeMB).splitSizeMB;
    return 0;
}

int CheckImageSequenceExport(const ImageSequenceSettings& settings) {
    return CheckFrameRange(settings.startFrame, settings.endFrame);
}

SplitSizeLimit LimitSplitSize(int32_t typedSizeMB) {
    if (typedSizeMB > kMaxSplitSizeMB) return {kMaxSplitSizeMB, resources::kStrSplitSizeTooLarge};
    return {typedSizeMB, 0};
}

}  // namespace settings
