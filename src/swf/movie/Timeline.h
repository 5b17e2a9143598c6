#pragma once
// A timeline as the movie defines it (the main one or a sprite's): per frame, the
// display-list tags and actions in file order, the labels and the other control tags.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/movie/PlaceObject.h"

namespace swf {

// A DoAction body; it keeps its place among the frame's display-list tags, since a sprite
// placed before it queues its first-frame actions ahead of it.
struct DoAction {
    std::vector<uint8_t> code;
};

// A DoInitAction: the sprite it initialises and its actions, run once when its frame is
// first reached, queued where it stands among the frame's tags, ahead of the frame's other
// actions.
struct InitAction {
    uint16_t spriteId = 0;
    std::vector<uint8_t> code;
    size_t tagsBefore = 0;  // how many of the frame's tags come before it in the file
};

using FrameTag = std::variant<PlaceObject, RemoveObject, DoAction>;

// A control tag the engine keeps for later use (sound), as code and body.
struct KeptTag {
    uint16_t code = 0;
    std::vector<uint8_t> body;
};

struct Frame {
    std::vector<FrameTag> tags;
    std::vector<std::string> labels;
    std::optional<Rgba> backgroundColor;
    std::vector<KeptTag> soundTags;       // StartSound, StartSound2, StopSound, stream blocks
    std::vector<InitAction> initActions;  // main timeline only, in file order
};

// Frames count as the player counts them: a frame exists once its ShowFrame has been read,
// whatever count the header declares. Tags after the last ShowFrame form one more frame that
// can be entered but never completes. A timeline loops after its last frame only when it is
// complete (its End tag was read and no frame is left incomplete); otherwise it waits there
// for frames that never arrive.
class Timeline {
  public:
    explicit Timeline(uint16_t declaredFrames = 1) : declaredFrames_(declaredFrames) {}

    // The frame count the movie or sprite declares (at least 1).
    int frameCount() const { return declaredFrames_ == 0 ? 1 : declaredFrames_; }
    // The frame count as written, 0 included.
    int declaredFrames() const { return declaredFrames_; }
    // The frames the playhead can be on (at least 1).
    int playableFrames() const;
    // The frames whose ShowFrame tag was read: the complete ones.
    int shownFrames() const { return shownFrames_; }
    // True when the playhead goes from the last playable frame back to the first.
    bool loops() const;
    // Called by the builder: how many ShowFrame tags were read, whether tags followed the
    // last one, and whether the End tag was read.
    void setShownFrames(int shown, bool partialFrame, bool ended) {
        shownFrames_ = shown;
        partialFrame_ = partialFrame;
        ended_ = ended;
    }
    // Frame `index` (0-based); an empty frame for an index past the data.
    const Frame& frame(int index) const;
    // The first frame carrying this label (ignoring case, as the player does), or -1.
    int findLabel(std::string_view label) const;

    std::vector<Frame>& frames() { return frames_; }
    const std::vector<Frame>& frames() const { return frames_; }

  private:
    uint16_t declaredFrames_;
    int shownFrames_ = 0;
    bool partialFrame_ = false;
    bool ended_ = false;
    std::vector<Frame> frames_;
};

}  // namespace swf
