#include "swf/display/ShapeInstance.h"

namespace swf {

ShapeInstance::ShapeInstance(MovieContext& context, std::shared_ptr<const ShapeCharacter> shape)
    : DisplayObject(context, shape), shape_(std::move(shape)) {}

void ShapeInstance::draw(RenderContext& context, const Matrix& toPixels,
                         const ColorTransform& cxform) const {
    context.canvas.drawShape(shape_->shape(), toPixels, cxform, context.bitmaps);
}

Rect ShapeInstance::localBounds() const {
    return shape_->shape().bounds;
}

}  // namespace swf
