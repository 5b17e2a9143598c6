#pragma once
// A bitmap on a display list: drawn as a rectangle of its own size filled with the bitmap
// (one bitmap pixel per 20 twips). Either a bitmap character placed on a timeline, or the
// live pixels of a script's BitmapData (attachBitmap), drawn as they are at each frame.

#include "swf/bitmap/BitmapCharacter.h"
#include "swf/display/DisplayObject.h"
#include "swf/shape/Shape.h"

namespace swf {

class BitmapInstance : public DisplayObject {
  public:
    BitmapInstance(MovieContext& context, std::shared_ptr<const BitmapCharacter> bitmap);
    // Shows `pixels`, which a script may change or empty (dispose) later.
    BitmapInstance(MovieContext& context, std::shared_ptr<const Bitmap> pixels, bool smoothing);

    Rect localBounds() const override;

  protected:
    void draw(RenderContext& context, const Matrix& toPixels,
              const ColorTransform& cxform) const override;

  private:
    void makeRectangle(int width, int height, uint16_t bitmapId, bool smoothing);

    std::shared_ptr<const BitmapCharacter> bitmap_;
    std::shared_ptr<const Bitmap> pixels_;
    Shape rectangle_;
};

}  // namespace swf
