#include "swf/render/SurfaceBlender.h"

#include <agg_pixfmt_rgba.h>

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace swf {

namespace {

using Order = agg::order_rgba;

uint32_t packed(const agg::rgba8& color) {
    uint32_t word;
    static_assert(sizeof(color) == sizeof(word));
    std::memcpy(&word, &color, sizeof(word));
    return word;
}

// The four channels of a pixel in 16-bit lanes, so that one multiplication scales them all.
uint64_t lanes(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return r | uint64_t{g} << 16 | uint64_t{b} << 32 | uint64_t{a} << 48;
}

constexpr uint64_t kLaneLowBytes = 0x00FF00FF00FF00FF;

// As AGG's alpha mask does: the cover scaled by the mask, rounded down.
uint8_t masked(uint8_t cover, uint8_t mask) {
    return static_cast<uint8_t>((255 + cover * mask) >> 8);
}

// Masks `count` covers, in blocks of a fixed length over buffers that cannot overlap, which
// the compiler turns into vector code.
void combineWithMask(uint8_t* __restrict combined, const uint8_t* __restrict covers,
                     const uint8_t* __restrict mask, unsigned count) {
    constexpr unsigned kBlock = 16;
    for (; count >= kBlock; count -= kBlock, combined += kBlock, covers += kBlock, mask += kBlock) {
        for (size_t i = 0; i < kBlock; ++i) combined[i] = masked(covers[i], mask[i]);
    }
    for (size_t i = 0; i < count; ++i) combined[i] = masked(covers[i], mask[i]);
}

// The end of the stretch of full covers from `i` on, looked for eight covers at a time.
unsigned fullCoverEnd(const uint8_t* covers, unsigned i, unsigned count) {
    constexpr uint64_t kAllFull = ~uint64_t{0};
    static_assert(agg::cover_full == 0xFF);
    for (uint64_t eight; i + 8 <= count; i += 8) {
        std::memcpy(&eight, covers + i, sizeof(eight));
        if (eight != kAllFull) break;
    }
    while (i < count && covers[i] == agg::cover_full) ++i;
    return i;
}

// Each lane times `scale` / 255, rounded as agg::rgba8::multiply rounds. No lane can carry
// into the next: a lane's value stays below 65536 throughout.
uint64_t multiplyLanes(uint64_t values, unsigned scale) {
    uint64_t t = values * scale + 0x0080008000800080;
    return ((((t >> 8) & kLaneLowBytes) + t) >> 8) & kLaneLowBytes;
}

uint64_t lanes(const agg::rgba8& color) {
    return lanes(color.r, color.g, color.b, color.a);
}

// AGG's premultiplied blend of a colour (in lanes) at `cover` (agg::blender_rgba_pre::
// blend_pix), on all four channels at once: the colour is scaled by the cover, then the pixel
// becomes pixel + colour - pixel * colour alpha, each channel kept to its low byte as AGG's is.
void blendPixel(uint32_t& pixel, uint64_t color, unsigned cover) {
    auto* p = reinterpret_cast<uint8_t*>(&pixel);
    uint64_t source = multiplyLanes(color, cover);
    auto alpha = static_cast<unsigned>(source >> 48);
    uint64_t target = lanes(p[Order::R], p[Order::G], p[Order::B], p[Order::A]);
    uint64_t blended = target + source - multiplyLanes(target, alpha);
    p[Order::R] = static_cast<uint8_t>(blended);
    p[Order::G] = static_cast<uint8_t>(blended >> 16);
    p[Order::B] = static_cast<uint8_t>(blended >> 32);
    p[Order::A] = static_cast<uint8_t>(blended >> 48);
}

#if defined(__SSE2__)
// The same blend in SSE2's 16-bit lanes, two pixels to a register: every lane's products stay
// below 65536 as in multiplyLanes, so the results are the same to the bit.
__m128i multiplyLanes(__m128i values, __m128i scales) {
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(values, scales), _mm_set1_epi16(0x80));
    return _mm_srli_epi16(_mm_add_epi16(_mm_srli_epi16(t, 8), t), 8);
}

__m128i blendLanes(__m128i target, __m128i source) {
    static_assert(Order::A == 3);
    __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(source, 0xFF), 0xFF);
    __m128i blended = _mm_sub_epi16(_mm_add_epi16(target, source), multiplyLanes(target, alpha));
    return _mm_and_si128(blended, _mm_set1_epi16(0xFF));
}

// blendPixel on four pixels at once, each colour at its cover (four bytes in `covers`). A
// colour of alpha 0 is cleared first, which leaves its pixel as it is, as the scalar loops
// leave such pixels alone.
void blendFour(uint32_t* pixels, __m128i colors, uint32_t covers) {
    const __m128i zero = _mm_setzero_si128();
    colors = _mm_andnot_si128(_mm_cmpeq_epi32(_mm_srli_epi32(colors, 24), zero), colors);
    __m128i scales = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(covers)), zero);
    scales = _mm_unpacklo_epi16(scales, scales);
    __m128i target = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
    __m128i low = blendLanes(
        _mm_unpacklo_epi8(target, zero),
        multiplyLanes(_mm_unpacklo_epi8(colors, zero), _mm_unpacklo_epi32(scales, scales)));
    __m128i high = blendLanes(
        _mm_unpackhi_epi8(target, zero),
        multiplyLanes(_mm_unpackhi_epi8(colors, zero), _mm_unpackhi_epi32(scales, scales)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), _mm_packus_epi16(low, high));
}
#endif

// The covers of pixels i to i + 3 of a run, as one word.
uint32_t fourCovers(const uint8_t* covers, unsigned i) {
    uint32_t four;
    std::memcpy(&four, covers + i, sizeof(four));
    return four;
}

}  // namespace

SurfaceBlender::SurfaceBlender(uint32_t* pixels, int width, int height)
    : pixels_(pixels),
      width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      covers_(static_cast<size_t>(width_)) {}

bool SurfaceBlender::prepare(int x, int y, unsigned len, const uint8_t* covers, Run& run) {
    if (y < 0 || y >= height_ || x >= width_) return false;
    int64_t end = std::min<int64_t>(int64_t{x} + len, width_);
    int64_t first = std::max(x, 0);
    if (mask_) {
        const MaskStack::RowExtent& open = maskExtents_[y];
        first = std::max<int64_t>(first, open.first);
        end = std::min<int64_t>(end, open.end);
    }
    if (first >= end) return false;
    run.from = static_cast<unsigned>(first - x);
    run.count = static_cast<unsigned>(end - first);
    size_t offset =
        static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(first);
    run.pixels = pixels_ + offset;
    if (mask_) {
        const uint8_t* mask = mask_ + offset;
        uint8_t* combined = covers_.data();
        if (covers) {
            combineWithMask(combined, covers + run.from, mask, run.count);
        } else {
            std::memcpy(combined, mask, run.count);
        }
        // Only the part between the first and the last pixel the mask lets through.
        unsigned lead = 0;
        while (lead < run.count && combined[lead] == 0) ++lead;
        if (lead == run.count) return false;
        while (combined[run.count - 1] == 0) --run.count;
        run.from += lead;
        run.count -= lead;
        run.pixels += lead;
        run.covers = combined + lead;
    } else if (covers) {
        run.covers = covers + run.from;
    } else {
        std::fill_n(covers_.data(), run.count, agg::cover_full);
        run.covers = covers_.data();
    }
    return true;
}

void SurfaceBlender::blend(int x, int y, unsigned len, const uint8_t* covers,
                           const FillPaint& paint) {
    Run run;
    if (paint.isSolid()) {
        agg::rgba8 color = paint.color();
        if (color.a != 0 && prepare(x, y, len, covers, run)) blendSolid(run, color);
        return;
    }
    if (!prepare(x, y, len, covers, run)) return;
    if (colors_.size() < run.count) colors_.resize(run.count);
    paint.generate(colors_.data(), x, y, run.from, run.from + run.count);
    if (paint.isOpaque()) {
        blendOpaqueColors(run, colors_.data());
    } else {
        blendColors(run, colors_.data());
    }
}

void SurfaceBlender::blend(int x, int y, unsigned len, const agg::rgba8* colors) {
    Run run;
    if (prepare(x, y, len, nullptr, run)) blendColors(run, colors + run.from);
}

void SurfaceBlender::blendSolid(const Run& run, agg::rgba8 color) {
    const uint8_t* covers = run.covers;
    uint32_t* pixels = run.pixels;
    const uint64_t source = lanes(color);
    if (color.a != agg::rgba8::base_mask) {
        unsigned i = 0;
#if defined(__SSE2__)
        const __m128i colors = _mm_set1_epi32(static_cast<int>(packed(color)));
        for (; i + 4 <= run.count; i += 4) {
            uint32_t four = fourCovers(covers, i);
            if (four) blendFour(pixels + i, colors, four);
        }
#endif
        for (; i < run.count; ++i) {
            if (covers[i]) blendPixel(pixels[i], source, covers[i]);
        }
        return;
    }
    const uint32_t word = packed(color);
    for (unsigned i = 0; i < run.count;) {
        if (covers[i] == agg::cover_full) {
            unsigned full = fullCoverEnd(covers, i + 1, run.count);
            std::fill(pixels + i, pixels + full, word);
            i = full;
        } else {
            if (covers[i]) blendPixel(pixels[i], source, covers[i]);
            ++i;
        }
    }
}

void SurfaceBlender::blendOpaqueColors(const Run& run, const agg::rgba8* colors) {
    const uint8_t* covers = run.covers;
    uint32_t* pixels = run.pixels;
    for (unsigned i = 0; i < run.count;) {
        if (covers[i] == agg::cover_full) {
            unsigned full = fullCoverEnd(covers, i + 1, run.count);
            static_assert(sizeof(agg::rgba8) == sizeof(uint32_t));
            std::memcpy(pixels + i, colors + i, (full - i) * sizeof(uint32_t));
            i = full;
        } else {
            if (covers[i]) blendPixel(pixels[i], lanes(colors[i]), covers[i]);
            ++i;
        }
    }
}

void SurfaceBlender::blendColors(const Run& run, const agg::rgba8* colors) {
    const uint8_t* covers = run.covers;
    uint32_t* pixels = run.pixels;
    unsigned i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= run.count; i += 4) {
        uint32_t four = fourCovers(covers, i);
        if (four)
            blendFour(pixels + i, _mm_loadu_si128(reinterpret_cast<const __m128i*>(colors + i)),
                      four);
    }
#endif
    for (; i < run.count; ++i) {
        const agg::rgba8& color = colors[i];
        if (color.a == 0 || covers[i] == 0) continue;
        if (color.a == agg::rgba8::base_mask && covers[i] == agg::cover_full) {
            pixels[i] = packed(color);
        } else {
            blendPixel(pixels[i], lanes(color), covers[i]);
        }
    }
}

}  // namespace swf
