#include "swf/display/ObjectLayer.h"

#include <algorithm>
#include <cmath>

#include "swf/render/FilterEffects.h"

namespace swf {

namespace {

// A pixel of anti-aliasing around what the object's bounds hold.
constexpr double kEdge = 2;

}  // namespace

ObjectLayer::ObjectLayer(std::vector<SurfaceFilter> filters, uint8_t blendMode,
                         bool cacheAsBitmap)
    : filters_(std::move(filters)),
      mode_(blendModeOf(blendMode)),
      needed_(!filters_.empty() || mode_ != BlendMode::Normal || cacheAsBitmap) {}

void ObjectLayer::render(RenderContext& context, const Rect& localBounds, const Matrix& toPixels,
                         const ColorTransform& cxform,
                         const std::function<void(const ColorTransform&)>& drawContent) const {
    Canvas& canvas = context.canvas;
    std::vector<SurfaceFilter> filters;
    FilterReach reach;
    for (const SurfaceFilter& f : filters_) {
        filters.push_back(filterInView(f, context.viewScaleX, context.viewScaleY));
        FilterReach r = filterReach(filters.back());
        reach = {reach.left + r.left, reach.top + r.top, reach.right + r.right,
                 reach.bottom + r.bottom};
    }
    // The object's extent on the canvas, or the whole canvas when it is not known; what lies
    // further off than the filters reach cannot show. A shadow cast down onto the canvas
    // comes from above it, so the canvas grows by the reach either way.
    const double growX = std::max(reach.left, reach.right), growY = std::max(reach.top, reach.bottom);
    double x0 = -growX, y0 = -growY, x1 = canvas.width() + growX, y1 = canvas.height() + growY;
    if (localBounds.xMin <= localBounds.xMax) {
        double bx0 = INFINITY, by0 = INFINITY, bx1 = -INFINITY, by1 = -INFINITY;
        for (int32_t x : {localBounds.xMin, localBounds.xMax}) {
            for (int32_t y : {localBounds.yMin, localBounds.yMax}) {
                Point p = toPixels.apply({double(x), double(y)});
                bx0 = std::min(bx0, p.x);
                by0 = std::min(by0, p.y);
                bx1 = std::max(bx1, p.x);
                by1 = std::max(by1, p.y);
            }
        }
        x0 = std::max(x0, bx0 - kEdge - reach.left);
        y0 = std::max(y0, by0 - kEdge - reach.top);
        x1 = std::min(x1, bx1 + kEdge + reach.right);
        y1 = std::min(y1, by1 + kEdge + reach.bottom);
    }
    // Also false for a matrix that is not finite, which draws nothing.
    if (!(x0 < x1 && y0 < y1)) return;
    // Within the canvas and the filters' reach, so these are small.
    auto left = static_cast<int>(std::floor(x0)), top = static_cast<int>(std::floor(y0));
    auto right = static_cast<int>(std::ceil(x1)), bottom = static_cast<int>(std::ceil(y1));
    if (!canvas.beginLayer(left, top, right - left, bottom - top)) {
        drawContent(cxform);
        return;
    }
    drawContent(ColorTransform{});
    for (const SurfaceFilter& f : filters) runFilter(f, canvas.layer());
    canvas.endLayer(mode_, cxform);
}

}  // namespace swf
