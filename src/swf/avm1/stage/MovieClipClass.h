#pragma once
// MovieClip: the methods scripts call on clips, and the clip operations that actions share
// with them (going to a frame, duplicating, removing).

#include <string_view>

#include "swf/avm1/machine/Value.h"

namespace swf {
class MovieClip;
}

namespace swf::avm1 {

class Machine;
class Object;

// The 0-based frame a number (1-based) or label names in `clip`, or -1.
int frameIndex(Machine& machine, MovieClip& clip, const Value& frame);
// Goes to the frame and plays or stops there; nothing happens for a frame that is not there.
void goToFrame(Machine& machine, MovieClip& clip, const Value& frame, bool play);
// duplicateMovieClip: a copy of `source` at `depth` (script depth) of its parent.
Value duplicateClip(Machine& machine, Object* source, std::string_view name, double depth,
                    Object* init);
// removeMovieClip: only clips at script depths (0 and above) can be removed.
void removeClip(Machine& machine, Object* clip);

}  // namespace swf::avm1
