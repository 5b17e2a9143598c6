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

#include "swf/render/AliasedCovers.h"
#include "swf/render/CoverageStyles.h"
#include "swf/render/EdgeFlattener.h"
#include "swf/render/FillPaint.h"
#include "swf/render/FillStyleTable.h"
#include "swf/render/GradientLutCache.h"
#include "swf/render/LayerBlend.h"
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
// Offscreen layers: how deep they nest, how large one may be and how many pixels all of a
// picture's layers may cover together. Beyond these objects are drawn without their effects.
constexpr size_t kMaxLayerDepth = 16;
constexpr uint64_t kMaxLayerPixels = uint64_t{1} << 22;
constexpr uint64_t kLayerPixelsPerPicture = uint64_t{1} << 26;

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
        reach = std::max(reach, StrokeBuilder::pen(style, toPixels).halfReach() * corner);
    }
    return reach + 1;
}

}  // namespace

// Where drawing goes: the canvas itself or an offscreen layer over part of it. (Named apart,
// not anonymous: Canvas::Impl holds them.)
struct CanvasSurface {
    // `w` and `h` are not negative.
    CanvasSurface(int x, int y, int w, int h)
        : originX(x),
          originY(y),
          image{w, h, std::vector<uint32_t>(static_cast<size_t>(w) * static_cast<size_t>(h))},
          blender(image.pixels.data(), w, h),
          masks(w, h) {}

    int originX;  // the top-left corner in canvas pixels
    int originY;
    PixelImage image;
    SurfaceBlender blender;
    MaskStack masks;
};

struct Canvas::Impl {
    Impl(int w, int h) : pictureWork(kWorkPerPicture) {
        surfaces.push_back(std::make_unique<CanvasSurface>(0, 0, std::max(w, 0), std::max(h, 0)));
    }

    CanvasSurface& top() { return *surfaces.back(); }
    const CanvasSurface& top() const { return *surfaces.back(); }
    PixelImage& base() { return surfaces.front()->image; }
    // Where the top surface may be drawn on: all of it, or what the clip rectangle leaves.
    PixelBox box() const {
        const double width = top().image.width, height = top().image.height;
        if (!clipRect) return {0, 0, width, height};
        const double dx = top().originX, dy = top().originY;
        return {
            std::clamp(clipRect->x1 - dx, 0.0, width), std::clamp(clipRect->y1 - dy, 0.0, height),
            std::clamp(clipRect->x2 - dx, 0.0, width), std::clamp(clipRect->y2 - dy, 0.0, height)};
    }

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

    std::vector<std::unique_ptr<CanvasSurface>> surfaces;  // the canvas first, open layers after it
    ShapeRasterizer fills;
    StrokeBuilder outline;
    StrokeRasterizer strokes;
    GradientLutCache gradients;                          // kept from picture to picture
    std::vector<std::pair<uint32_t, size_t>> lineOrder;  // (line style, path), reused
    WorkBudget pictureWork;  // what is left for the rest of this picture
    uint64_t layerPixelsLeft = kLayerPixelsPerPicture;
    RenderQuality quality = RenderQuality::High;
    std::optional<PixelBox> clipRect;  // canvas pixels
};

void Canvas::Impl::draw(const Shape& shape, const Matrix& canvasPixels,
                        const ColorTransform& cxform, const BitmapLookup& bitmaps) {
    const CanvasSurface& surface = top();
    const PixelBox visible = box();
    if (visible.x1 >= visible.x2 || visible.y1 >= visible.y2 || !finite(canvasPixels)) return;
    // A layer's pixels count from its own corner.
    Matrix toPixels = Matrix::translate(-surface.originX, -surface.originY) * canvasPixels;
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
    const MaskStack& masks = top().masks;
    const int width = top().image.width, height = top().image.height;
    double left = std::floor(box.x1) - 1, right = std::ceil(box.x2) + 1;
    double upper = std::floor(box.y1) - 1, bottom = std::ceil(box.y2) + 1;
    if (!(left < width && right >= 0 && upper < height && bottom >= 0 && left <= right))
        return true;
    const MaskStack::RowExtent* extents = masks.recording() ? nullptr : masks.activeExtents();
    if (!extents) return false;
    auto first = static_cast<int>(std::max(left, 0.0));
    auto last = static_cast<int>(std::min(right, width - 1.0));
    auto lastRow = static_cast<int>(std::min(bottom, height - 1.0));
    for (auto y = static_cast<int>(std::max(upper, 0.0)); y <= lastRow; ++y) {
        const MaskStack::RowExtent& open = extents[y];
        if (open.first < open.end && open.first <= last && open.end > first) return false;
    }
    return true;
}

void Canvas::Impl::drawWithin(WorkBudget& budget, const Shape& shape, const Matrix& toPixels,
                              const ColorTransform& cxform, const BitmapLookup& bitmaps) {
    CanvasSurface& surface = top();
    if (surface.masks.recording()) {
        if (uint8_t* mask = surface.masks.recordingBuffer()) record(mask, shape, toPixels, budget);
        return;
    }
    surface.blender.setMask(surface.masks.activeMask(), surface.masks.activeExtents());
    paint(shape, toPixels, cxform, bitmaps, budget);
}

void Canvas::Impl::paint(const Shape& shape, const Matrix& toPixels, const ColorTransform& cxform,
                         const BitmapLookup& bitmaps, WorkBudget& budget) {
    // As the original player does: each style layer's fills, then its lines on top in style
    // order, before the next layer.
    auto makeStyles = [&](uint32_t first, uint32_t count) {
        return FillStyleTable(shape.fills, first, count, toPixels, cxform, bitmaps, gradients,
                              smoothsBitmaps(quality));
    };
    std::span<const ShapePath> paths(shape.paths);
    for (size_t begin = 0; begin < paths.size();) {
        size_t end = begin + 1;
        while (end < paths.size() && paths[end].layer == paths[begin].layer) ++end;
        std::span<const ShapePath> layer = paths.subspan(begin, end - begin);
        if (!drawFills(top().blender, shape, layer, toPixels, budget, makeStyles) ||
            !drawLines(shape, layer, toPixels, cxform, bitmaps, budget))
            return;
        begin = end;
    }
}

void Canvas::Impl::record(uint8_t* mask, const Shape& shape, const Matrix& toPixels,
                          WorkBudget& budget) {
    // Masks take the outline of fills only; the original player ignores lines in masks.
    const int width = top().image.width, height = top().image.height;
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
        StrokePen pen = StrokeBuilder::pen(style, toPixels);
        // Curves just outside the surface still show through the stroke's half width.
        double margin = pen.halfReach() + 1;
        PixelBox reach = box();
        EdgeFlattener flattener(
            toPixels, {-margin, -margin, reach.x2 + margin, reach.y2 + margin}, budget);
        outline.begin(style);
        size_t end = begin;
        for (; end < lineOrder.size() && lineOrder[end].first == line; ++end) {
            if (!outline.addPath(paths[lineOrder[end].second], flattener)) return false;
        }
        outline.finish();
        if (!strokes.addStroke(outline, style, pen, box(), budget)) return false;
        FillStyle solid;
        solid.color = style.color;
        FillPaint paint(style.fill ? *style.fill : solid, toPixels, cxform, bitmaps, gradients,
                        smoothsBitmaps(quality));
        strokes.render(top().blender, paint);
        begin = end;
    }
    return true;
}

Canvas::Canvas(int width, int height) : impl_(std::make_unique<Impl>(width, height)) {}

Canvas::~Canvas() = default;

int Canvas::width() const {
    return impl_->base().width;
}

int Canvas::height() const {
    return impl_->base().height;
}

const uint8_t* Canvas::pixels() const {
    return reinterpret_cast<const uint8_t*>(impl_->surfaces.front()->image.pixels.data());
}

void Canvas::clear(Rgba color) {
    agg::rgba8 premultiplied = PixelColorTransform::premultiply(color);
    uint32_t word;
    static_assert(sizeof(premultiplied) == sizeof(word));
    std::memcpy(&word, &premultiplied, sizeof(word));
    // One row word by word, the others copied from it: a wide copy is much quicker than a
    // store per pixel.
    std::vector<uint32_t>& pixels = impl_->base().pixels;
    auto width = static_cast<size_t>(impl_->base().width);
    if (pixels.empty()) return;
    std::fill_n(pixels.begin(), width, word);
    for (size_t row = width; row < pixels.size(); row += width)
        std::memcpy(pixels.data() + row, pixels.data(), width * sizeof(word));
}

void Canvas::setQuality(RenderQuality quality) {
    impl_->quality = quality;
    impl_->fills.setSamplesPerSide(samplesPerSide(quality));
    impl_->strokes.setSamplesPerSide(samplesPerSide(quality));
}

void Canvas::startPicture(Rgba color) {
    impl_->surfaces.resize(1);
    impl_->surfaces.front()->masks.clear();
    impl_->clipRect.reset();
    impl_->pictureWork = WorkBudget(kWorkPerPicture);
    impl_->layerPixelsLeft = kLayerPixelsPerPicture;
    clear(color);
}

void Canvas::drawShape(const Shape& shape, const Matrix& toPixels, const ColorTransform& cxform,
                       const BitmapLookup& bitmaps) {
    impl_->draw(shape, toPixels, cxform, bitmaps);
}

void Canvas::setClipRect(double x1, double y1, double x2, double y2) {
    // A rectangle that is not a number lets nothing through.
    if (std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2)) x1 = x2 = y1 = y2 = 0;
    impl_->clipRect = PixelBox{x1, y1, x2, y2};
}

void Canvas::clearClipRect() {
    impl_->clipRect.reset();
}

void Canvas::beginMask() {
    impl_->top().masks.begin();
}

void Canvas::endMask() {
    MaskStack& masks = impl_->top().masks;
    // Without anti-aliasing a mask lets each pixel through fully or not at all.
    uint8_t* mask = masks.recordingBuffer();
    if (mask && !antiAliases(impl_->quality))
        aliasCovers(mask, impl_->top().image.area());
    masks.end();
}

void Canvas::popMask() {
    impl_->top().masks.pop();
}

bool Canvas::beginLayer(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0 || impl_->surfaces.size() > kMaxLayerDepth) return false;
    uint64_t area = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (area > kMaxLayerPixels || area > impl_->layerPixelsLeft) return false;
    impl_->layerPixelsLeft -= area;
    impl_->surfaces.push_back(std::make_unique<CanvasSurface>(x, y, width, height));
    return true;
}

PixelImage& Canvas::layer() {
    return impl_->top().image;
}

void Canvas::endLayer(BlendMode mode, const ColorTransform& cxform) {
    if (impl_->surfaces.size() < 2) return;
    std::unique_ptr<CanvasSurface> layer = std::move(impl_->surfaces.back());
    impl_->surfaces.pop_back();
    PixelImage& image = layer->image;
    static_assert(sizeof(agg::rgba8) == sizeof(uint32_t));
    PixelColorTransform(cxform).apply(reinterpret_cast<agg::rgba8*>(image.pixels.data()),
                                      static_cast<unsigned>(image.pixels.size()));
    CanvasSurface& below = impl_->top();
    // Alpha and erase act on a layer; the canvas itself they leave as it is.
    if ((mode == BlendMode::Alpha || mode == BlendMode::Erase) && impl_->surfaces.size() == 1)
        return;
    const uint8_t* mask = below.masks.recording() ? nullptr : below.masks.activeMask();
    blendLayer(mode, image, layer->originX - below.originX, layer->originY - below.originY,
               below.image, mask);
}

}  // namespace swf
