#pragma once
// A shape definition (DefineShape 1 to 4).

#include <cstdint>
#include <utility>

#include "swf/movie/Character.h"
#include "swf/shape/Shape.h"

namespace swf {

class ShapeCharacter : public Character {
  public:
    static constexpr CharacterKind kKind = CharacterKind::Shape;

    ShapeCharacter(uint16_t id, Shape shape) : Character(id, kKind), shape_(std::move(shape)) {}
    const Shape& shape() const { return shape_; }

  private:
    Shape shape_;
};

}  // namespace swf
