#include "resources/StringTable.h"

#include <algorithm>
#include <string_view>

namespace resources {
namespace {

struct Entry {
    int id;
    const char* text;
};

// Sorted by id, so that look-ups can search it.
constexpr Entry kTable[] = {
    {kStrSelectFlashFile, "Select a Flash File"},
    {kStrOutOfMemory, "Out of Memory"},
    {kStrDiskSpaceNotEnough, "Disk space not enough. Please change your temp directory."},
    {kStrFileOpenError, "File Open Error"},
    {kStrCreateAviFile, "Create AVI File"},
    {kStrFailedToOpenAviFile, "Failed to Open AVI File"},
    {kStrFailedToCreateAviStream, "Failed to Create AVI Stream"},
    {kStrFailedToCreateCompressedStream, "Failed to Create Compressed stream"},
    {kStrFailedToSetStreamFormat, "Failed to Set Stream Format"},
    {kStrFailedToWriteStream, "Failed to Write Stream"},
    {kStrConfirmCancel, "Are you sure you want to cancel ?"},
    {kStrConfirmFinish, "Are you sure you want to finish?"},
    {kStrInvalidWavFile, "Invalid wav file."},
    {kStrUncompressed, "Uncompressed"},
    {kStrCreatingVideo, "Creating video : %d  frames"},
    {kStrCreatingAudio, "Creating audio : %d  frames"},
    {kStrTotalFrames, "Total : %d  frames\n(%d ~ %d)"},
    {kStrFileNotExists, "File not exists."},
    {kStrCompressorNotSelected, "Video compressor not selected."},
    {kStrCreatingImageSequence, "Creating image sequence : %d frames"},
    {kStrCreateImageSequenceFiles, "Create Image Sequence Files"},
    {kStrSelectOutputFileName, "Select Output File Name"},
    {kStrInvalidFrameRange, "The \"Start/End frame\" number is invalid."},
    {kStrInvalidFrameRate, "The \"Frame rate\" is invalid."},
    {kStrBatchFailed, "Fail to finish batch creating."},
    {kStrConvertingToAvi, "Converting to AVI"},
    {kStrConvertingToTga, "Converting to TGA"},
    {kStrConvertingToPng, "Converting to PNG"},
    {kStrCancelRemainingBatchTasks, "Do you want to cancel all the remaining batch tasks?"},
    {kStrTotalBatchTasks, "Total %d batch tasks"},
    {kStrSplitSizeTooLarge, "File size cannot exceed %d MB."},
    {kStrPlayerMissing,
     "Please get Flash ActiveX control from https://www.kinetrope-pro.example/player"},
    {kStrPlayerVersionRefused,
     "Please upgrade the Flash ActiveX control version to 6.0 r23 above."},
    {kStrSeekModeNotice,
     "In seek mode, the audio will be disabled to present frame-accurate. Therefore, you "
     "cannot hear any sound under this mode."},
};

constexpr auto kIds = [] {
    std::array<int, std::size(kTable)> ids{};
    for (size_t i = 0; i < ids.size(); ++i) ids[i] = kTable[i].id;
    return ids;
}();
static_assert(std::ranges::is_sorted(kIds) && std::ranges::adjacent_find(kIds) == kIds.end(),
              "string ids must be unique and in ascending order");

}  // namespace

const char* LoadString(int id) {
    const auto* found = std::ranges::lower_bound(kTable, id, {}, &Entry::id);
    return found != std::end(kTable) && found->id == id ? found->text : nullptr;
}

std::span<const int> StringIds() {
    return kIds;
}

std::string FormatStringValues(int id, std::span<const long long> values) {
    const char* text = LoadString(id);
    if (text == nullptr) return {};
    const std::string_view format = text;
    std::string out;
    out.reserve(format.size() + 16 * values.size());
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (format[i + 1] == 'd' && next < values.size()) {
                out += std::to_string(values[next++]);
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

}  // namespace resources
