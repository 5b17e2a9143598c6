#include "swf/render/MaskStack.h"

#include <algorithm>

namespace swf {

MaskStack::MaskStack(int width, int height)
    : area_(static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(std::max(height, 0))) {}

void MaskStack::begin() {
    Level level;
    level.kept = levels_.size() < kMaxDepth;
    if (level.kept) {
        size_t index = levels_.size();
        if (buffers_.size() <= index) buffers_.resize(index + 1);
        buffers_[index].assign(area_, 0);
    }
    levels_.push_back(level);
}

void MaskStack::end() {
    if (levels_.empty() || !levels_.back().recording) return;
    size_t top = levels_.size() - 1;
    levels_.back().recording = false;
    if (!levels_.back().kept || top == 0) return;
    // Intersect with the masks below, so the top mask alone limits drawing.
    const uint8_t* below = effectiveBelow(top - 1);
    if (!below) return;
    uint8_t* mask = buffers_[top].data();
    for (size_t i = 0; i < area_; ++i)
        mask[i] = static_cast<uint8_t>((mask[i] * below[i] + 127) / 255);
}

void MaskStack::pop() {
    if (!levels_.empty()) levels_.pop_back();
}

bool MaskStack::recording() const {
    return !levels_.empty() && levels_.back().recording;
}

uint8_t* MaskStack::recordingBuffer() {
    if (!recording() || !levels_.back().kept) return nullptr;
    return buffers_[levels_.size() - 1].data();
}

const uint8_t* MaskStack::activeMask() const {
    if (levels_.empty()) return nullptr;
    return effectiveBelow(levels_.size() - 1);
}

const uint8_t* MaskStack::effectiveBelow(size_t top) const {
    for (size_t i = top + 1; i-- > 0;) {
        if (levels_[i].kept && !levels_[i].recording) return buffers_[i].data();
    }
    return nullptr;
}

}  // namespace swf
