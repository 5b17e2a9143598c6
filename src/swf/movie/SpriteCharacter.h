#pragma once
// A sprite definition (DefineSprite): its own timeline of control tags.

#include <cstdint>
#include <memory>
#include <utility>

#include "swf/movie/Character.h"
#include "swf/movie/Dictionary.h"
#include "swf/movie/Timeline.h"

namespace swf {

class SpriteCharacter : public Character {
  public:
    static constexpr CharacterKind kKind = CharacterKind::Sprite;

    // `dictionary` is the one of the movie that defines the sprite: its timeline's ids mean
    // characters there, also when another movie imports the sprite.
    SpriteCharacter(uint16_t id, std::shared_ptr<const Timeline> timeline,
                    const Dictionary* dictionary)
        : Character(id, kKind), timeline_(std::move(timeline)), dictionary_(dictionary) {}
    const std::shared_ptr<const Timeline>& timeline() const { return timeline_; }
    const Dictionary* dictionary() const { return dictionary_; }

  private:
    std::shared_ptr<const Timeline> timeline_;
    const Dictionary* dictionary_;
};

}  // namespace swf
