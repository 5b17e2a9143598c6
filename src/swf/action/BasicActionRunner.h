#pragma once
// Runs the timeline actions of SWF 3: play, stop, next and previous frame, go to a frame or
// a label, set the target clip, get URL (with "FSCommand:" commands; "quit" ends the movie),
// and treats the harmless ones (quality, sounds, wait for frame) as done. Of SWF 4 it knows
// only enough to trace pushed constants. Everything else is skipped.

#include "swf/action/ActionRunner.h"

namespace swf {

class BasicActionRunner : public ActionRunner {
public:
    void run(std::span<const uint8_t> code, MovieClip& clip, MovieContext& context) override;
};

}  // namespace swf
