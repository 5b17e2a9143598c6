#pragma once
// Where the engine draws: a premultiplied RGBA surface with a stack of clip masks.
// Everything visible (shapes, morphs at a ratio, glyphs, bitmaps as filled rectangles)
// reaches the surface through drawShape.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "swf/bitmap/Bitmap.h"
#include "swf/geom/Geometry.h"
#include "swf/render/LayerBlend.h"
#include "swf/render/PixelImage.h"
#include "swf/render/RenderQuality.h"
#include "swf/shape/Shape.h"

namespace swf {

// Finds the bitmap a bitmap fill names; returns null for an unknown id.
using BitmapLookup = std::function<const Bitmap*(uint16_t id)>;

class Canvas {
  public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int width() const;
    int height() const;
    // Premultiplied RGBA rows, top-down, width * 4 bytes each.
    const uint8_t* pixels() const;

    void clear(Rgba color);
    // Applies to what is drawn from now on (masks once ended); High until set.
    void setQuality(RenderQuality quality);
    // Starts a new picture on a canvas kept from an earlier one: drops every mask and clears
    // to `color`. Memory (surface, mask buffers, rasterizer cells) is kept for reuse.
    void startPicture(Rgba color);

    // Draws a shape whose coordinates are twips; `toPixels` maps twips to surface pixels.
    void drawShape(const Shape& shape, const Matrix& toPixels, const ColorTransform& cxform,
                   const BitmapLookup& bitmaps);

    // Limits everything drawn from now on, masks being recorded included, to canvas pixels
    // x1 to x2 across and y1 to y2 down (a layer's pixels counted from the canvas corner),
    // until clearClipRect.
    void setClipRect(double x1, double y1, double x2, double y2);
    void clearClipRect();

    // Clip layers: between beginMask and endMask, drawShape adds to a new mask instead of
    // the surface; until popMask, everything drawn is limited to the intersection of all
    // masks on the stack.
    void beginMask();
    void endMask();
    void popMask();

    // Offscreen layers: after beginLayer, drawing (masks included) goes to a clear layer of
    // `width` by `height` pixels whose top-left corner is canvas pixel (x, y), until endLayer
    // blends it, through `cxform`, onto what lies below in `mode`, within the masks in force
    // there (alpha and erase, which act on the layer below, leave the canvas itself alone).
    // False, and no layer, when layers nest too deep or grow too large.
    bool beginLayer(int x, int y, int width, int height);
    // The innermost open layer's pixels, for filters.
    PixelImage& layer();
    void endLayer(BlendMode mode, const ColorTransform& cxform);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace swf
