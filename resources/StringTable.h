#pragma once
// The program's string table: every user-visible message, looked up by its id, so that the
// desktop program and the command-line program say the same things in the same words.

#include <array>
#include <concepts>
#include <span>
#include <string>

namespace resources {

// Caption of every message box.
inline constexpr const char* kProductCaption = "Kinetrope Pro";
// Window and dialog titles.
inline constexpr const char* kProductTitle = "Quillmoth Kinetrope Pro";

inline constexpr int kStrSelectFlashFile = 103;
inline constexpr int kStrOutOfMemory = 104;
inline constexpr int kStrDiskSpaceNotEnough = 105;
inline constexpr int kStrFileOpenError = 110;
inline constexpr int kStrCreateAviFile = 111;
inline constexpr int kStrFailedToOpenAviFile = 113;
inline constexpr int kStrFailedToCreateAviStream = 114;
inline constexpr int kStrFailedToCreateCompressedStream = 116;
inline constexpr int kStrFailedToSetStreamFormat = 117;
inline constexpr int kStrFailedToWriteStream = 118;
inline constexpr int kStrConfirmCancel = 123;
inline constexpr int kStrConfirmFinish = 124;
inline constexpr int kStrInvalidWavFile = 125;
inline constexpr int kStrUncompressed = 126;
inline constexpr int kStrCreatingVideo = 127;  // %d frames done
inline constexpr int kStrCreatingAudio = 128;  // %d frames done
inline constexpr int kStrTotalFrames = 129;    // %d frames, %d first, %d last
inline constexpr int kStrFileNotExists = 130;
inline constexpr int kStrCompressorNotSelected = 131;
inline constexpr int kStrCreatingImageSequence = 132;  // %d frames done
inline constexpr int kStrCreateImageSequenceFiles = 133;
inline constexpr int kStrSelectOutputFileName = 134;
inline constexpr int kStrInvalidFrameRange = 135;
inline constexpr int kStrInvalidFrameRate = 136;
inline constexpr int kStrBatchFailed = 137;
inline constexpr int kStrConvertingToAvi = 138;
inline constexpr int kStrConvertingToTga = 139;
inline constexpr int kStrConvertingToPng = 140;
inline constexpr int kStrCancelRemainingBatchTasks = 141;
inline constexpr int kStrTotalBatchTasks = 142;    // %d tasks
inline constexpr int kStrSplitSizeTooLarge = 143;  // %d megabytes
inline constexpr int kStrPlayerMissing = 145;
inline constexpr int kStrPlayerVersionRefused = 146;
inline constexpr int kStrSeekModeNotice = 149;

// The text of a string id, or nullptr when the table has no such id.
const char* LoadString(int id);

// Every id the table holds, in ascending order.
std::span<const int> StringIds();

// The text of a string id with each "%d" replaced by the next value, in order ("%%" is a
// percent sign). A placeholder without a value is left as it stands; an unknown id gives "".
std::string FormatStringValues(int id, std::span<const long long> values);

template <std::integral... Values>
std::string FormatString(int id, Values... values) {
    const std::array<long long, sizeof...(Values)> list{static_cast<long long>(values)...};
    return FormatStringValues(id, list);
}

}  // namespace resources
