#pragma once
// A definition from the movie's dictionary: what a display-list entry is an instance of.

#include <cstdint>

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

  private:
    uint16_t id_;
    CharacterKind kind_;
};

}  // namespace swf
