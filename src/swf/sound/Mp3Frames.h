#pragma once
// MP3 data cut into whole frames, resynchronising as the player does: bytes that do not
// start a frame (the tail of an encoder's info frame, damage) are passed over up to the next
// frame header. Out of step, a header counts only when the header after its frame agrees with
// it (same version, layer and rate), so that a stray 0xFFF in the data is not taken for one;
// in step, a header like the frame's before it is taken as it comes. A frame cut off by the
// end of the data is dropped. Each byte is looked at a bounded number of times, and the data
// held is at most one piece plus one frame.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace swf {

class Mp3Frames {
  public:
    // What a frame header (MPEG-1, 2 or 2.5 Layer III, not free format) says.
    struct Header {
        uint32_t bits = 0;
        size_t bytes = 0;  // the whole frame, header included
        int samples = 0;   // per channel
        int rate = 0;
        int channels = 0;
    };
    static std::optional<Header> readHeader(std::span<const uint8_t> data);

    // Adds the next piece of the data.
    void append(std::span<const uint8_t> data);
    // The next whole frame, or an empty span when the data so far holds none; with `end`
    // (no more data comes) the frames still held come out, then nothing.
    std::span<const uint8_t> next(bool end, Header& header);

  private:
    std::vector<uint8_t> data_;
    size_t at_ = 0;
    std::optional<Header> last_;  // the frame taken last, while the next one follows it
};

}  // namespace swf
