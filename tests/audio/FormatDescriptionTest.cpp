#include <gtest/gtest.h>

#include "audio/FormatDescription.h"

namespace audio {
namespace {

WaveFormat Pcm(uint32_t rate, uint16_t bits, uint16_t channels) {
    WaveFormat format;
    format.samplesPerSec = rate;
    format.bitsPerSample = bits;
    format.channels = channels;
    return NormalizePcm(format);
}

TEST(FormatDescriptionTest, DescribesPcmFormatsWithRateSampleSizeAndChannels) {
    const AudioFormatDescription standard = DescribeAudioFormat(WaveFormat{});
    EXPECT_TRUE(standard.known);
    EXPECT_EQ(standard.tagName, "PCM");
    EXPECT_EQ(standard.formatName, "44.100 kHz, 16 Bit, Stereo");

    EXPECT_EQ(DescribeAudioFormat(Pcm(8000, 8, 1)).formatName, "8.000 kHz, 8 Bit, Mono");
    EXPECT_EQ(DescribeAudioFormat(Pcm(11025, 16, 1)).formatName, "11.025 kHz, 16 Bit, Mono");
    EXPECT_EQ(DescribeAudioFormat(Pcm(192000, 24, 2)).formatName, "192.000 kHz, 24 Bit, Stereo");
    EXPECT_EQ(DescribeAudioFormat(Pcm(48000, 16, 6)).formatName, "48.000 kHz, 16 Bit, 6 Channels");
}

TEST(FormatDescriptionTest, FormatsNoCodecDescribesAreUnknown) {
    WaveFormat adpcm = WaveFormat{};
    adpcm.formatTag = 2;
    WaveFormat oddBits = Pcm(44100, 12, 2);
    WaveFormat noChannels = Pcm(44100, 16, 0);
    WaveFormat noRate = Pcm(0, 16, 2);
    WaveFormat wrongAlign = WaveFormat{};
    wrongAlign.blockAlign = 3;
    WaveFormat wrongRate = WaveFormat{};
    wrongRate.avgBytesPerSec = 1000;

    for (const WaveFormat& format : {adpcm, oddBits, noChannels, noRate, wrongAlign, wrongRate}) {
        const AudioFormatDescription description = DescribeAudioFormat(format);
        EXPECT_FALSE(description.known);
        EXPECT_EQ(description.tagName, "unknown tag");
        EXPECT_EQ(description.formatName, "unknown format");
    }
}

TEST(FormatDescriptionTest, CompressorWithoutEncoderIsUncompressed) {
    EXPECT_EQ(CompressorName(std::nullopt), "Uncompressed");
    EXPECT_EQ(CompressorName("Motion JPEG"), "Motion JPEG");
}

}  // namespace
}  // namespace audio
