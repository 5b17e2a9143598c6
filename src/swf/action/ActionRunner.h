#pragma once
// Runs a timeline's action list. The engine queues the actions of each frame and hands them
// here in order; a full ActionScript interpreter replaces the basic runner behind this
// interface.

#include <cstdint>
#include <span>

namespace swf {

class MovieClip;
class MovieContext;

class ActionRunner {
  public:
    virtual ~ActionRunner() = default;
    // Runs `code` (a DoAction body) with `clip` as the timeline it belongs to.
    virtual void run(std::span<const uint8_t> code, MovieClip& clip, MovieContext& context) = 0;
};

}  // namespace swf
