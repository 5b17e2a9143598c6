#pragma once
// Drawing without anti-aliasing: a pixel that an outline covers at least half of is painted
// fully, any other not at all.

#include <agg_basics.h>
#include <agg_scanline_u.h>

#include <cstddef>
#include <cstdint>

namespace swf {

inline void aliasCovers(uint8_t* covers, size_t count) {
    for (size_t i = 0; i < count; ++i)
        covers[i] = covers[i] > agg::cover_full / 2 ? agg::cover_full : 0;
}

inline void aliasCovers(agg::scanline_u8& scanline) {
    auto span = scanline.begin();
    for (unsigned n = scanline.num_spans(); n > 0; --n, ++span)
        aliasCovers(span->covers, static_cast<size_t>(span->len));
}

}  // namespace swf
