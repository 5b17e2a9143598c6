#pragma once
// Running bitmap filters over pixels: what a display object's layer goes through before it is
// blended, and what BitmapData.applyFilter computes.

#include "swf/render/PixelImage.h"
#include "swf/render/SurfaceFilter.h"

namespace swf {

// How far a filter's result reaches beyond the pixels it filters, on each side.
struct FilterReach {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The filter's sizes (blur, distance) in pixels of a view `scaleX` by `scaleY` times the
// stage; filters are measured on the stage, whatever the object's own scale.
SurfaceFilter filterInView(const SurfaceFilter& filter, double scaleX, double scaleY);

// For a filter with its angle in radians, as all of these take it.
FilterReach filterReach(const SurfaceFilter& filter);

// Filters the image in place; what would reach beyond it is lost. False, leaving the image
// as it was, for a filter not computed here (the displacement map).
bool runFilter(const SurfaceFilter& filter, PixelImage& image);

}  // namespace swf
