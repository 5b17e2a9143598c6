#include "convert/Yuv420Conversion.h"

#include <algorithm>

namespace convert {
namespace {

// Fixed point with 16 fraction bits; chroma is computed from sums of four pixels.
constexpr int kShift = 16;

struct Coefficients {
    int32_t yr, yg, yb, yOffset;  // yOffset holds the rounding half
    int32_t ur, ug, ub;
    int32_t vr, vg, vb;
    int32_t cOffset;  // 128 and the rounding half, for sums of four pixels
};

// The middle term takes up the rounding, so that every grey gets a chroma of exactly 128
// and white a luma of exactly the top of the range.
constexpr Coefficients MakeCoefficients(double luma, double chroma, int lumaBase, int lumaTop) {
    const auto fixed = [](double v) {
        return static_cast<int32_t>(v * (1 << kShift) + (v < 0 ? -0.5 : 0.5));
    };
    Coefficients c{};
    c.yr = fixed(0.299 * luma);
    c.yb = fixed(0.114 * luma);
    c.yg = fixed((lumaTop - lumaBase) / 255.0) - c.yr - c.yb;
    c.yOffset = (lumaBase << kShift) + (1 << (kShift - 1));
    c.ur = fixed(-0.168736 * chroma);
    c.ub = fixed(0.5 * chroma);
    c.ug = -c.ur - c.ub;
    c.vr = fixed(0.5 * chroma);
    c.vb = fixed(-0.081312 * chroma);
    c.vg = -c.vr - c.vb;
    c.cOffset = (128 << (kShift + 2)) + (1 << (kShift + 1));
    return c;
}

constexpr Coefficients kStudio = MakeCoefficients(219.0 / 255, 224.0 / 255, 16, 235);
constexpr Coefficients kFull = MakeCoefficients(1.0, 1.0, 0, 255);

inline uint8_t Luma(const Coefficients& c, const uint8_t* bgr) {
    return static_cast<uint8_t>((c.yr * bgr[2] + c.yg * bgr[1] + c.yb * bgr[0] + c.yOffset) >>
                                kShift);
}

inline uint8_t ClampChroma(int32_t value) {
    return static_cast<uint8_t>(std::clamp(value >> (kShift + 2), 0, 255));
}

inline void Block(const Coefficients& c, const uint8_t* a, const uint8_t* b, const uint8_t* d,
                  const uint8_t* e, uint8_t* u, uint8_t* v) {
    const int32_t blue = a[0] + b[0] + d[0] + e[0];
    const int32_t green = a[1] + b[1] + d[1] + e[1];
    const int32_t red = a[2] + b[2] + d[2] + e[2];
    *u = ClampChroma(c.ur * red + c.ug * green + c.ub * blue + c.cOffset);
    *v = ClampChroma(c.vr * red + c.vg * green + c.vb * blue + c.cOffset);
}

// One row pair: luma of both rows (when the planes end in an unpaired row, both are that row
// and `y1` is `y0`) and the chroma of each 2 x 2 block. `width` is the picture's, `codedWidth`
// the planes'.
template <int kBytes>
void ConvertRowPair(const Coefficients& c, const uint8_t* row0, const uint8_t* row1, int width,
                    int codedWidth, uint8_t* y0, uint8_t* y1, uint8_t* u, uint8_t* v) {
    const int pairs = width / 2;
    for (int i = 0; i < pairs; ++i) {
        const uint8_t* a = row0 + static_cast<ptrdiff_t>(2 * i) * kBytes;
        const uint8_t* d = row1 + static_cast<ptrdiff_t>(2 * i) * kBytes;
        y0[2 * i] = Luma(c, a);
        y0[2 * i + 1] = Luma(c, a + kBytes);
        y1[2 * i] = Luma(c, d);
        y1[2 * i + 1] = Luma(c, d + kBytes);
        Block(c, a, a + kBytes, d, d + kBytes, u + i, v + i);
    }
    // The columns past the picture repeat its last one.
    for (int i = pairs; i < (codedWidth + 1) / 2; ++i) {
        const int x0 = std::min(2 * i, width - 1), x1 = std::min(2 * i + 1, width - 1);
        const uint8_t* a = row0 + static_cast<ptrdiff_t>(x0) * kBytes;
        const uint8_t* b = row0 + static_cast<ptrdiff_t>(x1) * kBytes;
        const uint8_t* d = row1 + static_cast<ptrdiff_t>(x0) * kBytes;
        const uint8_t* e = row1 + static_cast<ptrdiff_t>(x1) * kBytes;
        y0[2 * i] = Luma(c, a);
        y1[2 * i] = Luma(c, d);
        if (2 * i + 1 < codedWidth) {
            y0[2 * i + 1] = Luma(c, b);
            y1[2 * i + 1] = Luma(c, e);
        }
        Block(c, a, b, d, e, u + i, v + i);
    }
}

}  // namespace

void ConvertToYuv420(const uint8_t* top, ptrdiff_t rowStep, int width, int height,
                     int bytesPerPixel, YuvRange range, const Yuv420Planes& planes) {
    if (width < 1 || height < 1 || planes.width < width || planes.height < height) return;
    const Coefficients& c = range == YuvRange::Full ? kFull : kStudio;
    const auto rowOf = [&](int y) { return top + rowStep * std::min(y, height - 1); };
    const auto line = [&](int plane, int y) {
        return planes.data[plane] + static_cast<ptrdiff_t>(planes.linesize[plane]) * y;
    };
    for (int y = 0; y < planes.height; y += 2) {
        uint8_t* y1 = line(0, std::min(y + 1, planes.height - 1));
        if (bytesPerPixel == 4)
            ConvertRowPair<4>(c, rowOf(y), rowOf(y + 1), width, planes.width, line(0, y), y1,
                              line(1, y / 2), line(2, y / 2));
        else
            ConvertRowPair<3>(c, rowOf(y), rowOf(y + 1), width, planes.width, line(0, y), y1,
                              line(1, y / 2), line(2, y / 2));
    }
}

}  // namespace convert
