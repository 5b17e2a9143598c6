// The surface blender's shortcuts (skipped pixels, whole-word writes of opaque full-cover
// runs, runs trimmed to the mask) against AGG's premultiplied pixel format and alpha mask
// adaptor doing the same blends pixel by pixel: every byte must come out the same.

#include <agg_alpha_mask_u8.h>
#include <agg_pixfmt_amask_adaptor.h>
#include <agg_pixfmt_rgba.h>
#include <agg_renderer_base.h>
#include <agg_rendering_buffer.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "swf/render/SurfaceBlender.h"

namespace swf::test {
namespace {

constexpr int kWidth = 48;
constexpr int kHeight = 3;

using Format = agg::pixfmt_rgba32_pre;
using MaskedFormat = agg::pixfmt_amask_adaptor<Format, agg::amask_no_clip_gray8>;

// Full runs next to partial covers, zero covers inside a run, and runs at both ends.
std::vector<uint8_t> coverPattern(size_t length) {
    static const uint8_t pattern[] = {255, 255, 255, 40,  255, 255, 0,   0,   255, 128, 1,  255,
                                      255, 255, 255, 255, 254, 255, 200, 255, 255, 0,   77, 255};
    std::vector<uint8_t> covers(length);
    for (size_t i = 0; i < length; ++i) covers[i] = pattern[(i * 7 + i / 5) % sizeof(pattern)];
    return covers;
}

// A mask with closed stretches, open stretches and partial edges.
std::vector<uint8_t> maskPattern() {
    std::vector<uint8_t> mask(static_cast<size_t>(kWidth) * kHeight);
    for (size_t i = 0; i < mask.size(); ++i) {
        size_t x = i % kWidth;
        mask[i] = x < 6 ? 0 : x < 9 ? static_cast<uint8_t>(x * 30) : x < 30 ? 255 : x < 33 ? 90 : 0;
    }
    return mask;
}

// Translucent, opaque and empty premultiplied pixels.
std::vector<uint32_t> background() {
    std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
    for (size_t i = 0; i < pixels.size(); ++i) {
        auto a = static_cast<uint8_t>(i % 3 == 0 ? 255 : i % 3 == 1 ? 0 : 140);
        agg::rgba8 c(static_cast<uint8_t>(i * 37 % (a + 1)), static_cast<uint8_t>(a / 2),
                     static_cast<uint8_t>(i * 11 % (a + 1)), a);
        std::memcpy(&pixels[i], &c, 4);
    }
    return pixels;
}

GradientLutCache& luts() {
    static GradientLutCache cache;
    return cache;
}

FillPaint solidPaint(Rgba color, const ColorTransform& cxform = {}) {
    FillStyle style;
    style.color = color;
    return FillPaint(style, Matrix{}, cxform, nullptr, luts(), true);
}

// A linear gradient across the surface under a colour transform, with translucent stops
// unless asked for an opaque one.
FillPaint gradientPaint(bool opaque = false) {
    FillStyle style;
    style.kind = FillStyle::Kind::LinearGradient;
    style.gradient.matrix = Matrix::scale(kWidth / 32768.0, 1);
    style.gradient.matrix.tx = kWidth / 2.0;
    style.gradient.stops = {{0, {255, 0, 0, 255}}, {100, {0, 200, 40, 128}}, {255, {0, 0, 255, 0}}};
    if (opaque) {
        for (GradientStop& stop : style.gradient.stops) stop.color.a = 255;
    }
    ColorTransform cxform;
    cxform.gMul = 200;
    cxform.bAdd = 30;
    return FillPaint(style, Matrix{}, cxform, nullptr, luts(), true);
}

class SurfaceBlenderTest : public ::testing::TestWithParam<bool> {
  protected:
    SurfaceBlenderTest()
        : mask(maskPattern()),
          actual(background()),
          expected(actual),
          blender(actual.data(), kWidth, kHeight),
          rows(reinterpret_cast<uint8_t*>(expected.data()), kWidth, kHeight, kWidth * 4),
          maskRows(mask.data(), kWidth, kHeight, kWidth),
          alphaMask(maskRows),
          format(rows),
          maskedFormat(format, alphaMask) {
        if (masked()) blender.setMask(mask.data(), extents.data());
    }

    bool masked() const { return GetParam(); }

    // What AGG makes of the same blend, on `expected`.
    void blendExpected(int x, int y, unsigned len, const agg::rgba8* colors,
                       const uint8_t* covers) {
        if (masked()) {
            agg::renderer_base<MaskedFormat> renderer(maskedFormat);
            renderer.blend_color_hspan(x, y, static_cast<int>(len), colors, covers,
                                       agg::cover_full);
        } else {
            agg::renderer_base<Format> renderer(format);
            renderer.blend_color_hspan(x, y, static_cast<int>(len), colors, covers,
                                       agg::cover_full);
        }
    }

    // Blends the paint over a run both ways.
    void blendBoth(int x, int y, unsigned len, const FillPaint& paint) {
        std::vector<uint8_t> covers = coverPattern(len);
        blender.blend(x, y, len, covers.data(), paint);
        std::vector<agg::rgba8> colors(len);
        paint.generate(colors.data(), x, y, 0, len);
        blendExpected(x, y, len, colors.data(), covers.data());
    }

    void expectSamePixels() {
        for (size_t i = 0; i < actual.size(); ++i) {
            ASSERT_EQ(actual[i], expected[i])
                << "pixel " << i % kWidth << ", " << i / kWidth << (masked() ? " (masked)" : "");
        }
    }

    std::vector<uint8_t> mask;
    // Every row of the mask is open from column 6 to 32.
    std::vector<MaskStack::RowExtent> extents{kHeight, MaskStack::RowExtent{6, 33}};
    std::vector<uint32_t> actual;
    std::vector<uint32_t> expected;
    SurfaceBlender blender;
    agg::rendering_buffer rows;
    agg::rendering_buffer maskRows;
    agg::amask_no_clip_gray8 alphaMask;
    Format format;
    MaskedFormat maskedFormat;
};

TEST_P(SurfaceBlenderTest, OpaqueSolidRunsMatchPixelByPixelBlending) {
    blendBoth(0, 0, kWidth, solidPaint({200, 30, 60, 255}));
    blendBoth(5, 1, 30, solidPaint({0, 0, 0, 255}));
    blendBoth(20, 2, 9, solidPaint({255, 255, 255, 255}));
    expectSamePixels();
}

TEST_P(SurfaceBlenderTest, TranslucentAndTransformedSolidsMatch) {
    blendBoth(0, 0, kWidth, solidPaint({200, 30, 60, 128}));
    ColorTransform halfAlpha;
    halfAlpha.aMul = 128;
    halfAlpha.rAdd = 40;
    blendBoth(3, 1, 40, solidPaint({10, 250, 60, 255}, halfAlpha));
    blendBoth(0, 2, kWidth, solidPaint({10, 250, 60, 0}));
    expectSamePixels();
}

TEST_P(SurfaceBlenderTest, GradientRunsMatch) {
    FillPaint paint = gradientPaint();
    blendBoth(0, 0, kWidth, paint);
    blendBoth(7, 1, 33, paint);
    blendBoth(2, 2, 11, paint);
    blendBoth(14, 2, 30, paint);
    expectSamePixels();
}

TEST_P(SurfaceBlenderTest, OpaqueGradientRunsMatch) {
    FillPaint paint = gradientPaint(true);
    ASSERT_TRUE(paint.isOpaque());
    blendBoth(0, 0, kWidth, paint);
    blendBoth(7, 1, 33, paint);
    blendBoth(-5, 2, 20, paint);
    blendBoth(21, 2, 40, paint);
    expectSamePixels();
}

TEST_P(SurfaceBlenderTest, RunsCutAtTheSurfaceEdgesKeepTheirColours) {
    // A paint is generated from the run's start even where the surface cuts it off.
    FillPaint paint = gradientPaint();
    blendBoth(-9, 0, 25, paint);
    blendBoth(kWidth - 12, 1, 30, paint);
    blendBoth(-4, 2, kWidth + 8, paint);
    blendBoth(-4, kHeight, 10, paint);
    blendBoth(kWidth, 1, 10, paint);
    expectSamePixels();
}

TEST_P(SurfaceBlenderTest, MixedRowsAtFullCoverMatch) {
    std::vector<agg::rgba8> colors(kWidth + 6);
    for (size_t i = 0; i < colors.size(); ++i) {
        auto a = static_cast<uint8_t>(i % 4 == 0 ? 255 : i % 4 == 1 ? 0 : i * 9);
        colors[i] = agg::rgba8(static_cast<uint8_t>(a / 3), a, static_cast<uint8_t>(a / 2), a);
    }
    blender.blend(-3, 1, static_cast<unsigned>(colors.size()), colors.data());
    blendExpected(-3, 1, static_cast<unsigned>(colors.size()), colors.data(), nullptr);
    blender.blend(4, 2, 20, colors.data());
    blendExpected(4, 2, 20, colors.data(), nullptr);
    expectSamePixels();
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutMask, SurfaceBlenderTest, ::testing::Bool());

}  // namespace
}  // namespace swf::test
