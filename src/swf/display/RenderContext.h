#pragma once
// What drawing a display object needs besides its own transform.

#include "swf/character/Dictionary.h"
#include "swf/render/Canvas.h"

namespace swf {

struct RenderContext {
    Canvas& canvas;
    const Dictionary& dictionary;
    BitmapLookup bitmaps;
    // True while a clip layer's shape is drawn into a mask: nested clip layers are not
    // started then, their content only adds to the mask being built.
    bool maskPass = false;
};

}  // namespace swf
