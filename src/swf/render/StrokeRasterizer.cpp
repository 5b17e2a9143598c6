#include "swf/render/StrokeRasterizer.h"

#include <agg_conv_stroke.h>
#include <agg_conv_transform.h>

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

agg::line_cap_e aggCap(CapStyle cap) {
    switch (cap) {
        case CapStyle::None:
            return agg::butt_cap;
        case CapStyle::Square:
            return agg::square_cap;
        default:
            return agg::round_cap;
    }
}

agg::line_join_e aggJoin(JoinStyle join) {
    switch (join) {
        case JoinStyle::Bevel:
            return agg::bevel_join;
        case JoinStyle::Miter:
            return agg::miter_join;
        default:
            return agg::round_join;
    }
}

}  // namespace

bool StrokeRasterizer::addStroke(StrokeBuilder& outline, const LineStyle& style,
                                 const StrokePen& pen, PixelBox clip, WorkBudget& budget) {
    sampler_.reset(clip, false, samplesPerSide_);
    sampler_.styles(0, -1);
    // AGG's stroker winds every outline the same way, so under the non-zero rule the body
    // and its stubs unite.
    return add(outline.body(), outline.bodyCap(), style, pen, clip, budget) &&
           add(outline.startStubs(), style.startCap, style, pen, clip, budget) &&
           add(outline.endStubs(), style.endCap, style, pen, clip, budget);
}

void StrokeRasterizer::render(SurfaceBlender& surface, const FillPaint& paint) {
    sampler_.closeContour();
    if (!sampler_.rewind()) return;
    scanline_.reset(sampler_.minX(), sampler_.maxX());
    while (sampler_.nextRow()) {
        sampler_.covers(0, scanline_);
        auto span = scanline_.begin();
        for (unsigned n = scanline_.num_spans(); n > 0; --n, ++span)
            surface.blend(span->x, scanline_.y(), static_cast<unsigned>(span->len), span->covers,
                          paint);
    }
}

bool StrokeRasterizer::add(agg::path_storage& path, CapStyle cap, const LineStyle& style,
                           const StrokePen& pen, PixelBox clip, WorkBudget& budget) {
    if (path.total_vertices() == 0) return true;
    // Stroked in the pen's own space, then carried onto the surface.
    const Matrix& s = pen.stretch;
    const bool stretched = !(s == Matrix{});
    const Matrix unstretch = s.inverted();
    agg::trans_affine toPen(unstretch.a, unstretch.b, unstretch.c, unstretch.d, 0, 0);
    agg::conv_transform<agg::path_storage> inPenSpace(path, toPen);
    agg::conv_stroke<agg::conv_transform<agg::path_storage>> stroke(inPenSpace);
    stroke.width(pen.width);
    stroke.line_cap(aggCap(cap));
    stroke.line_join(aggJoin(style.join));
    stroke.miter_limit(std::isfinite(style.miterLimit) ? std::clamp(style.miterLimit, 1.0, 255.0)
                                                       : 3.0);
    stroke.rewind(0);
    double boxWidth = clip.x2 - clip.x1;
    double boxHeight = clip.y2 - clip.y1;
    double x = 0, y = 0, lastX = 0, lastY = 0;
    unsigned cmd;
    while (!agg::is_stop(cmd = stroke.vertex(&x, &y))) {
        if (stretched) {
            Point p = s.apply({x, y});
            x = p.x;
            y = p.y;
        }
        // Each vertex costs itself plus the cells its segment can cross once clipped.
        double cells = agg::is_line_to(cmd) ? std::min(std::fabs(x - lastX), boxWidth) +
                                                  std::min(std::fabs(y - lastY), boxHeight)
                                            : 0;
        if (!budget.spend(static_cast<uint64_t>(cells) + 1)) return false;
        if (agg::is_vertex(cmd)) {
            lastX = x;
            lastY = y;
        }
        if (agg::is_move_to(cmd)) {
            sampler_.closeContour();
            sampler_.moveTo({x, y});
        } else if (agg::is_vertex(cmd)) {
            sampler_.lineTo({x, y});
        } else if (agg::is_close(cmd)) {
            sampler_.closeContour();
        }
    }
    return true;
}

}  // namespace swf
