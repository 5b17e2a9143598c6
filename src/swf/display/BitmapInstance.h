#pragma once
// A bitmap placed directly on a timeline: drawn as a rectangle of its own size filled with
// the bitmap (one bitmap pixel per 20 twips).

#include "swf/bitmap/BitmapCharacter.h"
#include "swf/display/DisplayObject.h"
#include "swf/shape/Shape.h"

namespace swf {

class BitmapInstance : public DisplayObject {
  public:
    BitmapInstance(MovieContext& context, std::shared_ptr<const BitmapCharacter> bitmap);

  protected:
    void draw(RenderContext& context, const Matrix& toPixels,
              const ColorTransform& cxform) const override;

  private:
    std::shared_ptr<const BitmapCharacter> bitmap_;
    Shape rectangle_;
};

}  // namespace swf
