#pragma once
// The style handler used while recording a clip mask: every fill counts as full coverage,
// whatever its colour, as the original player builds masks from shape outlines.

#include <agg_color_gray.h>

#include <algorithm>

namespace swf {

class CoverageStyles {
  public:
    bool is_solid(unsigned) const { return true; }
    agg::gray8 color(unsigned) const { return agg::gray8(255, 255); }
    void generate_span(agg::gray8* span, int, int, unsigned len, unsigned) const {
        std::fill(span, span + len, agg::gray8(255, 255));
    }
};

}  // namespace swf
