// Speex data cut into one packet a frame: frames padded to their byte or packed bit to bit,
// narrowband and wideband, up to a terminator; data that is no frame ends the cutting.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "swf/sound/SpeexFrames.h"

namespace {

// Bytes from a string of '0' and '1', the last byte filled with zeros.
std::vector<uint8_t> Bits(const std::string& bits) {
    std::vector<uint8_t> out((bits.size() + 7) / 8, 0);
    for (size_t i = 0; i < bits.size(); ++i)
        if (bits[i] == '1') out[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
    return out;
}

struct Case {
    const char* name;
    std::string data;
    std::vector<std::string> packets;
};

TEST(SpeexFramesTest, CutsOnePacketAFrame) {
    // A narrowband frame of mode 1 (43 bits), its 38 bits past the header made up.
    std::string mode1 = "00001";
    for (int i = 0; i < 19; ++i) mode1 += "10";
    const std::string silent = "00000";  // mode 0: the header alone
    const Case cases[] = {
        {"silent frames bit to bit, then a terminator",
         silent + silent + "01111" + "0",
         {"00000011", "00000011"}},
        {"a wideband frame (submode 0) and a silent one, each padded to its byte",
         mode1 + "1000" + "0" + silent + "011",
         {mode1 + "1000" + "0", "00000011"}},
        {"a wideband frame of submode 1 (36 bits) packed between two silent ones",
         silent + mode1 + "1001" + std::string(32, '1') + silent + "01111",
         {"00000011", mode1 + "1001" + std::string(32, '1') + "0", "00000011"}},
        {"a frame cut short", "00111" + std::string(40, '0'), {}},
        {"a mode that is no frame", "01001000", {}},
        {"a wideband layer first", "10000000", {}},
        {"a wideband submode past the table", silent + "1101" + "0000000", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::vector<uint8_t>> expected;
        for (const std::string& packet : c.packets) expected.push_back(Bits(packet));
        EXPECT_EQ(swf::SpeexFrames::split(Bits(c.data)), expected);
    }
}

}  // namespace
