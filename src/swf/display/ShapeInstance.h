#pragma once
// An instance of a shape definition.

#include "swf/display/DisplayObject.h"
#include "swf/movie/ShapeCharacter.h"

namespace swf {

class ShapeInstance : public DisplayObject {
  public:
    ShapeInstance(MovieContext& context, std::shared_ptr<const ShapeCharacter> shape);
    Rect localBounds() const override;

  protected:
    void draw(RenderContext& context, const Matrix& toPixels,
              const ColorTransform& cxform) const override;

  private:
    std::shared_ptr<const ShapeCharacter> shape_;
};

}  // namespace swf
