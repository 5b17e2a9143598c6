#pragma once
// The default mixer device: the engine's mix as the recording input. Its one recording
// destination selects (with a selector of one item) its one wave-out source, whose volume
// control is the recording volume.

#include "audio/Mixer.h"
#include "audio/RecordingVolume.h"

namespace audio {

class LoopbackMixer : public Mixer {
  public:
    static constexpr uint32_t kRecordingLineId = 1;
    static constexpr uint32_t kWaveOutLineId = 2;
    static constexpr uint32_t kSelectorId = 1;
    static constexpr uint32_t kVolumeId = 2;
    // The platform's volume range; 255 steps of 257 reach its top exactly.
    static constexpr uint32_t kVolumeMaximum = 65535;
    static constexpr uint32_t kVolumeSteps = 255;

    LoopbackMixer(RecordingVolume& volume, ControlChanged changed);

    uint32_t DestinationCount() const override { return 1; }
    std::optional<MixerLine> Destination(uint32_t index) const override;
    std::optional<MixerLine> Source(uint32_t destination, uint32_t index) const override;
    std::optional<MixerControl> FindControl(uint32_t lineId, uint32_t type) const override;
    bool ReadValues(uint32_t controlId, std::span<uint32_t> items) const override;
    // Only the volume can be set; the selector has nothing else to choose.
    bool WriteValues(uint32_t controlId, std::span<const uint32_t> items) override;

  private:
    RecordingVolume& volume_;
    ControlChanged changed_;
};

}  // namespace audio
