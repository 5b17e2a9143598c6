#include "swf/display/ButtonInstance.h"

#include "swf/display/DisplayObjectFactory.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"

namespace swf {

ButtonInstance::ButtonInstance(MovieContext& context, std::shared_ptr<const ButtonCharacter> button,
                               int nesting)
    : DisplayObject(context, button), button_(std::move(button)), state_(this) {
    for (const ButtonRecord& record : button_->records()) {
        if (!(record.states & ButtonRecord::Up)) continue;
        auto object = DisplayObjectFactory::create(context, context.dictionary(), record.characterId, nesting);
        if (!object) continue;
        object->setDepth(record.depth);
        object->setMatrix(record.matrix);
        object->setColorTransform(record.colorTransform);
        MovieClip* clip = object->asMovieClip();
        state_.place(std::move(object));
        if (clip) clip->enterFirstFrame();
    }
}

void ButtonInstance::draw(RenderContext& context, const Matrix& toPixels,
                          const ColorTransform& cxform) const {
    state_.render(context, toPixels, cxform);
}

}  // namespace swf
