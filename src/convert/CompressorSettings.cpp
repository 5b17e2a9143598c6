#include "convert/CompressorSettings.h"

#include "convert/VideoEncoder.h"

namespace convert {

std::string FourCCToString(FourCC code) {
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i) text[i] = static_cast<char>((code >> (8 * i)) & 0xFF);
    return text;
}

std::optional<FourCC> ParseFourCC(std::string_view text) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    char chars[4] = {' ', ' ', ' ', ' '};
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] < 0x20 || text[i] > 0x7E) return std::nullopt;
        chars[i] = text[i];
    }
    return MakeFourCC(chars[0], chars[1], chars[2], chars[3]);
}

CompressorSettings DefaultCompressorSettings() {
    CompressorSettings settings;
    settings.dwFlags = kCompressorSettingsValid;
    settings.fccHandler = kFourCCDib;
    settings.lKey = 15;
    settings.lDataRate = 300;
    settings.lQ = kDefaultQuality;
    return settings;
}

CompressorSettings CopyCompressorSettings(const CompressorSettings& source, CompressorCopy kind) {
    CompressorSettings copy = source;
    // What the original's compressor was configured with belongs to the original.
    copy.hic = OpenVideoCompressor(copy.fccHandler);
    copy.lpbiOut.clear();
    copy.lpState.clear();
    if (kind == CompressorCopy::AfterBatch) copy.dwFlags = kCompressorSettingsValid;
    return copy;
}

}  // namespace convert
