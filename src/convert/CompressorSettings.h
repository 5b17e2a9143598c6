#pragma once
// The video compressor settings of an AVI export (the COMPVARS record): which encoder, how
// often a key frame, what data rate and quality. The AVI writer reads them; the settings
// dialog and the batch list keep one record per export.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace convert {

using FourCC = uint32_t;

constexpr FourCC MakeFourCC(char a, char b, char c, char d) {
    return static_cast<FourCC>(static_cast<uint8_t>(a)) |
           static_cast<FourCC>(static_cast<uint8_t>(b)) << 8 |
           static_cast<FourCC>(static_cast<uint8_t>(c)) << 16 |
           static_cast<FourCC>(static_cast<uint8_t>(d)) << 24;
}

// "DIB ": full uncompressed frames; no encoder needs to exist for it.
inline constexpr FourCC kFourCCDib = MakeFourCC('D', 'I', 'B', ' ');
// "vidc": the type of video compressors.
inline constexpr FourCC kFourCCVideoCompressor = MakeFourCC('v', 'i', 'd', 'c');

// The four characters of a code, in file order.
std::string FourCCToString(FourCC code);
// One to four printable ASCII characters, padded with spaces ("DIB" reads as "DIB ");
// nothing for any other text.
std::optional<FourCC> ParseFourCC(std::string_view text);

// ICMF_COMPVARS_VALID: the record has been filled in.
inline constexpr uint32_t kCompressorSettingsValid = 1;
// ICQUALITY_DEFAULT: the encoder's own quality.
inline constexpr int32_t kDefaultQuality = -1;

// The compressor found for a handler (VideoEncoder.h).
struct VideoCompressorInfo;

struct CompressorSettings {
    uint32_t cbSize = 64;
    uint32_t dwFlags = 0;
    // The compressor found for fccHandler; empty when there is none (always so for "DIB ").
    std::shared_ptr<const VideoCompressorInfo> hic;
    FourCC fccType = 0;
    FourCC fccHandler = 0;
    // The encoder's output format and its private configuration, as the chooser left them.
    std::vector<uint8_t> lpbiOut;
    int32_t lKey = 0;              // a key frame every lKey frames; 0 = no forced key frames
    int32_t lDataRate = 0;         // kilobytes per second; 0 = no data rate
    int32_t lQ = 0;                // quality, or kDefaultQuality
    std::vector<uint8_t> lpState;  // its size is the record's cbState
};

// The record made whenever one is needed without a template: uncompressed frames, a key
// frame every 15, 300 KB/s, the encoder's own quality.
CompressorSettings DefaultCompressorSettings();

enum class CompressorCopy {
    ForTask,     // a new batch task's record made from a template
    AfterBatch,  // the main window's record made from the last one a batch used
};

// A copy keeps the chosen encoder, key-frame rate, data rate and quality, but not the
// encoder's private state: it looks its compressor up afresh instead of sharing the
// original's, and its output format and state are cleared. A copy made after a batch is
// also marked valid again.
CompressorSettings CopyCompressorSettings(const CompressorSettings& source, CompressorCopy kind);

}  // namespace convert
