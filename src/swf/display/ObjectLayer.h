#pragma once
// Drawing a display object through an offscreen layer of its own, as filters, a blend mode
// other than normal and a cached bitmap need: the object is drawn into the layer, the
// filters run over it, and the layer is blended onto what lies below under the object's
// colour transform.

#include <functional>
#include <vector>

#include "swf/display/RenderContext.h"
#include "swf/geom/Geometry.h"
#include "swf/render/LayerBlend.h"
#include "swf/render/SurfaceFilter.h"

namespace swf {

class ObjectLayer {
  public:
    ObjectLayer(std::vector<SurfaceFilter> filters, uint8_t blendMode, bool cacheAsBitmap);

    // False when the object draws straight onto its parent's surface.
    bool needed() const { return needed_; }

    // Draws the object: `drawContent` draws it at `toPixels` with the colour transform it is
    // given. `localBounds` (twips, empty when unknown) sizes the layer. Without room for a
    // layer the object is drawn as it is, without its effects.
    void render(RenderContext& context, const Rect& localBounds, const Matrix& toPixels,
                const ColorTransform& cxform,
                const std::function<void(const ColorTransform&)>& drawContent) const;

  private:
    std::vector<SurfaceFilter> filters_;
    BlendMode mode_;
    bool needed_;
};

}  // namespace swf
