#pragma once
// The recording volume on a mixer device: the controls of one type (the volume) on the
// recording destination and on its sources of one kind (the wave-out playback), mapped to
// the steps of a track bar. Every move is written straight to the device; the level is not
// kept anywhere else and stays as set when this object goes.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "audio/Mixer.h"

namespace audio {

class RecordVolumeMixer {
  public:
    // Takes the opened device (null when there is none) and finds its controls. False, and
    // the device closed, unless at least one source has a control of that type.
    bool Open(std::unique_ptr<Mixer> device, uint32_t sourceType, uint32_t controlType);
    bool IsOpen() const { return mixer_ != nullptr; }

    // The track bar's range is 0 .. Steps().
    uint32_t Steps() const { return steps_; }
    // The position of the present level: the destination's control, else the first source's.
    uint32_t Position() const;
    // Writes position × step size to every item of the destination's control and then of
    // each source's; false at the first control that refuses, the rest left as they were.
    bool SetPosition(uint32_t position);
    // The new position when `controlId` is one of this object's controls on `mixer`.
    std::optional<uint32_t> ControlChanged(const Mixer& mixer, uint32_t controlId);

  private:
    struct ControlValues {
        MixerControl info;
        uint32_t units = 0;
        std::vector<uint32_t> items;
    };

    std::optional<ControlValues> TakeControl(const MixerLine& line);
    bool Read(ControlValues& control) const;
    uint32_t PositionOf(const ControlValues& control) const;
    void UseStepsOf(const MixerControl& control);

    std::unique_ptr<Mixer> mixer_;
    uint32_t controlType_ = 0;
    std::optional<ControlValues> destinationControl_;
    std::vector<ControlValues> sourceControls_;  // in the order they were found
    uint32_t steps_ = 0;
    uint32_t stepSize_ = 0;
};

}  // namespace audio
