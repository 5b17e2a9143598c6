#pragma once
// A run of action records together with whatever owns their bytes (the movie), so that a
// queued script or a function defined in it never points into freed memory.

#include <cstdint>
#include <memory>
#include <span>

namespace swf::avm1 {

struct ActionBlock {
    std::shared_ptr<const void> owner;
    std::span<const uint8_t> code;
    int swfVersion = 0;

    // The part of this block from `offset`, `size` bytes long (clamped to the block).
    ActionBlock slice(size_t offset, size_t size) const {
        if (offset > code.size()) offset = code.size();
        if (size > code.size() - offset) size = code.size() - offset;
        return ActionBlock{owner, code.subspan(offset, size), swfVersion};
    }
};

}  // namespace swf::avm1
