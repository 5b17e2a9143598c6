#pragma once
// The codec, rate, sample size and channels of a sound, as DefineSound and the stream heads
// pack them into one byte.

#include <cstdint>

#include "swf/movie/SoundCharacter.h"

namespace swf {

struct SoundFormat {
    SoundCharacter::Format codec = SoundCharacter::Format::UncompressedLittle;
    uint32_t rateHz = 44100;
    bool sixteenBit = true;
    bool stereo = false;

    static SoundFormat fromFlags(uint8_t flags) {
        static constexpr uint32_t kRates[] = {5512, 11025, 22050, 44100};
        return {static_cast<SoundCharacter::Format>(flags >> 4), kRates[(flags >> 2) & 3],
                (flags & 2) != 0, (flags & 1) != 0};
    }
    static SoundFormat of(const SoundCharacter& sound) {
        return {sound.format(), sound.rateHz(), sound.sixteenBit(), sound.stereo()};
    }
};

}  // namespace swf
