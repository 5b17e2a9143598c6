#pragma once
// The sounds a movie's scripts play, as the mixer follows them each frame. The script machine
// keeps them (which object started what, for which clip, how loud); the mixer starts each one
// once, drops it when the scripts no longer keep it, and mixes it at the levels they set.

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/sound/SoundLevels.h"

namespace swf {

class SoundCharacter;

class ScriptSounds {
  public:
    // One start of a sound; serials rise with each start.
    struct Started {
        uint64_t serial = 0;
        std::shared_ptr<const SoundCharacter> sound;
        bool global = true;     // for the whole movie, not for a clip
        bool clipGone = false;  // the clip it was started for no longer exists
        int loops = 1;
        double offsetMs = 0;  // where in the sound each loop starts
    };

    virtual ~ScriptSounds() = default;

    // The starts after `serial`, in order.
    virtual std::vector<Started> startedAfter(uint64_t serial) const = 0;
    // Whether the scripts still keep the sound of that start.
    virtual bool keeps(uint64_t serial) const = 0;
    // The levels of the whole movie.
    virtual const SoundLevels& globalLevels() const = 0;
    // The levels the scripts set for the clip of a start, if any.
    virtual const SoundLevels* clipLevels(uint64_t serial) const = 0;
    // The levels of that start alone (ActionScript 3 sets them per channel), if any.
    virtual const SoundLevels* channelLevels(uint64_t serial) const = 0;
};

}  // namespace swf
