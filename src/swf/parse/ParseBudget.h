#pragma once
// Limits that keep a hostile movie from making the parser hold more than a bounded amount
// of memory: each timeline frame and each kept control tag uses up one unit; kept bodies and
// decoded bitmaps use up bytes (a few bytes of zlib data can stand for a 64 MB bitmap).

#include <cstddef>

namespace swf {

struct ParseBudget {
    size_t framesLeft = 1u << 20;
    size_t controlTagsLeft = 1u << 20;
    size_t keptBytesLeft = 64u << 20;            // action and sound bodies copied out of the movie
    size_t bitmapBytesLeft = size_t{512} << 20;  // decoded pixels of the movie's bitmaps
    size_t videoBytesLeft = size_t{256} << 20;   // VideoFrame data copied out of the movie

    bool takeFrame() { return framesLeft > 0 && framesLeft-- > 0; }
    bool takeControlTag() { return controlTagsLeft > 0 && controlTagsLeft-- > 0; }
    bool takeBytes(size_t n) {
        if (n > keptBytesLeft) return false;
        keptBytesLeft -= n;
        return true;
    }
    bool takeVideoBytes(size_t n) {
        if (n > videoBytesLeft) return false;
        videoBytesLeft -= n;
        return true;
    }
    bool takeBitmapBytes(size_t n) {
        if (n > bitmapBytesLeft) return false;
        bitmapBytesLeft -= n;
        return true;
    }
};

}  // namespace swf
