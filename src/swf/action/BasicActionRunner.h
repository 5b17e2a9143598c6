#pragma once
// Runs the timeline actions of SWF 3: play, stop, next and previous frame, go to a frame or
// a label, set the target clip, get URL (with "FSCommand:" commands; "quit" ends the movie),
// and treats the harmless ones (quality, sounds, wait for frame) as done. Of later versions it
// knows only enough to trace pushed constants and to honour GetURL2 with constant operands.
// Other actions are skipped, except that the list ends at the first branch, call or function
// definition: what runs after one depends on values only a full interpreter computes.

#include "swf/action/ActionRunner.h"

namespace swf {

class BasicActionRunner : public ActionRunner {
  public:
    void run(std::span<const uint8_t> code, MovieClip& clip, MovieContext& context) override;
};

}  // namespace swf
