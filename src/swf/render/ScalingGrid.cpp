#include "swf/render/ScalingGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace swf {
namespace {

constexpr double kFar = std::numeric_limits<double>::infinity();

// One region's share of an axis: the twips it takes from the object, the pixels they land on
// and the pixels it may paint.
struct Span {
    double scale = 0, offset = 0;  // pixel = twip * scale + offset
    double clip1 = 0, clip2 = 0;
};

// The spans of one axis, start to end, those without twips left out. `lo`..`hi` is the
// object's extent, `cut1` and `cut2` the grid's lines (twips); `scale` and `offset` the
// transform along the axis; `unscaled` the pixels a twip takes at the object's own size.
size_t sliceAxis(double lo, double cut1, double cut2, double hi, double scale, double offset,
                 double unscaled, std::array<Span, 3>& out) {
    cut1 = std::clamp(cut1, lo, hi);
    cut2 = std::clamp(cut2, cut1, hi);
    const double start = lo * scale + offset, end = hi * scale + offset;
    const double sign = scale < 0 ? -1 : 1;
    double first = (cut1 - lo) * unscaled, last = (hi - cut2) * unscaled;
    const double room = std::abs(end - start);
    if (first + last > room) {
        const double share = room / (first + last);
        first *= share;
        last *= share;
    }
    // Inner lines fall on whole pixels, so that neighbouring regions share no pixel and no
    // seam shows between them.
    const double low = std::min(start, end), high = std::max(start, end);
    auto snap = [&](double at, double corner) {
        return corner > 0 ? std::clamp(std::round(at), low, high) : at;
    };
    const double line1 = snap(start + sign * first, first);
    const double line2 = snap(end - sign * last, last);
    const double twips[4] = {lo, cut1, cut2, hi};
    const double pixels[4] = {start, line1, line2, end};
    size_t count = 0;
    for (int i = 0; i < 3; ++i) {
        if (twips[i + 1] <= twips[i]) continue;
        Span& span = out[count++];
        span.scale = (pixels[i + 1] - pixels[i]) / (twips[i + 1] - twips[i]);
        span.offset = pixels[i] - span.scale * twips[i];
        span.clip1 = std::min(pixels[i], pixels[i + 1]);
        span.clip2 = std::max(pixels[i], pixels[i + 1]);
    }
    // What lies beyond the extent (a line's overhang) goes with the outermost regions.
    if (count > 0) {
        (sign > 0 ? out[0].clip1 : out[0].clip2) = sign * -kFar;
        (sign > 0 ? out[count - 1].clip2 : out[count - 1].clip1) = sign * kFar;
    }
    return count;
}

}  // namespace

std::optional<ScalingGrid> ScalingGrid::slice(const Rect& grid, const Rect& bounds,
                                              const Matrix& toPixels, double unscaledX,
                                              double unscaledY) {
    if (toPixels.b != 0 || toPixels.c != 0 || grid.empty() || bounds.empty()) return std::nullopt;
    for (double v : {toPixels.a, toPixels.d, toPixels.tx, toPixels.ty, unscaledX, unscaledY})
        if (!std::isfinite(v)) return std::nullopt;
    // At its own size (mirrored or not) every region keeps its size: nothing to slice.
    auto ownSize = [](double scale, double unscaled) {
        return std::abs(std::abs(scale) - std::abs(unscaled)) <= 1e-9 * std::abs(unscaled);
    };
    if (ownSize(toPixels.a, unscaledX) && ownSize(toPixels.d, unscaledY)) return std::nullopt;
    std::array<Span, 3> columns, rows;
    size_t columnCount = sliceAxis(bounds.xMin, grid.xMin, grid.xMax, bounds.xMax, toPixels.a,
                                   toPixels.tx, std::abs(unscaledX), columns);
    size_t rowCount = sliceAxis(bounds.yMin, grid.yMin, grid.yMax, bounds.yMax, toPixels.d,
                                toPixels.ty, std::abs(unscaledY), rows);
    ScalingGrid sliced;
    for (size_t r = 0; r < rowCount; ++r) {
        for (size_t c = 0; c < columnCount; ++c) {
            const Span& x = columns[c];
            const Span& y = rows[r];
            if (x.clip1 >= x.clip2 || y.clip1 >= y.clip2) continue;
            sliced.regions_[sliced.count_++] = {x.clip1, y.clip1, x.clip2, y.clip2,
                                                Matrix{x.scale, 0, 0, y.scale, x.offset, y.offset}};
        }
    }
    return sliced;
}

}  // namespace swf
