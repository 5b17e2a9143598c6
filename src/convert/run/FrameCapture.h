#pragma once
// The offscreen renderer without a window: draws the control at its view size into the
// frame buffer a run writes. 24-bit runs use colourBuffer; while alphaFlag is set (a 32-bit
// run) the frame goes to alphaBuffer with the picture's coverage as alpha.

#include "convert/FrameBuffer.h"

namespace swf {
class Player;
}

namespace convert {

class FrameCapture {
  public:
    // Draws the control's current picture into the buffer in use. False when nothing could
    // be drawn (no movie, a view without area or too large, no memory).
    bool Capture(const swf::Player& control);
    // Draws the same picture into a buffer of the caller's (a pipelined run's), at the depth
    // alphaFlag chooses.
    bool CaptureInto(const swf::Player& control, FrameBuffer& buffer) const;
    // The buffer in use, as the writers take it.
    const FrameBuffer& Frame() const { return alphaFlag ? alphaBuffer : colourBuffer; }

    FrameBuffer colourBuffer;
    FrameBuffer alphaBuffer;
    // Set for a run whose colour depth is 32; every run clears it at its end.
    bool alphaFlag = false;
};

}  // namespace convert
