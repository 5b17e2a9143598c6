#include "swf/movie/Timeline.h"

#include <algorithm>

#include "swf/format/LetterCase.h"

namespace swf {

const Frame& Timeline::frame(int index) const {
    static const Frame kEmpty;
    if (index < 0 || static_cast<size_t>(index) >= frames_.size()) return kEmpty;
    return frames_[static_cast<size_t>(index)];
}

int Timeline::playableFrames() const {
    return std::max(1, shownFrames_ + (partialFrame_ ? 1 : 0));
}

bool Timeline::loops() const {
    return ended_ && !partialFrame_;
}

int Timeline::findLabel(std::string_view label) const {
    for (size_t f = 0; f < frames_.size(); ++f)
        for (const std::string& l : frames_[f].labels)
            if (equalsIgnoringCase(l, label)) return static_cast<int>(f);
    return -1;
}

}  // namespace swf
