#include "support/SoundFormat.h"

namespace swftest {

uint8_t SoundFormat::packed() const {
    return static_cast<uint8_t>(static_cast<uint8_t>(codec) << 4 | static_cast<uint8_t>(rate) << 2 |
                                (sixteenBit ? 2 : 0) | (stereo ? 1 : 0));
}

std::vector<uint8_t> SoundFormat::littleEndian(std::span<const int16_t> samples) {
    std::vector<uint8_t> bytes;
    bytes.reserve(samples.size() * 2);
    for (int16_t sample : samples) {
        const auto value = static_cast<uint16_t>(sample);
        bytes.push_back(static_cast<uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<uint8_t>(value >> 8));
    }
    return bytes;
}

}  // namespace swftest
