#include "swf/display/MovieContext.h"

#include <algorithm>

#include "swf/display/MovieClip.h"

namespace swf {

std::vector<std::shared_ptr<MovieClip>> MovieContext::clipsNewestFirst() {
    std::vector<std::shared_ptr<MovieClip>> alive;
    std::vector<std::weak_ptr<MovieClip>> kept;
    alive.reserve(clips_.size());
    kept.reserve(clips_.size());
    for (const auto& weak : clips_) {
        if (auto clip = weak.lock()) {
            kept.push_back(weak);
            alive.push_back(std::move(clip));
        }
    }
    clips_ = std::move(kept);
    std::reverse(alive.begin(), alive.end());
    return alive;
}

}  // namespace swf
