#include "swf/render/Canvas.h"

#include <agg_pixfmt_gray.h>
#include <agg_renderer_base.h>
#include <agg_rendering_buffer.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <span>
#include <utility>

#include "swf/render/CoverageStyles.h"
#include "swf/render/EdgeFlattener.h"
#include "swf/render/FillPaint.h"
#include "swf/render/FillStyleTable.h"
#include "swf/render/GradientLutCache.h"
#include "swf/render/MaskStack.h"
#include "swf/render/PixelColorTransform.h"
#include "swf/render/ShapeRasterizer.h"
#include "swf/render/StrokeBuilder.h"
#include "swf/render/StrokeRasterizer.h"
#include "swf/render/SurfaceBlender.h"
#include "swf/render/WorkBudget.h"

namespace swf {

namespace {

using MaskFormat = agg::pixfmt_gray8_pre;

// Vertices plus estimated rasterizer cells one draw may cost; far above any real shape. It
// also keeps each rasterizer well below AGG's own limit of 4M cells: a rasterizer that once
// reaches that limit takes no cells ever after.
constexpr uint64_t kWorkPerDraw = uint64_t{1} << 21;
// The whole picture's bound: a hostile movie can place as many objects as the display list
// allows, each just under the per-draw bound. Every draw also costs a fixed share, so that a
// flood of tiny shapes is bounded too; real frames stay far below both.
constexpr uint64_t kWorkPerPicture = uint64_t{1} << 25;
constexpr uint64_t kWorkOfEachDraw = 1024;

bool finite(const Matrix& m) {
    return std::isfinite(m.a) && std::isfinite(m.b) && std::isfinite(m.c) && std::isfinite(m.d) &&
           std::isfinite(m.tx) && std::isfinite(m.ty);
}

// How far beyond its edges a shape's lines can paint, in pixels: half the widest line
// stretched by its corners (a square cap reaches half the width times the square root of
// two; a miter cut at its limit reaches half the width times the limit and one more), and a
// pixel of anti-aliasing.
double lineReach(const Shape& shape, const Matrix& toPixels) {
    double reach = 0;
    for (const LineStyle& style : shape.lines) {
        double corner = std::sqrt(2.0);
        if (style.join == JoinStyle::Miter) {
            double limit =
                std::isfinite(style.miterLimit) ? std::clamp(style.miterLimit, 1.0, 255.0) : 3.0;
            corner = std::max(corner, limit + 1);
        }
        reach = std::max(reach, StrokeBuilder::pixelWidth(style, toPixels) / 2 * corner);
    }
    return reach + 1;
}

}  // namespace

struct Canvas::Impl {
    Impl(int w, int h)
        : width(std::max(w, 0)),
          height(std::max(h, 0)),
          pixels(static_cast<size_t>(width) * static_cast<size_t>(height)),
          blender(pixels.data(), width, height),
          masks(width, height),
          pictureWork(kWorkPerPicture) {}

    PixelBox box() const { return {0, 0, static_cast<double>(width), static_cast<double>(height)}; }

    void draw(const Shape& shape, const Matrix& toPixels, const ColorTransform& cxform,
              const BitmapLookup& bitmaps);
    // True when nothing drawn within `box` can change a pixel: it lies off the surface, or,
    // unless a mask is being recorded, where the active mask lets nothing through.
    bool outOfSight(const PixelBox& box) const;
    void drawWithin(WorkBudget& budget, const Shape& shape, const Matrix& toPixels,
                    const ColorTransform& cxform, const BitmapLookup& bitmaps);
    // Fills then lines, layer by layer, onto the surface.
    void paint(const Shape& shape, const Matrix& toPixels, const ColorTransform& cxform,
               const BitmapLookup& bitmaps, WorkBudget& budget);
    // Adds the coverage of the shape's fills to the mask being recorded.
    void record(uint8_t* mask, const Shape& shape, const Matrix& toPixels, WorkBudget& budget);
    // The fills of `paths`; false when the work budget ran out.
    template <class Renderer, class MakeStyles>
    bool drawFills(Renderer& renderer, const Shape& shape, std::span<const ShapePath> paths,
                   const Matrix& toPixels, WorkBudget& budget, MakeStyles makeStyles);
    // The lines of `paths` in style order; false when the work budget ran out.
    bool drawLines(const Shape& shape, std::span<const ShapePath> paths, const Matrix& toPixels,
                   const ColorTransform& cxform, const BitmapLookup& bitmaps, WorkBudget& budget);

    int width;
    int height;
    std::vector<uint32_t> pixels;  // RGBA bytes, one word a pixel
    SurfaceBlender blender;
    MaskStack masks;
    ShapeRasterizer fills;
    StrokeBuilder outline;
    StrokeRasterizer strokes;
    GradientLutCache gradients;                          // kept from picture to picture
    std::vector<std::pair<uint32_t, size_t>> lineOrder;  // (line style, path), reused
    WorkBudget pictureWork;  // what is left for the rest of this picture
};

void Canvas::Impl::draw(const Shape& shape, const Matrix& toPixels, const ColorTransform& cxform,
                        const BitmapLookup& bitmaps) {
    if (width == 0 || height == 0 || !finite(toPixels)) return;
    std::optional<PixelBox> bounds = EdgeFlattener::pixelBounds(shape, toPixels);
    if (!bounds || !pictureWork.spend(kWorkOfEachDraw)) return;
    double reach = lineReach(shape, toPixels);
    if (outOfSight(
            {bounds->x1 - reach, bounds->y1 - reach, bounds->x2 + reach, bounds->y2 + reach}))
        return;
    WorkBudget budget(std::min(kWorkPerDraw, pictureWork.left()));
    drawWithin(budget, shape, toPixels, cxform, bitmaps);
    pictureWork.spend(budget.used());
}

bool Canvas::Impl::outOfSight(const PixelBox& box) const {
    // Whole pixels, with one more on each side for anti-aliasing. An empty box has x1 > x2.
    double left = std::floor(box.x1) - 1, right = std::ceil(box.x2) + 1;
    double top = std::floor(box.y1) - 1, bottom = std::ceil(box.y2) + 1;
    if (!(left < width && right >= 0 && top < height && bottom >= 0 && left <= right)) return true;
    const MaskStack::RowExtent* extents = masks.recording() ? nullptr : masks.activeExtents();
    if (!extents) return false;
    auto first = static_cast<int>(std::max(left, 0.0));
    auto last = static_cast<int>(std::min(right, width - 1.0));
    auto lastRow = static_cast<int>(std::min(bottom, height - 1.0));
    for (auto y = static_cast<int>(std::max(top, 0.0)); y <= lastRow; ++y) {
        const MaskStack::RowExtent& open = extents[y];
        if (open.first < open.end && open.first <= last && open.end > first) return false;
    }
    return true;
}

void Canvas::Impl::drawWithin(WorkBudget& budget, const Shape& shape, const Matrix& toPixels,
                              const ColorTransform& cxform, const BitmapLookup& bitmaps) {
    if (masks.recording()) {
        if (uint8_t* mask = masks.recordingBuffer()) record(mask, shape, toPixels, budget);
        return;
    }
    blender.setMask(masks.activeMask(), masks.activeExtents());
    paint(shape, toPixels, cxform, bitmaps, budget);
}

void Canvas::Impl::paint(const Shape& shape, const Matrix& toPixels, const ColorTransform& cxform,
                         const BitmapLookup& bitmaps, WorkBudget& budget) {
    // As the original player does: each style layer's fills, then its lines on top in style
    // order, before the next layer.
    auto makeStyles = [&](uint32_t first, uint32_t count) {
        return FillStyleTable(shape.fills, first, count, toPixels, cxform, bitmaps, gradients);
    };
    std::span<const ShapePath> paths(shape.paths);
    for (size_t begin = 0; begin < paths.size();) {
        size_t end = begin + 1;
        while (end < paths.size() && paths[end].layer == paths[begin].layer) ++end;
        std::span<const ShapePath> layer = paths.subspan(begin, end - begin);
        if (!drawFills(blender, shape, layer, toPixels, budget, makeStyles) ||
            !drawLines(shape, layer, toPixels, cxform, bitmaps, budget))
            return;
        begin = end;
    }
}

void Canvas::Impl::record(uint8_t* mask, const Shape& shape, const Matrix& toPixels,
                          WorkBudget& budget) {
    // Masks take the outline of fills only; the original player ignores lines in masks.
    agg::rendering_buffer rows(mask, static_cast<unsigned>(width), static_cast<unsigned>(height),
                               width);
    MaskFormat format(rows);
    agg::renderer_base<MaskFormat> renderer(format);
    drawFills(renderer, shape, shape.paths, toPixels, budget,
              [](uint32_t, uint32_t) { return CoverageStyles(); });
}

template <class Renderer, class MakeStyles>
bool Canvas::Impl::drawFills(Renderer& renderer, const Shape& shape,
                             std::span<const ShapePath> paths, const Matrix& toPixels,
                             WorkBudget& budget, MakeStyles makeStyles) {
    // Only the fills the paths name need passes: a layer names its own arrays' fills.
    auto fillCount = static_cast<uint32_t>(std::min<size_t>(shape.fills.size(), UINT32_MAX));
    uint32_t lowest = fillCount, highest = 0;  // 0-based, highest exclusive
    for (const ShapePath& path : paths) {
        for (uint32_t fill : {path.fill0, path.fill1}) {
            if (fill == 0 || fill > fillCount) continue;
            lowest = std::min(lowest, fill - 1);
            highest = std::max(highest, fill);
        }
    }
    for (uint32_t first = lowest; first < highest; first += ShapeRasterizer::kMaxStylesPerPass) {
        uint32_t count = std::min(ShapeRasterizer::kMaxStylesPerPass, highest - first);
        EdgeFlattener flattener(toPixels, box(), budget);
        if (!fills.addFills(shape, paths, first, count, flattener, box())) return false;
        auto styles = makeStyles(first, count);
        fills.render(renderer, styles);
    }
    return true;
}

bool Canvas::Impl::drawLines(const Shape& shape, std::span<const ShapePath> paths,
                             const Matrix& toPixels, const ColorTransform& cxform,
                             const BitmapLookup& bitmaps, WorkBudget& budget) {
    lineOrder.clear();
    for (size_t i = 0; i < paths.size(); ++i) {
        const ShapePath& path = paths[i];
        if (path.line != 0 && path.line <= shape.lines.size() && !path.edges.empty())
            lineOrder.emplace_back(path.line, i);
    }
    std::stable_sort(lineOrder.begin(), lineOrder.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t begin = 0; begin < lineOrder.size();) {
        uint32_t line = lineOrder[begin].first;
        const LineStyle& style = shape.lines[line - 1];
        double strokeWidth = StrokeBuilder::pixelWidth(style, toPixels);
        // Curves just outside the surface still show through the stroke's half width.
        double margin = strokeWidth / 2 + 1;
        EdgeFlattener flattener(toPixels, {-margin, -margin, width + margin, height + margin},
                                budget);
        outline.begin(style);
        size_t end = begin;
        for (; end < lineOrder.size() && lineOrder[end].first == line; ++end) {
            if (!outline.addPath(paths[lineOrder[end].second], flattener)) return false;
        }
        outline.finish();
        if (!strokes.addStroke(outline, style, strokeWidth, box(), budget)) return false;
        FillStyle solid;
        solid.color = style.color;
        FillPaint paint(style.fill ? *style.fill : solid, toPixels, cxform, bitmaps, gradients);
        strokes.render(blender, paint);
        begin = end;
    }
    return true;
}

Canvas::Canvas(int width, int height) : impl_(std::make_unique<Impl>(width, height)) {}

Canvas::~Canvas() = default;

int Canvas::width() const {
    return impl_->width;
}

int Canvas::height() const {
    return impl_->height;
}

const uint8_t* Canvas::pixels() const {
    return reinterpret_cast<const uint8_t*>(impl_->pixels.data());
}

void Canvas::clear(Rgba color) {
    agg::rgba8 premultiplied = PixelColorTransform::premultiply(color);
    uint32_t word;
    static_assert(sizeof(premultiplied) == sizeof(word));
    std::memcpy(&word, &premultiplied, sizeof(word));
    // One row word by word, the others copied from it: a wide copy is much quicker than a
    // store per pixel.
    std::vector<uint32_t>& pixels = impl_->pixels;
    auto width = static_cast<size_t>(impl_->width);
    if (pixels.empty()) return;
    std::fill_n(pixels.begin(), width, word);
    for (size_t row = width; row < pixels.size(); row += width)
        std::memcpy(pixels.data() + row, pixels.data(), width * sizeof(word));
}

void Canvas::startPicture(Rgba color) {
    impl_->masks.clear();
    impl_->pictureWork = WorkBudget(kWorkPerPicture);
    clear(color);
}

void Canvas::drawShape(const Shape& shape, const Matrix& toPixels, const ColorTransform& cxform,
                       const BitmapLookup& bitmaps) {
    impl_->draw(shape, toPixels, cxform, bitmaps);
}

void Canvas::beginMask() {
    impl_->masks.begin();
}

void Canvas::endMask() {
    impl_->masks.end();
}

void Canvas::popMask() {
    impl_->masks.pop();
}

}  // namespace swf
