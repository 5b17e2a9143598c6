#include "swf/display/DrawableInstance.h"

namespace swf {

DrawableInstance::DrawableInstance(MovieContext& context, std::shared_ptr<const DrawableCharacter> drawable)
    : DisplayObject(context, drawable), drawable_(std::move(drawable)) {}

void DrawableInstance::draw(RenderContext& context, const Matrix& toPixels, const ColorTransform& cxform) const {
    drawable_->draw(context, toPixels, cxform);
}

}  // namespace swf
