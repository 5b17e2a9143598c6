#pragma once
// A sprite definition (DefineSprite): its own timeline of control tags.

#include <cstdint>
#include <memory>
#include <utility>

#include "swf/character/Character.h"
#include "swf/display/Timeline.h"

namespace swf {

class SpriteCharacter : public Character {
  public:
    static constexpr CharacterKind kKind = CharacterKind::Sprite;

    SpriteCharacter(uint16_t id, std::shared_ptr<const Timeline> timeline)
        : Character(id, kKind), timeline_(std::move(timeline)) {}
    const std::shared_ptr<const Timeline>& timeline() const { return timeline_; }

  private:
    std::shared_ptr<const Timeline> timeline_;
};

}  // namespace swf
