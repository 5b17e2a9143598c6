#pragma once
// The engine mixes 16-bit samples in one or two channels; recordings and WAV files take
// them in whatever PCM format was chosen.

#include <cstdint>
#include <span>
#include <vector>

#include "audio/WaveFormat.h"

namespace audio {

// Appends `mixed` (interleaved, `mixedChannels` of them) to `out` as whole sample frames of
// `format`: 8 bits unsigned, 16, 24 or 32 bits signed with the mix in their top 16 bits.
// A mono mix fills every channel; past the mix's two channels the rest are silent.
void AppendPcm(std::span<const int16_t> mixed, int mixedChannels, const WaveFormat& format,
               std::vector<uint8_t>& out);

}  // namespace audio
