#include "swf/display/EditTextInstance.h"

#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"

namespace swf {

EditTextInstance::EditTextInstance(MovieContext& context,
                                   std::shared_ptr<const EditTextCharacter> field)
    : DisplayObject(context, field),
      field_(field, &context.dictionary(), context.movie().header.version) {}

const Dictionary& EditTextInstance::dictionary() const {
    // A clip of a loaded movie has the fonts of its own movie.
    if (DisplayObject* parentObject = parent())
        if (MovieClip* clip = parentObject->asMovieClip()) return clip->dictionary();
    return context().dictionary();
}

Rect EditTextInstance::localBounds() const {
    return field_.box(dictionary());
}

void EditTextInstance::draw(RenderContext& context, const Matrix& toPixels,
                            const ColorTransform& cxform) const {
    field_.draw(context.canvas, toPixels, cxform, context.dictionary, context.maskPass);
}

}  // namespace swf
