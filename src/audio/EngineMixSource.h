#pragma once
// The default capture source: the player engine's own sound mix, taken as it plays, so that a
// movie's sound can be recorded on a machine without a sound card, and as fast as the engine
// runs. The host calls MixFrame once per tick it gives the engine; each call adds one frame
// interval of sound, which the engine mixes and copies into the queued buffers then and there,
// on the caller's thread; the delivering thread only hands full buffers back. Without an
// engine set the mix is silence of the right length.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "audio/CaptureSource.h"

namespace audio {

class EngineMixSource : public CaptureSource {
  public:
    EngineMixSource() = default;
    ~EngineMixSource() override;
    EngineMixSource(const EngineMixSource&) = delete;
    EngineMixSource& operator=(const EngineMixSource&) = delete;

    // The engine's sound: `configure` hears the rate and channels (1 or 2) once a recording
    // opens, `render` then fills interleaved 16-bit samples in them, one call per tick.
    void SetEngine(std::function<void(uint32_t rate, int channels)> configure,
                   std::function<void(std::span<int16_t>)> render);

    // The movie's frame rate, which sets how much sound one tick is.
    void SetFrameRate(double framesPerSecond);

    // The recording volume, from 0 (silence) to 1 (the mix as it is), applied to every
    // sample mixed from then on. The loopback mixer's volume control sets it.
    void SetGain(double gain);
    double Gain() const { return gain_.load(); }

    // The PCM formats offered for recording the mix: the usual rates at 8 and 16 bits, mono
    // and stereo, in the order a format chooser lists them.
    static std::vector<WaveFormat> SupportedFormats();

    int32_t Open(const WaveFormat& format, BufferDone done) override;
    int32_t AddBuffer(CaptureBuffer& buffer) override;
    int32_t Start() override;
    int32_t Reset() override;
    int32_t Close() override;

    // One frame interval of the mix; nothing while not capturing. Over n calls the sound
    // adds up to n / frame rate seconds, in whole samples. Returns once the sound is in a
    // buffer (or no buffer is queued to take it) and every buffer it filled has been handed
    // back, so that the engine, which has no clock of its own here, never runs ahead of the
    // recording, and the recorder's count is up to date with the ticks.
    void MixFrame();

  private:
    void Deliver();
    // Mixes `samples` sample frames in the recording's format onto the pending bytes.
    void Append(uint64_t samples);
    // Moves pending bytes into the queued buffers; those that fill up wait to be handed back.
    void FillQueued();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable handedBack_;
    std::condition_variable taken_;
    std::thread worker_;
    std::deque<CaptureBuffer*> queue_;
    std::deque<CaptureBuffer*> full_;  // to be handed back, in order
    std::function<void(uint32_t, int)> configure_;
    std::function<void(std::span<int16_t>)> render_;
    BufferDone done_;
    WaveFormat format_;
    double framesPerSecond_ = 0;
    bool open_ = false;
    bool capturing_ = false;
    bool stopping_ = false;
    bool resetRequested_ = false;
    bool delivering_ = false;  // a full buffer is with the callback
    uint64_t framesMixed_ = 0;
    std::vector<int16_t> mix_;
    std::vector<uint8_t> pending_;  // mixed, not yet in a buffer
    std::atomic<double> gain_ = 1.0;
};

}  // namespace audio
