#pragma once
// What drawing a display object needs besides its own transform.

#include "swf/movie/Dictionary.h"
#include "swf/render/Canvas.h"

namespace swf {

struct RenderContext {
    Canvas& canvas;
    const Dictionary& dictionary;
    BitmapLookup bitmaps;
    // True while a clip layer's content is drawn into a mask: nested clip layers are left
    // out then, and hidden objects still count.
    bool maskPass = false;
    // Pixels per stage pixel: filters are measured on the stage.
    double viewScaleX = 1, viewScaleY = 1;
};

}  // namespace swf
