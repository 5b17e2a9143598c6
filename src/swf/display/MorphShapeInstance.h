#pragma once
// An instance of a morph shape, shown at its ratio. The shape at the last ratio drawn is
// kept, since most frames draw the same ratio again.

#include <optional>

#include "swf/display/DisplayObject.h"
#include "swf/movie/MorphShapeCharacter.h"

namespace swf {

class MorphShapeInstance : public DisplayObject {
  public:
    MorphShapeInstance(MovieContext& context, std::shared_ptr<const MorphShapeCharacter> morph);

  protected:
    void draw(RenderContext& context, const Matrix& toPixels,
              const ColorTransform& cxform) const override;

  private:
    std::shared_ptr<const MorphShapeCharacter> morph_;
    mutable std::optional<uint16_t> cachedRatio_;
    mutable Shape cachedShape_;
};

}  // namespace swf
