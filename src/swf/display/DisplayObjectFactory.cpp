#include "swf/display/DisplayObjectFactory.h"

#include "swf/bitmap/BitmapCharacter.h"
#include "swf/display/BitmapInstance.h"
#include "swf/display/ButtonInstance.h"
#include "swf/display/EditTextInstance.h"
#include "swf/display/MorphShapeInstance.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/display/ShapeInstance.h"
#include "swf/display/TextInstance.h"
#include "swf/display/VideoInstance.h"
#include "swf/movie/ButtonCharacter.h"
#include "swf/movie/MorphShapeCharacter.h"
#include "swf/movie/ShapeCharacter.h"
#include "swf/movie/SpriteCharacter.h"

namespace swf {

std::shared_ptr<DisplayObject> DisplayObjectFactory::create(MovieContext& context,
                                                            const Dictionary& dictionary,
                                                            uint16_t characterId, int nesting) {
    return make(context, dictionary.share(characterId), nesting);
}

std::shared_ptr<DisplayObject> DisplayObjectFactory::make(
    MovieContext& context, std::shared_ptr<const Character> character, int nesting) {
    if (!context.hasRoomForObject() || !character) return nullptr;
    switch (character->kind()) {
        case CharacterKind::Shape:
            return std::make_shared<ShapeInstance>(
                context, std::static_pointer_cast<const ShapeCharacter>(character));
        case CharacterKind::MorphShape:
            return std::make_shared<MorphShapeInstance>(
                context, std::static_pointer_cast<const MorphShapeCharacter>(character));
        case CharacterKind::Bitmap:
            return std::make_shared<BitmapInstance>(
                context, std::static_pointer_cast<const BitmapCharacter>(character));
        case CharacterKind::Sprite: {
            if (nesting + 1 > MovieContext::kMaxNesting) return nullptr;
            auto sprite = std::static_pointer_cast<const SpriteCharacter>(character);
            auto clip =
                std::make_shared<MovieClip>(context, sprite, sprite->timeline(), nesting + 1);
            context.registerClip(clip);
            return clip;
        }
        case CharacterKind::Button: {
            if (nesting + 1 > MovieContext::kMaxNesting) return nullptr;
            return std::make_shared<ButtonInstance>(
                context, std::static_pointer_cast<const ButtonCharacter>(character), nesting + 1);
        }
        case CharacterKind::Text:
            return std::make_shared<TextInstance>(
                context, std::static_pointer_cast<const TextCharacter>(character));
        case CharacterKind::EditText:
            return std::make_shared<EditTextInstance>(
                context, std::static_pointer_cast<const EditTextCharacter>(character));
        case CharacterKind::Video:
            return std::make_shared<VideoInstance>(
                context, std::static_pointer_cast<const VideoCharacter>(character));
        default:
            return nullptr;
    }
}

}  // namespace swf
