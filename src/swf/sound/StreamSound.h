#pragma once
// A timeline's streaming sound (SoundStreamHead and the SoundStreamBlock of each frame),
// decoded whole, with where each frame's sound starts in it, so that the mixer can play it
// in step with the frames and start it again at any frame a goto lands on.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "swf/sound/PcmBuffer.h"

namespace swf {

class Timeline;

class StreamSound {
  public:
    // Null when the timeline has no stream head or no blocks. A decoder error keeps what was
    // decoded before it, with `error` naming it. At most `maxFrames` sample frames.
    static std::shared_ptr<StreamSound> build(const Timeline& timeline, size_t maxFrames,
                                              std::string& error);

    PcmBuffer pcm;
    // Per timeline frame: the sample frame of `pcm` its sound starts at.
    std::vector<uint64_t> frameStart;

    // Brings the sound to the mix's rate, the frame positions with it.
    bool resample(uint32_t rate, std::string& error);
};

}  // namespace swf
