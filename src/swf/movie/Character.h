#pragma once
// A definition from the movie's dictionary: what a display-list entry is an instance of.

#include <cstdint>
#include <optional>

#include "swf/geom/Geometry.h"

namespace swf {

enum class CharacterKind : uint8_t {
    Shape,
    MorphShape,
    Sprite,
    Bitmap,
    Font,
    Text,
    EditText,
    Button,
    Sound,
    Video,
    BinaryData,
};

class Character {
  public:
    Character(uint16_t id, CharacterKind kind) : id_(id), kind_(kind) {}
    virtual ~Character() = default;
    Character(const Character&) = delete;
    Character& operator=(const Character&) = delete;

    uint16_t id() const { return id_; }
    CharacterKind kind() const { return kind_; }

    // A sprite's or button's nine-slice grid (DefineScalingGrid), in twips of its own space.
    const std::optional<Rect>& scalingGrid() const { return scalingGrid_; }
    void setScalingGrid(const Rect& grid) { scalingGrid_ = grid; }

  private:
    uint16_t id_;
    CharacterKind kind_;
    std::optional<Rect> scalingGrid_;
};

}  // namespace swf
