#pragma once
// What the playback clock and the main window use of the seek controller: its state and the
// few ways they move it. The dialog implements it; tests replace it.

#include <cstdint>

#include "settings/SequenceMode.h"

namespace player {

class SeekControls {
  public:
    virtual ~SeekControls() = default;

    // Seek mode is on exactly while the controller is visible.
    virtual bool IsShown() const = 0;
    // Its button reads "Stop": the clock steps the movie on every tick.
    virtual bool IsPlaying() const = 0;
    // The last frame stepping may reach (0-based).
    virtual uint32_t EndFrame() const = 0;
    virtual settings::SequenceMode Mode() const = 0;

    // End frame = n, position 0, stopped.
    virtual void SetEndFrame(uint32_t n) = 0;
    // Position = n unless n is past the end frame.
    virtual void ShowFrame(uint32_t n) = 0;
    // Position one on, unless already at the end frame.
    virtual void Step() = 0;
    // Not playing: the button reads "Play" and the frame controls are enabled again.
    virtual void ShowStoppedState() = 0;
};

}  // namespace player
