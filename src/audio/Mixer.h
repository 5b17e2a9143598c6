#pragma once
// A mixer device: destination lines (such as the recording input) with the source lines
// that feed them, and controls on each line whose values are 32-bit items, one per channel
// unless the control is uniform. Component and control types use the platform mixer's
// numbers, so that a device and its users agree on them without a table of their own.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

namespace audio {

// Line component types.
inline constexpr uint32_t kMixerDestinationWaveIn = 7;
inline constexpr uint32_t kMixerSourceWaveOut = 0x1008;

// Control types, and the units part of a type.
inline constexpr uint32_t kMixerControlVolume = 0x50030001;
inline constexpr uint32_t kMixerControlMux = 0x70010001;
inline constexpr uint32_t kMixerUnitsMask = 0xFF0000;
inline constexpr uint32_t kMixerUnitsBoolean = 0x10000;
inline constexpr uint32_t kMixerUnitsSigned = 0x20000;
inline constexpr uint32_t kMixerUnitsUnsigned = 0x30000;
inline constexpr uint32_t kMixerUnitsDecibels = 0x40000;
inline constexpr uint32_t kMixerUnitsPercent = 0x50000;

// Control flags: one value for all channels; a list of items (a selector).
inline constexpr uint32_t kMixerControlUniform = 1;
inline constexpr uint32_t kMixerControlMultiple = 2;

struct MixerLine {
    uint32_t id = 0;
    uint32_t componentType = 0;
    uint32_t channels = 0;
    uint32_t connections = 0;  // sources of a destination
    uint32_t controls = 0;
};

struct MixerControl {
    uint32_t id = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    uint32_t multipleItems = 0;
    uint32_t minimum = 0;
    uint32_t maximum = 0;
    uint32_t steps = 0;
};

class Mixer {
  public:
    // Told which control changed, whoever changed it; it may be called on any thread.
    using ControlChanged = std::function<void(const Mixer& mixer, uint32_t controlId)>;

    virtual ~Mixer() = default;

    virtual uint32_t DestinationCount() const = 0;
    virtual std::optional<MixerLine> Destination(uint32_t index) const = 0;
    virtual std::optional<MixerLine> Source(uint32_t destination, uint32_t index) const = 0;
    // The line's control of that type, if it has one.
    virtual std::optional<MixerControl> FindControl(uint32_t lineId, uint32_t type) const = 0;
    // Every item of the control; false when the control is unknown or the count is not its own.
    virtual bool ReadValues(uint32_t controlId, std::span<uint32_t> items) const = 0;
    virtual bool WriteValues(uint32_t controlId, std::span<const uint32_t> items) = 0;
};

// Opens the first mixer device of the machine, reporting its control changes to `changed`;
// null when there is none.
using MixerOpener = std::function<std::unique_ptr<Mixer>(Mixer::ControlChanged changed)>;

}  // namespace audio
