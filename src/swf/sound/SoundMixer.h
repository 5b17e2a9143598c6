#pragma once
// The movie's sound: every sound playing (timeline event sounds, the streams of the
// timelines, the sounds scripts started) brought to one output rate, with envelopes and
// volumes applied, summed and clipped to 16 bits. Its clock is the frame clock: the sound of
// the n-th frame shown is output samples [n * rate / fps, (n + 1) * rate / fps), made when
// the engine leaves that frame, from what the frame started, stopped and played. Nothing
// depends on wall time, so a converter that draws every frame gets the sound each frame had.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "swf/movie/SoundStart.h"
#include "swf/sound/PcmBuffer.h"

namespace swf {

class ScriptSounds;
class SoundCharacter;
class SoundClip;
class StreamSound;
class Timeline;

class SoundMixer {
  public:
    // The player mixes at most this many sounds at once; a start beyond them is not heard.
    static constexpr size_t kMaxVoices = 32;
    // Decoded sound a movie may hold; sounds past it are not played.
    static constexpr size_t kMaxDecodedBytes = size_t{256} << 20;
    // Mixed sound nobody takes is kept this long, then dropped from the front.
    static constexpr uint32_t kMaxQueuedSeconds = 10;

    // `frameRate` is the movie's, whose frames the mix follows.
    SoundMixer(double frameRate, uint32_t rate, int channels);
    ~SoundMixer();
    SoundMixer(const SoundMixer&) = delete;
    SoundMixer& operator=(const SoundMixer&) = delete;

    // The engine's side. A clip reached a frame of its timeline (by playing or a goto): its
    // stream plays that frame's sound. The frame's event sounds come through startSound.
    void streamFrameEntered(const std::shared_ptr<const SoundClip>& clip,
                            const std::shared_ptr<const Timeline>& timeline, int frame);
    // Starts (or, for a stop start, stops) an event sound, as a frame or a button does.
    void startSound(std::shared_ptr<const SoundCharacter> sound, const SoundStart& how);
    // stopAllSounds: the timelines' sounds go quiet (scripts' sounds stop with their
    // channels); streams play again from their next frame.
    void stopAll();
    // How the sounds of the movie's scripts are found when a frame is mixed (null while the
    // scripts keep none).
    using FindScriptSounds = std::function<std::shared_ptr<const ScriptSounds>()>;
    void followScripts(FindScriptSounds find) { findScriptSounds_ = std::move(find); }

    // The host's side. Mixes the sound of the frame the engine has shown since the last call
    // onto the queue.
    void mixFrame();
    // Takes interleaved samples off the queue; returns how many it had, the rest is silence.
    size_t take(std::span<int16_t> out);
    size_t queued() const { return queue_.size(); }
    uint32_t rate() const { return rate_; }
    int channels() const { return channels_; }

  private:
    struct Voice;
    struct StreamVoice;

    std::shared_ptr<const PcmBuffer> decoded(const std::shared_ptr<const SoundCharacter>& sound);
    std::shared_ptr<const StreamSound> streamOf(const std::shared_ptr<const Timeline>& timeline);
    bool startVoice(std::shared_ptr<const SoundCharacter> sound, const SoundStart& how,
                    uint64_t scriptSerial, bool global, uint64_t offsetFrames);
    void startScriptSounds(const ScriptSounds* scripts);
    void updateStreams();
    size_t voiceCount() const;
    bool takeBudget(size_t bytes, const std::string& what);
    // Says on stderr why a sound is not heard (a decoder error, the memory limit).
    static void log(const std::string& line);

    double frameRate_;
    uint32_t rate_;
    int channels_;
    uint64_t framesMixed_ = 0;
    uint64_t lastScriptSerial_ = 0;
    size_t decodedBytes_ = 0;
    std::vector<Voice> voices_;
    FindScriptSounds findScriptSounds_;
    std::map<const SoundClip*, StreamVoice> streams_;
    struct CachedSound {
        std::weak_ptr<const SoundCharacter> owner;
        std::shared_ptr<const PcmBuffer> pcm;  // null when it cannot be decoded
    };
    std::map<const SoundCharacter*, CachedSound> sounds_;
    struct CachedStream {
        std::weak_ptr<const Timeline> owner;
        std::shared_ptr<const StreamSound> stream;  // null without a stream
    };
    std::map<const Timeline*, CachedStream> streamSounds_;
    std::vector<int16_t> queue_;
    std::vector<float> mix_;
};

}  // namespace swf
