#pragma once
// The sound a writer puts beside the frames: a WAV file's, read from its start, or the
// movie's own, which grows frame by frame as the run takes it from the engine's mix.

#include <cstdint>
#include <span>

#include "audio/WaveFormat.h"

namespace convert {

class SoundInput {
  public:
    virtual ~SoundInput() = default;

    virtual const audio::WaveFormat& Format() const = 0;
    // The bytes a format other than PCM carries after its 18 bytes.
    virtual std::span<const uint8_t> FormatExtra() const = 0;
    // The next bytes of the sound, up to `wanted`; `read` says how many came.
    virtual int32_t Read(uint8_t* data, uint32_t wanted, uint32_t& read) = 0;
    // Whether more may come after a short read: the movie's sound grows with the frames, a
    // file's ends where its reads fall short.
    virtual bool Growing() const = 0;
};

}  // namespace convert
