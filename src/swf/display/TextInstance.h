#pragma once
// An instance of static text (DefineText, DefineText2).

#include "swf/display/DisplayObject.h"
#include "swf/text/TextCharacter.h"

namespace swf {

class TextInstance : public DisplayObject {
  public:
    TextInstance(MovieContext& context, std::shared_ptr<const TextCharacter> text);
    Rect localBounds() const override { return text_->bounds(); }

  protected:
    void draw(RenderContext& context, const Matrix& toPixels,
              const ColorTransform& cxform) const override;

  private:
    std::shared_ptr<const TextCharacter> text_;
};

}  // namespace swf
