#include "swf/display/MorphShapeInstance.h"

namespace swf {

MorphShapeInstance::MorphShapeInstance(MovieContext& context,
                                       std::shared_ptr<const MorphShapeCharacter> morph)
    : DisplayObject(context, morph), morph_(std::move(morph)) {}

void MorphShapeInstance::draw(RenderContext& context, const Matrix& toPixels,
                              const ColorTransform& cxform) const {
    if (cachedRatio_ != ratio()) {
        cachedShape_ = morph_->shapeAt(ratio());
        cachedRatio_ = ratio();
    }
    context.canvas.drawShape(cachedShape_, toPixels, cxform, context.bitmaps);
}

}  // namespace swf
