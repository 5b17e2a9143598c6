#include "swf/display/TextInstance.h"

namespace swf {

TextInstance::TextInstance(MovieContext& context, std::shared_ptr<const TextCharacter> text)
    : DisplayObject(context, text), text_(std::move(text)) {}

void TextInstance::draw(RenderContext& context, const Matrix& toPixels,
                        const ColorTransform& cxform) const {
    text_->draw(context.canvas, toPixels, cxform, context.dictionary);
}

}  // namespace swf
