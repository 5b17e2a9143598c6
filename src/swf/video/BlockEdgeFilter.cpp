#include "swf/video/BlockEdgeFilter.h"

#include <algorithm>
#include <cstdlib>

namespace swf {
namespace {

// Annex J's table: the filter's strength for each quantizer.
constexpr int kStrength[32] = {0, 1, 1, 2, 2, 3, 3, 4, 4,  4,  5,  5,  5,  6,  6,  7,
                               7, 7, 8, 8, 8, 9, 9, 9, 10, 10, 10, 11, 11, 11, 12, 12};

uint8_t clampSample(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

}  // namespace

void BlockEdgeFilter::filterEdge(uint8_t* nearSide, ptrdiff_t step, int strength) {
    // a b | c d: b and c move towards each other by the step between them as far as the
    // strength allows; a and d follow by up to half as much. Divisions round down, as shifts.
    const int a = nearSide[-2 * step];
    const int b = nearSide[-step];
    const int c = nearSide[0];
    const int d = nearSide[step];
    const int diff = (a - 4 * b + 4 * c - d) >> 3;
    const int size = std::abs(diff);
    const int ramp = std::max(0, size - std::max(0, 2 * (size - strength)));
    const int moved = diff < 0 ? -ramp : ramp;
    nearSide[-step] = clampSample(b + moved);
    nearSide[0] = clampSample(c - moved);
    const int limit = std::abs(moved >> 1);
    const int outer = std::clamp((a - d) >> 2, -limit, limit);
    nearSide[-2 * step] = clampSample(a - outer);
    nearSide[step] = clampSample(d + outer);
}

void BlockEdgeFilter::apply(uint8_t* plane, int width, int height, ptrdiff_t stride,
                            int quantizer) {
    const int strength = kStrength[std::clamp(quantizer, 0, 31)];
    if (strength == 0) return;
    for (int y = 8; y + 1 < height; y += 8)
        for (int x = 0; x < width; ++x) filterEdge(plane + y * stride + x, stride, strength);
    for (int y = 0; y < height; ++y)
        for (int x = 8; x + 1 < width; x += 8) filterEdge(plane + y * stride + x, 1, strength);
}

}  // namespace swf
