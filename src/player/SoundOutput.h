#pragma once
// The movie's sound on the machine's audio output while it plays in the window. The engine
// mixes one frame interval of sound on each tick it gets; after each tick the movie played,
// that sound is taken off the engine and written to the audio device. The frame clock stays
// the only clock: what a stalled or slow device has no room for is dropped rather than
// queued, and without an audio output nothing is mixed and the movie plays as it always did.

#include <QtGlobal>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QAudioSink;
class QIODevice;

namespace swf {
class Player;
}

namespace player {

class SoundOutput {
  public:
    static constexpr uint32_t kRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr int kBytesPerFrame = 2 * kChannels;
    // What the device may hold ahead of what is heard.
    static constexpr int kBufferMs = 200;

    // Opens the machine's default audio output; silent without one. The engine mixes for the
    // output from the next movie loaded, so it is made before any movie loads.
    explicit SoundOutput(swf::Player& control);
    // Writes to `device`, which takes at most `room()` bytes at a time (another sink than
    // the machine's, as tests use).
    SoundOutput(swf::Player& control, QIODevice& device, std::function<qint64()> room);
    ~SoundOutput();
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    bool Audible() const { return device_ != nullptr; }

    // After a tick the movie played: the sound it mixed goes to the device, as much of it
    // as the device has room for.
    void Played();
    // After ticks that are not heard (seek mode's steps): what they mixed is dropped.
    void Discard();

    uint64_t BytesWritten() const { return written_; }
    uint64_t BytesDropped() const { return dropped_; }

  private:
    // Everything the engine mixed since the last call, as interleaved samples.
    std::vector<int16_t> TakeMix();
    // The newest tick's worth of `mix`, brought to the output's rate and channels. A mix
    // made for another output (a recording set its own) is converted by nearest sample.
    std::vector<int16_t> ToOutput(std::span<const int16_t> mix, uint32_t rate, int channels);

    swf::Player& control_;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* device_ = nullptr;
    std::function<qint64()> room_;
    uint64_t written_ = 0;
    uint64_t dropped_ = 0;
};

}  // namespace player
