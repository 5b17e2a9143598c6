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

  private:
    struct Level {
        bool recording = true;
        bool kept = true;  // false beyond kMaxDepth: no buffer of its own
    };

    // The buffer of the nearest kept, ended level at or below `top`, or null.
    const uint8_t* effectiveBelow(size_t top) const;

    size_t area_;
    std::vector<std::vector<uint8_t>> buffers_;  // buffers_[i] belongs to level i
    std::vector<Level> levels_;
};

}  // namespace swf
