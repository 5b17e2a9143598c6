#pragma once
// Splits a run of tags (a movie body or a sprite's body) into code and body spans.
// A tag whose length reaches past the end of the data is cut to what is there and ends
// the stream; nothing is ever read outside the span.

#include <cstddef>
#include <cstdint>
#include <span>

namespace swf {

struct Tag {
    uint16_t code = 0;
    std::span<const uint8_t> body;
    size_t offset = 0;       // where the tag's header starts in the stream
    bool truncated = false;  // the declared length reached past the end of the data
};

class TagStream {
  public:
    explicit TagStream(std::span<const uint8_t> data) : data_(data) {}

    // The next tag, or false at the end of the data, after an End tag or after a truncated
    // tag has been returned.
    bool next(Tag& tag);
    // True when the stream stopped at a tag cut short, or at a header that did not fit.
    bool truncated() const { return truncated_; }

  private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    bool finished_ = false;
    bool truncated_ = false;
};

}  // namespace swf
