#pragma once
// Nine-slice scaling (DefineScalingGrid, scale9Grid): the grid's lines cut an object's extent
// into nine regions. Drawn scaled, the corners keep their size, the top and bottom edges
// stretch across only, the left and right edges down only, and the centre both ways; where
// the object is smaller than its corners, the corners shrink to share what there is.
// Each region is its own transform, drawn within its own rectangle of pixels.

#include <array>
#include <optional>
#include <span>

#include "swf/geom/Geometry.h"
#include "swf/render/Canvas.h"

namespace swf {

class ScalingGrid {
  public:
    struct Region {
        // The canvas pixels it may paint, x1 to x2 across and y1 to y2 down; the outer regions
        // reach on without end.
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        Matrix toPixels;
    };

    // `grid` and `bounds` are twips in the object's space, `toPixels` its whole transform and
    // `unscaledX`/`unscaledY` the pixels a twip takes on each axis at the object's own size
    // (the view's scale). Nothing when slicing does not apply: the transform turns or skews
    // the object (the player then scales it as usual), keeps it at its own size, or the grid
    // or extent is empty.
    static std::optional<ScalingGrid> slice(const Rect& grid, const Rect& bounds,
                                            const Matrix& toPixels, double unscaledX,
                                            double unscaledY);

    // The regions with some area, row by row.
    std::span<const Region> regions() const { return {regions_.data(), count_}; }

    // Calls `draw` with each region's transform, the canvas limited to that region.
    template <class Draw>
    void drawSliced(Canvas& canvas, Draw&& draw) const {
        for (const Region& region : regions()) {
            canvas.setClipRect(region.x1, region.y1, region.x2, region.y2);
            draw(region.toPixels);
        }
        canvas.clearClipRect();
    }

  private:
    std::array<Region, 9> regions_{};
    size_t count_ = 0;
};

}  // namespace swf
