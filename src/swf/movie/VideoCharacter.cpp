#include "swf/movie/VideoCharacter.h"

#include <utility>

namespace swf {

bool VideoCharacter::smoothed() const {
    if (codec_ == Vp6 || codec_ == Vp6Alpha) return smoothing_;
    return smoothing_ && frames_.size() == 1;
}

bool VideoCharacter::addFrame(uint16_t number, Frame frame) {
    if (number >= frameCount_ || frames_.contains(number)) return false;
    frames_[number] = std::move(frame);
    return true;
}

std::map<uint16_t, VideoCharacter::Frame>::const_iterator VideoCharacter::frameAtOrBefore(
    uint16_t number) const {
    auto it = frames_.upper_bound(number);
    if (it == frames_.begin()) return frames_.end();
    return std::prev(it);
}

std::map<uint16_t, VideoCharacter::Frame>::const_iterator VideoCharacter::keyFrameAtOrBefore(
    uint16_t number) const {
    auto it = frameAtOrBefore(number);
    if (it == frames_.end()) return it;
    for (;;) {
        if (it->second.key || it == frames_.begin()) return it;
        --it;
    }
}

}  // namespace swf
