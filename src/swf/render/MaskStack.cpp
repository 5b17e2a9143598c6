#include "swf/render/MaskStack.h"

#include <algorithm>

namespace swf {

MaskStack::MaskStack(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      area_(static_cast<size_t>(width_) * static_cast<size_t>(height_)) {}

void MaskStack::begin() {
    Level level;
    level.kept = levels_.size() < kMaxDepth;
    if (level.kept) {
        size_t index = levels_.size();
        if (buffers_.size() <= index) {
            buffers_.resize(index + 1);
            extents_.resize(index + 1);
        }
        buffers_[index].assign(area_, 0);
    }
    levels_.push_back(level);
}

void MaskStack::end() {
    if (levels_.empty() || !levels_.back().recording) return;
    size_t top = levels_.size() - 1;
    levels_.back().recording = false;
    if (!levels_.back().kept) return;
    // Intersect with the masks below, so the top mask alone limits drawing.
    std::ptrdiff_t below = top == 0 ? -1 : effectiveBelow(top - 1);
    if (below >= 0) {
        const uint8_t* under = buffers_[static_cast<size_t>(below)].data();
        uint8_t* mask = buffers_[top].data();
        for (size_t i = 0; i < area_; ++i)
            mask[i] = static_cast<uint8_t>((mask[i] * under[i] + 127) / 255);
    }
    measure(top);
}

void MaskStack::measure(size_t index) {
    std::vector<RowExtent>& extents = extents_[index];
    extents.assign(static_cast<size_t>(height_), RowExtent{});
    const uint8_t* row = buffers_[index].data();
    for (RowExtent& extent : extents) {
        const uint8_t* end = row + width_;
        const uint8_t* first = std::find_if(row, end, [](uint8_t m) { return m != 0; });
        if (first != end) {
            const uint8_t* last = end - 1;
            while (*last == 0) --last;
            extent = {static_cast<int>(first - row), static_cast<int>(last - row) + 1};
        }
        row = end;
    }
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
    std::ptrdiff_t active = levels_.empty() ? -1 : effectiveBelow(levels_.size() - 1);
    return active < 0 ? nullptr : buffers_[static_cast<size_t>(active)].data();
}

const MaskStack::RowExtent* MaskStack::activeExtents() const {
    std::ptrdiff_t active = levels_.empty() ? -1 : effectiveBelow(levels_.size() - 1);
    return active < 0 ? nullptr : extents_[static_cast<size_t>(active)].data();
}

std::ptrdiff_t MaskStack::effectiveBelow(size_t top) const {
    for (size_t i = top + 1; i-- > 0;) {
        if (levels_[i].kept && !levels_[i].recording) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

}  // namespace swf
