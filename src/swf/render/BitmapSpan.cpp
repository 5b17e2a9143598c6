#include "swf/render/BitmapSpan.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

constexpr int kFixedShift = 16;
constexpr double kFixedOne = 1 << kFixedShift;
// Bitmap coordinates are clamped to this before conversion to fixed point; tiles repeat long
// before it, and a clamped fill shows its edge pixels there anyway.
constexpr double kMaxTexelCoordinate = 1e12;
// Beyond this a pixel-to-bitmap term only comes from a collapsed bitmap matrix.
constexpr double kMaxBitmapTerm = 1e12;

// Truncation instead of flooring is off by one 65536th of a texel at most.
int64_t toFixed(double v) {
    return static_cast<int64_t>(std::clamp(v, -kMaxTexelCoordinate, kMaxTexelCoordinate) *
                                kFixedOne);
}

}  // namespace

BitmapSpan::BitmapSpan(const Bitmap& bitmap, const Matrix& bitmapToPixels, bool repeat, bool smooth,
                       const ColorTransform& cxform)
    : bitmap_(bitmap), repeat_(repeat), smooth_(smooth), cxform_(cxform) {
    size_t needed = static_cast<size_t>(std::max(bitmap.width, 0)) *
                    static_cast<size_t>(std::max(bitmap.height, 0)) * 4;
    double det = bitmapToPixels.determinant();
    if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.rgba.size() < needed ||
        !std::isfinite(det) || det == 0) {
        return;
    }
    pixelsToBitmap_ = bitmapToPixels.inverted();
    drawable_ = pixelsToBitmap_.termsWithin(kMaxBitmapTerm);
}

int64_t BitmapSpan::column(int64_t x) const {
    int64_t w = bitmap_.width;
    if (repeat_) {
        x %= w;
        return x < 0 ? x + w : x;
    }
    return std::clamp<int64_t>(x, 0, w - 1);
}

int64_t BitmapSpan::row(int64_t y) const {
    int64_t h = bitmap_.height;
    if (repeat_) {
        y %= h;
        return y < 0 ? y + h : y;
    }
    return std::clamp<int64_t>(y, 0, h - 1);
}

agg::rgba8 BitmapSpan::texel(int64_t x, int64_t y) const {
    const uint8_t* p = bitmap_.pixel(static_cast<int>(x), static_cast<int>(y));
    return agg::rgba8(p[0], p[1], p[2], p[3]);
}

agg::rgba8 BitmapSpan::nearest(int64_t u, int64_t v) const {
    return texel(column(u >> kFixedShift), row(v >> kFixedShift));
}

agg::rgba8 BitmapSpan::bilinear(int64_t u, int64_t v) const {
    // Texel centres sit at half-integers.
    u -= 1 << (kFixedShift - 1);
    v -= 1 << (kFixedShift - 1);
    int64_t x0 = u >> kFixedShift;
    int64_t y0 = v >> kFixedShift;
    auto weightX = static_cast<unsigned>((u >> (kFixedShift - 8)) & 255);
    auto weightY = static_cast<unsigned>((v >> (kFixedShift - 8)) & 255);
    int64_t xa = column(x0), xb = column(x0 + 1);
    int64_t ya = row(y0), yb = row(y0 + 1);
    agg::rgba8 t00 = texel(xa, ya), t10 = texel(xb, ya), t01 = texel(xa, yb), t11 = texel(xb, yb);
    unsigned w00 = (256 - weightX) * (256 - weightY);
    unsigned w10 = weightX * (256 - weightY);
    unsigned w01 = (256 - weightX) * weightY;
    unsigned w11 = weightX * weightY;
    auto blend = [&](uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
        return static_cast<uint8_t>((a * w00 + b * w10 + c * w01 + d * w11 + 32768) >> 16);
    };
    return agg::rgba8(blend(t00.r, t10.r, t01.r, t11.r), blend(t00.g, t10.g, t01.g, t11.g),
                      blend(t00.b, t10.b, t01.b, t11.b), blend(t00.a, t10.a, t01.a, t11.a));
}

void BitmapSpan::generate(agg::rgba8* span, int x, int y, unsigned from, unsigned end) const {
    const Matrix& m = pixelsToBitmap_;
    double px = x + 0.5;
    double py = y + 0.5;
    double u = m.a * px + m.c * py + m.tx;
    double v = m.b * px + m.d * py + m.ty;
    agg::rgba8* out = span;
    if (smooth_) {
        for (unsigned i = from; i < end; ++i)
            *out++ = bilinear(toFixed(u + i * m.a), toFixed(v + i * m.b));
    } else {
        for (unsigned i = from; i < end; ++i)
            *out++ = nearest(toFixed(u + i * m.a), toFixed(v + i * m.b));
    }
    cxform_.apply(span, end - from);
}

}  // namespace swf
