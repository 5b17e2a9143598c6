#pragma once
// Scales PCM samples by a gain: the recording volume applied to captured sound.

#include <cstdint>
#include <span>

#include "audio/WaveFormat.h"

namespace audio {

// `gain` from 0 (silence) to 1 (as it is). Whole samples of 8 (unsigned), 16, 24 or 32
// bits (signed); other formats and a trailing part sample are left as they are.
void ApplyGain(std::span<uint8_t> samples, const WaveFormat& format, double gain);

// The value one silent byte has in the format: 0x80 for 8-bit samples, else 0.
uint8_t SilenceByte(const WaveFormat& format);

}  // namespace audio
