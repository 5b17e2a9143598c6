// The mixer's 16-bit samples as the bytes of each PCM format: little-endian, 8-bit offset to
// unsigned, wider samples with the 16 bits at the top, mono spread to both channels, channels
// past the second silent.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "audio/PcmConversion.h"

namespace audio {
namespace {

TEST(PcmConversionTest, MixedSamplesBecomeEachFormatsBytes) {
    struct Case {
        const char* name;
        std::vector<int16_t> mixed;
        int mixedChannels;
        uint16_t bits, channels;
        std::vector<uint8_t> bytes;
    };
    const std::vector<Case> cases = {
        {"stereo 16 bit as it lies", {0x0102, -2}, 2, 16, 2, {0x02, 0x01, 0xFE, 0xFF}},
        {"mono 16 bit as it lies", {0x0102, 0x7FFF}, 1, 16, 1, {0x02, 0x01, 0xFF, 0x7F}},
        {"mono spread to stereo", {0x0102}, 1, 16, 2, {0x02, 0x01, 0x02, 0x01}},
        {"8 bit unsigned", {-32768, 0, 0x7FFF}, 1, 8, 1, {0x00, 0x80, 0xFF}},
        {"24 bit with a silent low byte", {0x0102}, 1, 24, 1, {0x00, 0x02, 0x01}},
        {"a third channel stays silent", {0x0102, 0x0304}, 2, 16, 3,
         {0x02, 0x01, 0x04, 0x03, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        WaveFormat format;
        format.bitsPerSample = c.bits;
        format.channels = c.channels;
        std::vector<uint8_t> out = {0xAA};  // what came before stays
        AppendPcm(c.mixed, c.mixedChannels, format, out);
        std::vector<uint8_t> expected = {0xAA};
        expected.insert(expected.end(), c.bytes.begin(), c.bytes.end());
        EXPECT_EQ(out, expected) << c.name;
    }
}

}  // namespace
}  // namespace audio
