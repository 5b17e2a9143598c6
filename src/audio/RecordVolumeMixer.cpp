#include "audio/RecordVolumeMixer.h"

#include <algorithm>
#include <utility>

namespace audio {
namespace {

// Controls beyond this many items describe no real device.
constexpr uint64_t kMaxItems = 256;

bool SupportedUnits(uint32_t units) {
    return units == kMixerUnitsBoolean || units == kMixerUnitsSigned ||
           units == kMixerUnitsUnsigned || units == kMixerUnitsDecibels ||
           units == kMixerUnitsPercent;
}

// A control whose steps cannot be mapped onto its range (no steps, or fewer units than
// steps) would give a step size of 0; such a control is not taken.
uint32_t StepSizeOf(const MixerControl& control) {
    if (control.steps == 0 || control.maximum < control.minimum) return 0;
    return (control.maximum - control.minimum) / control.steps;
}

}  // namespace

void RecordVolumeMixer::UseStepsOf(const MixerControl& control) {
    steps_ = control.steps;
    stepSize_ = StepSizeOf(control);
}

std::optional<RecordVolumeMixer::ControlValues> RecordVolumeMixer::TakeControl(
    const MixerLine& line) {
    const std::optional<MixerControl> control = mixer_->FindControl(line.id, controlType_);
    if (!control) return std::nullopt;
    const uint32_t units = control->type & kMixerUnitsMask;
    if (!SupportedUnits(units) || StepSizeOf(*control) == 0) return std::nullopt;
    const uint64_t multiple =
        (control->flags & kMixerControlMultiple) != 0 ? control->multipleItems : 1;
    const uint64_t channels = (control->flags & kMixerControlUniform) != 0 ? 1 : line.channels;
    const uint64_t count = multiple * channels;
    if (count == 0 || count > kMaxItems) return std::nullopt;
    return ControlValues{*control, units, std::vector<uint32_t>(count)};
}

bool RecordVolumeMixer::Read(ControlValues& control) const {
    return mixer_->ReadValues(control.info.id, control.items);
}

bool RecordVolumeMixer::Open(std::unique_ptr<Mixer> device, uint32_t sourceType,
                             uint32_t controlType) {
    if (!device) return false;
    mixer_ = std::move(device);
    controlType_ = controlType;

    std::optional<uint32_t> recording;
    const uint32_t destinations = mixer_->DestinationCount();
    for (uint32_t index = 0; index < destinations; ++index) {
        const std::optional<MixerLine> line = mixer_->Destination(index);
        if (!line || line->componentType != kMixerDestinationWaveIn || line->controls == 0)
            continue;
        if (!recording) recording = index;  // the first that qualifies, unless one has a control
        std::optional<ControlValues> control = TakeControl(*line);
        if (!control) continue;
        // Steps come from this control even when its values then cannot be read.
        UseStepsOf(control->info);
        if (!Read(*control)) continue;
        destinationControl_ = std::move(control);
        recording = index;
        break;
    }

    if (recording) {
        const uint32_t sources = mixer_->Destination(*recording)->connections;
        for (uint32_t index = 0; index < sources; ++index) {
            const std::optional<MixerLine> line = mixer_->Source(*recording, index);
            if (!line || line->componentType != sourceType || line->controls == 0) continue;
            std::optional<ControlValues> control = TakeControl(*line);
            if (!control) continue;
            if (steps_ == 0) UseStepsOf(control->info);
            if (Read(*control)) sourceControls_.push_back(std::move(*control));
        }
    }

    if (!sourceControls_.empty()) return true;
    mixer_.reset();
    destinationControl_.reset();
    steps_ = 0;
    stepSize_ = 0;
    return false;
}

uint32_t RecordVolumeMixer::PositionOf(const ControlValues& control) const {
    // Signed units compare as signed numbers, the others as unsigned.
    const bool isSigned = control.units == kMixerUnitsBoolean ||
                          control.units == kMixerUnitsSigned || control.units == kMixerUnitsPercent;
    uint32_t level = control.items.front();
    for (uint32_t item : control.items) {
        const bool larger =
            isSigned ? static_cast<int32_t>(item) > static_cast<int32_t>(level) : item > level;
        if (larger) level = item;
    }
    return level / stepSize_;
}

uint32_t RecordVolumeMixer::Position() const {
    if (destinationControl_) return PositionOf(*destinationControl_);
    if (!sourceControls_.empty()) return PositionOf(sourceControls_.front());
    return 0;
}

bool RecordVolumeMixer::SetPosition(uint32_t position) {
    if (!mixer_) return false;
    // The control's minimum is not added: the volume controls asked for start at 0.
    const uint32_t value = std::min(position, steps_) * stepSize_;
    auto write = [&](ControlValues& control) {
        std::vector<uint32_t> items(control.items.size(), value);
        if (!mixer_->WriteValues(control.info.id, items)) return false;
        control.items = std::move(items);
        return true;
    };
    if (destinationControl_ && !write(*destinationControl_)) return false;
    for (ControlValues& control : sourceControls_)
        if (!write(control)) return false;
    return true;
}

std::optional<uint32_t> RecordVolumeMixer::ControlChanged(const Mixer& mixer, uint32_t controlId) {
    if (&mixer != mixer_.get()) return std::nullopt;
    ControlValues* control = nullptr;
    if (destinationControl_ && destinationControl_->info.id == controlId) {
        control = &*destinationControl_;
    } else {
        auto found = std::ranges::find(sourceControls_, controlId,
                                       [](const ControlValues& c) { return c.info.id; });
        if (found != sourceControls_.end()) control = &*found;
    }
    if (!control || !Read(*control)) return std::nullopt;
    return PositionOf(*control);
}

}  // namespace audio
