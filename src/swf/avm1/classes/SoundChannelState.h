#pragma once
// What the movie's scripts asked of the sound system: the sounds playing (since when, from
// where, how many loops, on behalf of which clip) and the volume and pan of every clip that
// had them set. Scripts write it through Sound objects; the mixer reads it. Times are on the
// movie's clock.

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "swf/sound/ScriptSounds.h"

namespace swf {
class DisplayObject;
class MovieContext;
class SoundCharacter;
}  // namespace swf

namespace swf::avm1 {

class SoundChannelState : public ScriptSounds {
  public:
    // The player mixes at most this many sounds; a start beyond them is not heard.
    static constexpr size_t kMaxChannels = 32;

    struct Channel {
        uint64_t serial = 0;
        const void* owner = nullptr;  // the Sound object that started it, as an identity only
        std::shared_ptr<const SoundCharacter> sound;
        std::weak_ptr<DisplayObject> target;  // empty for a global sound
        bool global = true;
        double startMs = 0;   // movie time it started
        double offsetMs = 0;  // where in the sound each loop starts
        int loops = 1;
        SoundLevels own;  // this channel's levels, after its clip's and the movie's

        double loopMs() const;
        double endMs() const { return startMs + loopMs() * loops; }
        // Where in the sound it is at `nowMs`.
        double positionMs(double nowMs) const;
    };

    // The state of a movie's sounds, made on first use; the mixer finds it with find().
    static std::shared_ptr<SoundChannelState> attach(const MovieContext& context);
    static std::shared_ptr<SoundChannelState> find(const MovieContext& context);

    // Starts a sound; 0 when every channel is taken or there is nothing to play.
    uint64_t start(const void* owner, std::shared_ptr<const SoundCharacter> sound,
                   DisplayObject* target, double nowMs, double offsetMs, int loops);
    const Channel* channel(uint64_t serial) const;
    Channel* channel(uint64_t serial);
    void stop(uint64_t serial);
    // Stops the sounds on a clip (all of them for a global stop), only those of `sound` if given.
    void stopWhere(DisplayObject* target, const SoundCharacter* sound);
    // Forgets the sounds that ended by `nowMs` (and those of clips that are gone).
    void removeFinished(double nowMs);

    // What the mixer follows.
    std::vector<Started> startedAfter(uint64_t serial) const override;
    bool keeps(uint64_t serial) const override;
    const SoundLevels& globalLevels() const override;
    const SoundLevels* clipLevels(uint64_t serial) const override;
    const SoundLevels* channelLevels(uint64_t serial) const override;

    // The levels of a clip, or the global ones for null.
    SoundLevels& levels(DisplayObject* target);
    const SoundLevels* findLevels(const DisplayObject* target) const;

  private:
    std::vector<Channel> channels_;
    uint64_t nextSerial_ = 1;
    SoundLevels global_;
    std::map<const DisplayObject*, std::pair<std::weak_ptr<DisplayObject>, SoundLevels>> clips_;
};

}  // namespace swf::avm1
