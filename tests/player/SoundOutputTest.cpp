// The window's sound output: each tick the movie plays puts exactly that tick's sound into
// the device, in order and at its place; a device without room loses the rest instead of
// holding it; seek mode's steps are not heard; without an audio output nothing is mixed and
// the frames come on the same ticks as before.

#include "player/SoundOutput.h"

#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QByteArray>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QObject>
#include <atomic>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "player/ClockOwner.h"
#include "player/HostEvents.h"
#include "player/PlaybackClock.h"
#include "player/SeekControls.h"
#include "support/SwfWriter.h"
#include "swf/TestMovie.h"
#include "swf/player/Player.h"

namespace player {
namespace {

constexpr int kToneFrame = 2;
constexpr int kFrames = 12;

// `frames` frames at `fps`; frame 2 starts a 440 Hz tone, 44.1 kHz mono, a second long.
swftest::SwfWriter ToneMovie(double fps) {
    std::vector<int16_t> tone;
    for (int i = 0; i < 44100; ++i)
        tone.push_back(static_cast<int16_t>(
            std::lrint(8000 * std::sin(2 * std::numbers::pi * 440 * i / 44100.0)) | 1));
    swftest::SwfWriter movie;
    movie.frameRate(fps).defineSound(
        1, {swftest::SoundCodec::LittleEndianPcm, swftest::SoundRate::Hz44100, true, false},
        swftest::SoundFormat::littleEndian(tone));
    for (int f = 0; f < kFrames; ++f) {
        if (f == kToneFrame) movie.startSound(1);
        movie.showFrame();
    }
    return movie;
}

// Takes what is written, noting the size of every write.
class FakeDevice : public QIODevice {
  public:
    FakeDevice() { open(QIODevice::WriteOnly); }
    QByteArray bytes;
    std::vector<qint64> writes;

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        bytes.append(data, size);
        writes.push_back(size);
        return size;
    }
};

class SeekShown : public SeekControls {
  public:
    bool IsShown() const override { return true; }
    bool IsPlaying() const override { return true; }
    uint32_t EndFrame() const override { return 1000; }
    settings::SequenceMode Mode() const override { return settings::SequenceMode::Normal; }
    void SetEndFrame(uint32_t) override {}
    void ShowFrame(uint32_t) override {}
    void Step() override {}
    void ShowStoppedState() override {}
};

class Owner : public ClockOwner {
  public:
    bool RunInProgress() const override { return false; }
    bool BatchRunning() const override { return false; }
    void PostBatchNextTask() override {}
};

// The control as the window has it: its clock, ticked as the clock thread does.
struct Window {
    explicit Window(swf::Player& control) : control(control) {}
    void Tick(int count) {
        for (int i = 0; i < count; ++i) {
            pending.fetch_add(1);
            QEvent tick(ClockTick);
            clock.HandleEvent(&tick);
        }
    }
    swf::Player& control;
    SeekShown seek;
    Owner owner;
    std::atomic<int32_t> pending{0};
    QObject receiver;
    PlaybackClock clock{&receiver, control, seek, owner, pending};
};

TEST(SoundOutputTest, EachPlayedTickWritesItsOwnSoundAndNoMore) {
    struct Case {
        const char* name;
        double fps;
        qint64 room;  // what the device takes per tick
        bool seekMode;
        uint32_t recordingRate;  // a recording set the engine's output before the load; 0: not
    };
    constexpr qint64 kAll = std::numeric_limits<qint64>::max();
    const Case cases[] = {
        {"12 fps", 12, kAll, false, 0},
        {"24 fps: ticks of 1837 and 1838 samples", 24, kAll, false, 0},
        {"7 fps", 7, kAll, false, 0},
        {"a stalled device keeps 1000 bytes a tick", 12, 1000, false, 0},
        {"a device without room", 12, 0, false, 0},
        {"seek mode steps silently", 12, kAll, true, 0},
        {"after a recording at 22 kHz mono", 12, kAll, false, 22050},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        swf::Player control;
        Window window(control);
        FakeDevice device;
        SoundOutput sound(control, device, [&] { return c.room; });
        ASSERT_TRUE(sound.Audible());
        window.clock.SetSoundOutput(&sound);
        if (c.recordingRate) control.SetSoundOutput(c.recordingRate, 1);
        enginetest::Load(control, ToneMovie(c.fps));
        if (!c.seekMode) window.clock.Play();
        window.Tick(kFrames - 1);

        const auto upTo = [&](int ticks) {
            return static_cast<qint64>(static_cast<long double>(ticks) * 44100 / c.fps);
        };
        if (c.seekMode) {
            EXPECT_EQ(control.TCurrentFrame(), kFrames - 1);
            EXPECT_TRUE(device.writes.empty());
            EXPECT_EQ(sound.BytesDropped(), 0u);
            continue;
        }
        EXPECT_EQ(control.TCurrentFrame(), kFrames - 1);
        if (c.room == 0) {
            EXPECT_TRUE(device.writes.empty());
            EXPECT_EQ(sound.BytesWritten(), 0u);
            EXPECT_EQ(sound.BytesDropped(), static_cast<uint64_t>(upTo(kFrames - 1) * 4));
            continue;
        }
        ASSERT_EQ(device.writes.size(), static_cast<size_t>(kFrames - 1));
        for (int t = 0; t < kFrames - 1; ++t) {
            const qint64 tick = (upTo(t + 1) - upTo(t)) * 4;
            if (c.room < tick)
                EXPECT_EQ(device.writes[t], c.room) << t;
            else if (c.recordingRate)
                EXPECT_NEAR(device.writes[t], tick, 4) << t;  // nearest whole frames
            else
                EXPECT_EQ(device.writes[t], tick) << t;
        }
        EXPECT_EQ(sound.BytesWritten(), static_cast<uint64_t>(device.bytes.size()));
        if (c.room < kAll) {
            EXPECT_EQ(sound.BytesWritten() + sound.BytesDropped(),
                      static_cast<uint64_t>(upTo(kFrames - 1) * 4));
            continue;
        }
        // The tone starts with the tick that played its frame (the one after it was
        // reached), on both channels at its level.
        const auto* samples = reinterpret_cast<const int16_t*>(device.bytes.constData());
        const auto count = static_cast<size_t>(device.bytes.size() / 2);
        size_t first = count;
        for (size_t i = 0; i < count; ++i)
            if (samples[i] != 0) {
                first = i;
                break;
            }
        EXPECT_NEAR(static_cast<double>(first / 2), static_cast<double>(upTo(kToneFrame)),
                    c.recordingRate ? 2 : 0);
        EXPECT_EQ(samples[first], samples[first + 1]);
        int peak = 0;
        for (size_t i = first; i < count; ++i) peak = std::max(peak, std::abs(int{samples[i]}));
        EXPECT_NEAR(peak, 8000, c.recordingRate ? 100 : 10);
    }
}

TEST(SoundOutputTest, WithoutAnAudioOutputNothingIsMixedAndTheFramesKeepTheirTicks) {
    if (!QMediaDevices::defaultAudioOutput().isNull())
        GTEST_SKIP() << "this machine has an audio output";
    std::vector<int> frames[2];
    for (int withSound = 0; withSound < 2; ++withSound) {
        swf::Player control;
        Window window(control);
        SoundOutput sound(control);
        EXPECT_FALSE(sound.Audible());
        if (withSound) window.clock.SetSoundOutput(&sound);
        enginetest::Load(control, ToneMovie(12));
        EXPECT_EQ(control.MixRate(), 0u);
        window.clock.Play();
        for (int t = 0; t < kFrames + 3; ++t) {
            window.Tick(1);
            frames[withSound].push_back(control.TCurrentFrame());
        }
        EXPECT_EQ(sound.BytesWritten() + sound.BytesDropped(), 0u);
    }
    EXPECT_EQ(frames[0], frames[1]);
    EXPECT_EQ(frames[1].back(), 3);  // looped: 15 ticks on from frame 0 of 12
}

}  // namespace
}  // namespace player
