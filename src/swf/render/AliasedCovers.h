#pragma once
// Coverage without anti-aliasing: a pixel covered more than half lets all through, any other
// nothing.

#include <agg_basics.h>

#include <cstddef>
#include <cstdint>

namespace swf {

inline void aliasCovers(uint8_t* covers, size_t count) {
    for (size_t i = 0; i < count; ++i)
        covers[i] = covers[i] > agg::cover_full / 2 ? agg::cover_full : 0;
}

}  // namespace swf
