#include "convert/CompressorSettings.h"

#include "convert/VideoEncoder.h"

#include <gtest/gtest.h>

namespace {

using namespace convert;

TEST(CompressorSettings, DefaultWritesUncompressedFrames) {
    const CompressorSettings settings = DefaultCompressorSettings();
    EXPECT_EQ(settings.cbSize, 64u);
    EXPECT_EQ(settings.dwFlags, 1u);
    EXPECT_EQ(settings.fccType, 0u);
    EXPECT_EQ(settings.fccHandler, 0x20424944u);
    EXPECT_EQ(FourCCToString(settings.fccHandler), "DIB ");
    EXPECT_EQ(settings.lKey, 15);
    EXPECT_EQ(settings.lDataRate, 300);
    EXPECT_EQ(settings.lQ, -1);
    EXPECT_EQ(settings.hic, nullptr);
    EXPECT_TRUE(settings.lpbiOut.empty());
    EXPECT_TRUE(settings.lpState.empty());
}

CompressorSettings ChosenEncoder() {
    CompressorSettings chosen = DefaultCompressorSettings();
    chosen.dwFlags = 0;
    chosen.fccType = kFourCCVideoCompressor;
    chosen.fccHandler = MakeFourCC('M', 'J', 'P', 'G');
    chosen.lKey = 30;
    chosen.lDataRate = 900;
    chosen.lQ = 7500;
    chosen.hic = OpenVideoCompressor(chosen.fccHandler);
    chosen.lpbiOut = {1, 2, 3};
    chosen.lpState = {4, 5};
    return chosen;
}

TEST(CompressorSettings, CopyKeepsTheChoiceButNotTheEncoderState) {
    const CompressorSettings source = ChosenEncoder();
    const CompressorSettings copy = CopyCompressorSettings(source, CompressorCopy::ForTask);
    EXPECT_EQ(copy.cbSize, 64u);
    EXPECT_EQ(copy.dwFlags, 0u);
    EXPECT_EQ(copy.fccType, source.fccType);
    EXPECT_EQ(copy.fccHandler, source.fccHandler);
    EXPECT_EQ(copy.lKey, 30);
    EXPECT_EQ(copy.lDataRate, 900);
    EXPECT_EQ(copy.lQ, 7500);
    // The copy finds its compressor again rather than sharing the original's.
    ASSERT_NE(copy.hic, nullptr);
    EXPECT_NE(copy.hic, source.hic);
    EXPECT_EQ(copy.hic->fourcc, source.fccHandler);
    EXPECT_TRUE(copy.lpbiOut.empty());
    EXPECT_TRUE(copy.lpState.empty());
    // The original keeps what it had.
    EXPECT_NE(source.hic, nullptr);
    EXPECT_EQ(source.lpState.size(), 2u);
}

TEST(CompressorSettings, CopyAfterABatchIsMarkedValid) {
    const CompressorSettings copy =
        CopyCompressorSettings(ChosenEncoder(), CompressorCopy::AfterBatch);
    EXPECT_EQ(copy.dwFlags, 1u);
    EXPECT_EQ(copy.fccHandler, MakeFourCC('M', 'J', 'P', 'G'));
    ASSERT_NE(copy.hic, nullptr);
    EXPECT_TRUE(copy.lpState.empty());
}

TEST(FourCC, RoundTripsAndPadsShortCodes) {
    EXPECT_EQ(kFourCCVideoCompressor, 0x63646976u);
    EXPECT_EQ(ParseFourCC("DIB"), kFourCCDib);
    EXPECT_EQ(ParseFourCC("DIB "), kFourCCDib);
    EXPECT_EQ(FourCCToString(*ParseFourCC("H264")), "H264");
    EXPECT_EQ(ParseFourCC(""), std::nullopt);
    EXPECT_EQ(ParseFourCC("MJPEG"), std::nullopt);
    EXPECT_EQ(ParseFourCC(std::string_view("M\0PG", 4)), std::nullopt);
    EXPECT_EQ(ParseFourCC("\xC3\xA9"), std::nullopt);
}

}  // namespace
