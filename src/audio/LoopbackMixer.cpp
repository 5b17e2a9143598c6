#include "audio/LoopbackMixer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace audio {

LoopbackMixer::LoopbackMixer(RecordingVolume& volume, ControlChanged changed)
    : volume_(volume), changed_(std::move(changed)) {}

std::optional<MixerLine> LoopbackMixer::Destination(uint32_t index) const {
    if (index != 0) return std::nullopt;
    return MixerLine{kRecordingLineId, kMixerDestinationWaveIn, 2, 1, 1};
}

std::optional<MixerLine> LoopbackMixer::Source(uint32_t destination, uint32_t index) const {
    if (destination != 0 || index != 0) return std::nullopt;
    return MixerLine{kWaveOutLineId, kMixerSourceWaveOut, 2, 0, 1};
}

std::optional<MixerControl> LoopbackMixer::FindControl(uint32_t lineId, uint32_t type) const {
    if (lineId == kRecordingLineId && type == kMixerControlMux)
        return MixerControl{kSelectorId, type, kMixerControlUniform | kMixerControlMultiple, 1, 0,
                            1,           1};
    if (lineId == kWaveOutLineId && type == kMixerControlVolume)
        return MixerControl{kVolumeId, type,           kMixerControlUniform, 0,
                            0,         kVolumeMaximum, kVolumeSteps};
    return std::nullopt;
}

bool LoopbackMixer::ReadValues(uint32_t controlId, std::span<uint32_t> items) const {
    if (items.size() != 1) return false;
    if (controlId == kSelectorId) {
        items[0] = 1;  // the wave-out source, always selected
        return true;
    }
    if (controlId != kVolumeId) return false;
    items[0] = static_cast<uint32_t>(std::lround(volume_.Gain() * kVolumeMaximum));
    return true;
}

bool LoopbackMixer::WriteValues(uint32_t controlId, std::span<const uint32_t> items) {
    if (controlId != kVolumeId || items.size() != 1) return false;
    volume_.SetGain(static_cast<double>(std::min(items[0], kVolumeMaximum)) / kVolumeMaximum);
    if (changed_) changed_(*this, controlId);
    return true;
}

}  // namespace audio
