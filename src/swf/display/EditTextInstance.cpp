#include "swf/display/EditTextInstance.h"

namespace swf {

EditTextInstance::EditTextInstance(MovieContext& context,
                                   std::shared_ptr<const EditTextCharacter> field)
    : DisplayObject(context, field), field_(field) {}

void EditTextInstance::draw(RenderContext& context, const Matrix& toPixels,
                            const ColorTransform& cxform) const {
    field_.draw(context.canvas, toPixels, cxform, context.dictionary, context.maskPass);
}

}  // namespace swf
