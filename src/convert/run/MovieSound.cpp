#include "convert/run/MovieSound.h"

#include <algorithm>
#include <span>

#include "audio/PcmConversion.h"
#include "audio/SampleGain.h"
#include "swf/player/Player.h"

namespace convert {
namespace {

// The engine mixes one or two channels; more are filled from those.
int MixedChannels(const audio::WaveFormat& format) {
    return std::clamp<int>(format.channels, 1, 2);
}

}  // namespace

MovieSound::MovieSound(const audio::WaveFormat& format, double volume)
    : format_(audio::NormalizePcm(format)), volume_(std::clamp(volume, 0.0, 1.0)) {}

void MovieSound::Prepare(swf::Player& player) const {
    player.SetSoundOutput(format_.samplesPerSec, MixedChannels(format_));
}

void MovieSound::Take(swf::Player& player, std::vector<uint8_t>& out) {
    const size_t channels = static_cast<size_t>(MixedChannels(format_));
    const size_t queued = player.QueuedSound();
    mix_.resize(queued - queued % channels);
    player.TakeSound(mix_);
    const size_t before = out.size();
    audio::AppendPcm(mix_, MixedChannels(format_), format_, out);
    if (volume_ < 1.0) audio::ApplyGain(std::span(out).subspan(before), format_, volume_);
}

}  // namespace convert
