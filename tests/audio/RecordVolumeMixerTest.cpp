#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "audio/FormatDescription.h"
#include "audio/LoopbackMixer.h"
#include "audio/RecordingVolume.h"
#include "audio/RecordVolumeMixer.h"
#include "audio/SampleGain.h"

namespace {

using audio::MixerControl;
using audio::MixerLine;

// A mixer device made of plain tables, recording every write.
class TableMixer : public audio::Mixer {
  public:
    struct LineTable {
        MixerLine line;
        std::vector<MixerControl> controls;
    };
    struct DestinationTable {
        LineTable line;
        std::vector<LineTable> sources;
    };

    std::vector<DestinationTable> destinations;
    std::map<uint32_t, std::vector<uint32_t>> values;
    std::vector<uint32_t> refusedWrites;  // control ids whose writes fail
    std::vector<uint32_t> written;        // control ids in the order written

    uint32_t DestinationCount() const override {
        return static_cast<uint32_t>(destinations.size());
    }
    std::optional<MixerLine> Destination(uint32_t index) const override {
        if (index >= destinations.size()) return std::nullopt;
        return destinations[index].line.line;
    }
    std::optional<MixerLine> Source(uint32_t destination, uint32_t index) const override {
        if (destination >= destinations.size() || index >= destinations[destination].sources.size())
            return std::nullopt;
        return destinations[destination].sources[index].line;
    }
    std::optional<MixerControl> FindControl(uint32_t lineId, uint32_t type) const override {
        for (const auto& destination : destinations) {
            std::vector<const LineTable*> lines{&destination.line};
            for (const auto& source : destination.sources) lines.push_back(&source);
            for (const LineTable* line : lines)
                if (line->line.id == lineId)
                    for (const MixerControl& control : line->controls)
                        if (control.type == type) return control;
        }
        return std::nullopt;
    }
    bool ReadValues(uint32_t controlId, std::span<uint32_t> items) const override {
        auto found = values.find(controlId);
        if (found == values.end() || found->second.size() != items.size()) return false;
        std::ranges::copy(found->second, items.begin());
        return true;
    }
    bool WriteValues(uint32_t controlId, std::span<const uint32_t> items) override {
        if (std::ranges::count(refusedWrites, controlId) != 0) return false;
        values[controlId].assign(items.begin(), items.end());
        written.push_back(controlId);
        return true;
    }
};

MixerControl Volume(uint32_t id, uint32_t maximum, uint32_t steps, bool uniform = true) {
    return {
        id,   audio::kMixerControlVolume, uniform ? audio::kMixerControlUniform : 0u, 0, 0, maximum,
        steps};
}

TableMixer::LineTable WaveOut(uint32_t id, std::vector<MixerControl> controls,
                              uint32_t channels = 2) {
    return {{id, audio::kMixerSourceWaveOut, channels, 0, static_cast<uint32_t>(controls.size())},
            std::move(controls)};
}

TableMixer::DestinationTable Recording(uint32_t id, std::vector<MixerControl> controls,
                                       std::vector<TableMixer::LineTable> sources) {
    const auto count = static_cast<uint32_t>(sources.size());
    return {{{id, audio::kMixerDestinationWaveIn, 2, count, static_cast<uint32_t>(controls.size())},
             std::move(controls)},
            std::move(sources)};
}

class RecordVolume : public testing::Test {
  protected:
    bool Open() {
        auto owned = std::make_unique<TableMixer>(std::move(device_));
        mixer_ = owned.get();
        return volume_.Open(std::move(owned), audio::kMixerSourceWaveOut,
                            audio::kMixerControlVolume);
    }

    TableMixer device_;
    TableMixer* mixer_ = nullptr;
    audio::RecordVolumeMixer volume_;
};

TEST_F(RecordVolume, RangeComesFromTheDestinationAndEveryMoveSetsBothControls) {
    device_.destinations = {
        Recording(1, {Volume(10, 65535, 32)}, {WaveOut(2, {Volume(20, 100, 10)})})};
    device_.values = {{10, {32767}}, {20, {50}}};
    ASSERT_TRUE(Open());
    EXPECT_EQ(volume_.Steps(), 32u);
    EXPECT_EQ(volume_.Position(), 32767u / 2047u);

    ASSERT_TRUE(volume_.SetPosition(32));
    // 32 steps of 2047, not the control's maximum of 65535.
    EXPECT_EQ(mixer_->values[10], std::vector<uint32_t>{65504});
    EXPECT_EQ(mixer_->values[20], std::vector<uint32_t>{65504});
    EXPECT_EQ(mixer_->written, (std::vector<uint32_t>{10, 20}));
    EXPECT_EQ(volume_.Position(), 32u);
}

TEST_F(RecordVolume, AStereoControlShowsItsLouderChannel) {
    device_.destinations = {
        Recording(1, {audio::MixerControl{11, 0x40010001, 0, 0, 0, 1, 1}},  // not a volume
                  {WaveOut(2, {Volume(20, 65535, 32, /*uniform=*/false)})})};
    device_.values = {{20, {30000, 40000}}};
    ASSERT_TRUE(Open());
    EXPECT_EQ(volume_.Position(), 40000u / 2047u);
    ASSERT_TRUE(volume_.SetPosition(3));
    EXPECT_EQ(mixer_->values[20], (std::vector<uint32_t>{6141, 6141}));
}

TEST_F(RecordVolume, TwoWaveOutSourcesAreBothSetAndTheFirstIsShown) {
    device_.destinations = {
        Recording(1, {audio::MixerControl{11, audio::kMixerControlMux, 0, 0, 0, 1, 1}},
                  {WaveOut(2, {Volume(20, 1000, 10)}), WaveOut(3, {Volume(30, 1000, 10)})})};
    device_.values = {{20, {300}}, {30, {900}}};
    ASSERT_TRUE(Open());
    EXPECT_EQ(volume_.Position(), 3u);
    ASSERT_TRUE(volume_.SetPosition(7));
    EXPECT_EQ(mixer_->written, (std::vector<uint32_t>{20, 30}));
    EXPECT_EQ(mixer_->values[30], std::vector<uint32_t>{700});
}

TEST_F(RecordVolume, AControlThatRefusesStopsTheWritesThere) {
    device_.destinations = {
        Recording(1, {audio::MixerControl{11, audio::kMixerControlMux, 0, 0, 0, 1, 1}},
                  {WaveOut(2, {Volume(20, 1000, 10)}), WaveOut(3, {Volume(30, 1000, 10)})})};
    device_.values = {{20, {300}}, {30, {900}}};
    device_.refusedWrites = {20};
    ASSERT_TRUE(Open());
    EXPECT_FALSE(volume_.SetPosition(7));
    EXPECT_EQ(mixer_->values[30], std::vector<uint32_t>{900});
}

TEST_F(RecordVolume, WithoutAWaveOutVolumeTheMixerIsNotOpened) {
    // The destination's own volume control is not enough.
    TableMixer::LineTable microphone = WaveOut(2, {Volume(20, 1000, 10)});
    microphone.line.componentType = 0x1003;
    device_.destinations = {Recording(1, {Volume(10, 1000, 10)}, {microphone})};
    device_.values = {{10, {0}}, {20, {0}}};
    EXPECT_FALSE(Open());
    EXPECT_FALSE(volume_.IsOpen());
    EXPECT_EQ(volume_.Position(), 0u);
    EXPECT_FALSE(volume_.SetPosition(1));

    audio::RecordVolumeMixer none;
    EXPECT_FALSE(none.Open(nullptr, audio::kMixerSourceWaveOut, audio::kMixerControlVolume));
}

TEST_F(RecordVolume, ControlsThatCannotBeMappedAreSkipped) {
    // No steps, custom units, a range smaller than its steps: none of them can be a position.
    device_.destinations = {Recording(
        1, {audio::MixerControl{11, audio::kMixerControlMux, 0, 0, 0, 1, 1}},
        {WaveOut(2, {Volume(20, 1000, 0)}),
         WaveOut(
             3, {audio::MixerControl{30, 0x50000001, audio::kMixerControlUniform, 0, 0, 1000, 10}}),
         WaveOut(4, {Volume(40, 5, 10)}), WaveOut(5, {Volume(50, 500, 5)})})};
    device_.values = {{20, {0}}, {30, {0}}, {40, {0}}, {50, {300}}};
    ASSERT_TRUE(Open());
    EXPECT_EQ(volume_.Steps(), 5u);
    EXPECT_EQ(volume_.Position(), 3u);
}

TEST_F(RecordVolume, ChangesReportedForItsOwnControlsGiveTheNewPosition) {
    device_.destinations = {
        Recording(1, {Volume(10, 1000, 10)}, {WaveOut(2, {Volume(20, 1000, 10)})})};
    device_.values = {{10, {100}}, {20, {100}}};
    ASSERT_TRUE(Open());
    mixer_->values[20] = {800};
    EXPECT_EQ(volume_.ControlChanged(*mixer_, 20), 8u);
    EXPECT_EQ(volume_.ControlChanged(*mixer_, 99), std::nullopt);
    TableMixer other;
    EXPECT_EQ(volume_.ControlChanged(other, 20), std::nullopt);
}

TEST(LoopbackVolume, StepsAndPositionRoundTripThroughTheRecordingVolume) {
    audio::RecordingVolume mix;
    int changes = 0;
    auto device =
        std::make_unique<audio::LoopbackMixer>(mix, [&](const audio::Mixer&, uint32_t controlId) {
            EXPECT_EQ(controlId, audio::LoopbackMixer::kVolumeId);
            ++changes;
        });
    audio::RecordVolumeMixer volume;
    ASSERT_TRUE(
        volume.Open(std::move(device), audio::kMixerSourceWaveOut, audio::kMixerControlVolume));
    EXPECT_EQ(volume.Steps(), audio::LoopbackMixer::kVolumeSteps);
    EXPECT_EQ(volume.Position(), volume.Steps());  // full volume at first

    for (uint32_t position : {0u, 1u, 100u, 254u, 255u}) {
        ASSERT_TRUE(volume.SetPosition(position));
        EXPECT_EQ(volume.Position(), position);
        EXPECT_DOUBLE_EQ(mix.Gain(), position / 255.0);
    }
    EXPECT_EQ(changes, 5);
}

TEST(SampleGain, ScalesEachSampleSizeAroundItsSilence) {
    audio::WaveFormat format = audio::NormalizePcm({1, 1, 8000, 0, 0, 8, 0});
    std::vector<uint8_t> eight = {0x80, 0xFF, 0x00, 0x90};
    audio::ApplyGain(eight, format, 0.5);
    EXPECT_EQ(eight, (std::vector<uint8_t>{0x80, 0xC0, 0x40, 0x88}));

    format = audio::NormalizePcm({1, 1, 8000, 0, 0, 16, 0});
    std::vector<uint8_t> sixteen = {0x00, 0x40, 0x00, 0xC0, 0x01};  // 16384, -16384, a part sample
    audio::ApplyGain(sixteen, format, 0.25);
    EXPECT_EQ(sixteen, (std::vector<uint8_t>{0x00, 0x10, 0x00, 0xF0, 0x01}));

    format = audio::NormalizePcm({1, 1, 8000, 0, 0, 24, 0});
    std::vector<uint8_t> twentyFour = {0x00, 0x00, 0x80};  // -8388608
    audio::ApplyGain(twentyFour, format, 0.5);
    EXPECT_EQ(twentyFour, (std::vector<uint8_t>{0x00, 0x00, 0xC0}));

    std::vector<uint8_t> muted = {0x34, 0x12};
    audio::ApplyGain(muted, audio::NormalizePcm({1, 1, 8000, 0, 0, 16, 0}), 0.0);
    EXPECT_EQ(muted, (std::vector<uint8_t>{0, 0}));
}

TEST(RecordingFormats, EveryOfferedFormatIsNormalisedPcm) {
    const auto formats = audio::RecordingFormats();
    ASSERT_EQ(formats.size(), 20u);
    for (const audio::WaveFormat& format : formats) EXPECT_EQ(format, audio::NormalizePcm(format));
    EXPECT_NE(std::ranges::find(formats, audio::WaveFormat{}), formats.end());
}

}  // namespace
