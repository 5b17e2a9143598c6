#pragma once
// The recording volume: the gain at which a conversion takes the movie's own sound, from 0
// (silence) to 1 (the engine's mix as it is). It lives as long as the program and is not
// stored.

#include <algorithm>

namespace audio {

class RecordingVolume {
  public:
    double Gain() const { return gain_; }
    void SetGain(double gain) { gain_ = std::clamp(gain, 0.0, 1.0); }

  private:
    double gain_ = 1.0;
};

}  // namespace audio
