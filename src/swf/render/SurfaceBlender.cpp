#include "swf/render/SurfaceBlender.h"

#include <agg_pixfmt_rgba.h>

#include <algorithm>
#include <cstring>

namespace swf {

namespace {

using Blender = agg::blender_rgba_pre<agg::rgba8, agg::order_rgba>;

uint32_t packed(const agg::rgba8& color) {
    uint32_t word;
    static_assert(sizeof(color) == sizeof(word));
    std::memcpy(&word, &color, sizeof(word));
    return word;
}

void blendPixel(uint32_t& pixel, const agg::rgba8& color, unsigned cover) {
    Blender::blend_pix(reinterpret_cast<uint8_t*>(&pixel), color.r, color.g, color.b, color.a,
                       static_cast<agg::cover_type>(cover));
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
        // As AGG's alpha mask does: the cover scaled by the mask, rounded down.
        const uint8_t* mask = mask_ + offset;
        uint8_t* combined = covers_.data();
        if (covers) {
            covers += run.from;
            for (unsigned i = 0; i < run.count; ++i)
                combined[i] = static_cast<uint8_t>((255 + covers[i] * mask[i]) >> 8);
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
    blendColors(run, colors_.data());
}

void SurfaceBlender::blend(int x, int y, unsigned len, const agg::rgba8* colors) {
    Run run;
    if (prepare(x, y, len, nullptr, run)) blendColors(run, colors + run.from);
}

void SurfaceBlender::blendSolid(const Run& run, agg::rgba8 color) {
    const uint8_t* covers = run.covers;
    uint32_t* pixels = run.pixels;
    if (color.a != agg::rgba8::base_mask) {
        for (unsigned i = 0; i < run.count; ++i) {
            if (covers[i]) blendPixel(pixels[i], color, covers[i]);
        }
        return;
    }
    const uint32_t word = packed(color);
    for (unsigned i = 0; i < run.count;) {
        if (covers[i] == agg::cover_full) {
            unsigned full = i + 1;
            while (full < run.count && covers[full] == agg::cover_full) ++full;
            std::fill(pixels + i, pixels + full, word);
            i = full;
        } else {
            if (covers[i]) blendPixel(pixels[i], color, covers[i]);
            ++i;
        }
    }
}

void SurfaceBlender::blendColors(const Run& run, const agg::rgba8* colors) {
    const uint8_t* covers = run.covers;
    uint32_t* pixels = run.pixels;
    for (unsigned i = 0; i < run.count; ++i) {
        const agg::rgba8& color = colors[i];
        if (color.a == 0 || covers[i] == 0) continue;
        if (color.a == agg::rgba8::base_mask && covers[i] == agg::cover_full) {
            pixels[i] = packed(color);
        } else {
            blendPixel(pixels[i], color, covers[i]);
        }
    }
}

}  // namespace swf
