#pragma once
// The movie's own sound as a conversion takes it from the engine's mix: after each tick,
// the frame interval the player mixed, in the export's PCM format at the recording volume.

#include <cstdint>
#include <vector>

#include "audio/WaveFormat.h"

namespace swf {
class Player;
}

namespace convert {

class MovieSound {
  public:
    // `volume` from 0 (silence) to 1 (the mix as it is).
    MovieSound(const audio::WaveFormat& format, double volume);

    const audio::WaveFormat& format() const { return format_; }
    // Makes `player` mix for this sound from the next movie it loads.
    void Prepare(swf::Player& player) const;
    // Appends what `player` mixed since the last take to `out`, in whole sample blocks.
    void Take(swf::Player& player, std::vector<uint8_t>& out);

  private:
    audio::WaveFormat format_;
    double volume_;
    std::vector<int16_t> mix_;
};

}  // namespace convert
