#pragma once
// The ActionScript 3 side of a playing movie: the machine, the bytecode of each frame run
// when the main timeline first reaches that frame, and the document class (SymbolClass 0)
// constructed on the first frame. The player calls it at one point of each frame.

#include <functional>
#include <memory>
#include <string>

#include "swf/avm2/Machine.h"

namespace swf {
class SwfMovie;
}

namespace swf::avm2 {

class MovieScripts {
  public:
    MovieScripts(std::shared_ptr<const SwfMovie> movie, Machine::TraceSink trace);

    // The main timeline is on `frame` (0-based): bytecode of frames not yet run runs now,
    // then, on the first call, the document class is constructed.
    void frameReached(int frame);
    // Between frames: what no script can reach any more is freed.
    void afterFrame();
    Machine& machine() { return machine_; }

  private:
    std::shared_ptr<const SwfMovie> movie_;
    Machine machine_;
    Root<Object> document_;
    int framesRun_ = -1;
};

}  // namespace swf::avm2
