#pragma once
// The clip masks of a canvas: 8-bit coverage buffers the size of the surface. A mask being
// recorded gathers the coverage of the shapes drawn into it; once ended, it holds its own
// coverage times that of the masks below it, so drawing needs only the top one. Buffers are
// kept and reused from frame to frame.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf {

class MaskStack {
  public:
    // The columns of one row a mask lets anything through: first to end - 1; none when
    // first == end.
    struct RowExtent {
        int first = 0;
        int end = 0;
    };

    // Nesting deeper than this only comes from hostile movies; deeper masks record nothing
    // and restrict no further than the masks below them.
    static constexpr size_t kMaxDepth = 32;

    MaskStack(int width, int height);

    void begin();
    void end();
    void pop();
    // Drops every level; the buffers stay for reuse.
    void clear() { levels_.clear(); }

    // True between begin and end: drawing goes into the mask.
    bool recording() const;
    // The buffer being recorded, or null when this level is beyond kMaxDepth.
    uint8_t* recordingBuffer();
    // The mask that limits drawing on the surface, or null when nothing limits it.
    const uint8_t* activeMask() const;
    // The extent of each row of the active mask; null with it.
    const RowExtent* activeExtents() const;

  private:
    struct Level {
        bool recording = true;
        bool kept = true;  // false beyond kMaxDepth: no buffer of its own
    };

    // The index of the nearest kept, ended level at or below `top`, or -1.
    std::ptrdiff_t effectiveBelow(size_t top) const;
    // Finds the extents of the rows of level `index`'s finished buffer.
    void measure(size_t index);

    int width_;
    int height_;
    size_t area_;
    std::vector<std::vector<uint8_t>> buffers_;    // buffers_[i] belongs to level i
    std::vector<std::vector<RowExtent>> extents_;  // of the rows of buffers_[i], once ended
    std::vector<Level> levels_;
};

}  // namespace swf
