#pragma once
// What a NetStream shares with the Video objects it is attached to: the file's pictures and
// where the stream's clock stands, so that each Video shows the frame of the moment it is
// drawn at.

#include <algorithm>
#include <memory>

#include "swf/video/FlvVideo.h"

namespace swf {

struct VideoFeed {
    std::shared_ptr<const FlvVideo> video;  // null until a file plays
    bool running = false;                   // playing and not paused
    double positionSec = 0;                 // where the clock last started or stopped
    double startedMs = 0;                   // movie time it last started at
    double durationSec = 0;

    double timeMs(double nowMs) const {
        if (!running) return positionSec * 1000;
        return std::min(durationSec * 1000, positionSec * 1000 + (nowMs - startedMs));
    }
};

}  // namespace swf
