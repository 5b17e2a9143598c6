#include "support/Rect.h"

#include <algorithm>

#include "support/BitWriter.h"
#include "support/Rgba.h"

namespace swftest {

Rect Rect::fromSize(int32_t x, int32_t y, int32_t width, int32_t height) {
    return Rect{x, x + width, y, y + height};
}

Rect Rect::fromPixels(double x, double y, double width, double height) {
    return Rect{px(x), px(x + width), px(y), px(y + height)};
}

void Rect::include(int32_t x, int32_t y) {
    xMin = std::min(xMin, x);
    xMax = std::max(xMax, x);
    yMin = std::min(yMin, y);
    yMax = std::max(yMax, y);
}

Rect Rect::expanded(int32_t margin) const {
    return Rect{xMin - margin, xMax + margin, yMin - margin, yMax + margin};
}

void Rect::write(BitWriter& out) const {
    const int bits = std::max({BitWriter::signedBits(xMin), BitWriter::signedBits(xMax),
                               BitWriter::signedBits(yMin), BitWriter::signedBits(yMax)});
    out.align();
    out.ub(static_cast<uint32_t>(bits), 5);
    out.sb(xMin, bits).sb(xMax, bits).sb(yMin, bits).sb(yMax, bits);
    out.align();
}

}  // namespace swftest
