#pragma once
// A timeline as the movie defines it (the main one or a sprite's): per frame, the
// display-list tags in order, the actions, the labels and the other control tags.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "swf/display/PlaceObject.h"
#include "swf/geom/Geometry.h"

namespace swf {

using DisplayListTag = std::variant<PlaceObject, RemoveObject>;

// A control tag the engine keeps for later use (sound), as code and body.
struct KeptTag {
    uint16_t code = 0;
    std::vector<uint8_t> body;
};

struct Frame {
    std::vector<DisplayListTag> displayTags;
    std::vector<std::vector<uint8_t>> actions;  // DoAction bodies, in order
    std::vector<std::string> labels;
    std::optional<Rgba> backgroundColor;
    std::vector<KeptTag> soundTags;  // StartSound, StartSound2, StopSound, stream blocks
};

class Timeline {
public:
    explicit Timeline(uint16_t declaredFrames = 1) : declaredFrames_(declaredFrames) {}

    // The frame count the movie or sprite declares (at least 1). Frames past the data hold
    // no tags.
    int frameCount() const { return declaredFrames_ == 0 ? 1 : declaredFrames_; }
    // Frame `index` (0-based); an empty frame for an index past the data.
    const Frame& frame(int index) const;
    // The first frame carrying this label (ignoring case, as the player does), or -1.
    int findLabel(std::string_view label) const;

    std::vector<Frame>& frames() { return frames_; }
    const std::vector<Frame>& frames() const { return frames_; }

private:
    uint16_t declaredFrames_;
    std::vector<Frame> frames_;
};

}  // namespace swf
