#pragma once
// A button definition (DefineButton, DefineButton2): the characters it shows in each state.
// Without a mouse the engine shows the up state; the actions are kept for the scripting engine.

#include <cstdint>
#include <utility>
#include <vector>

#include "swf/character/Character.h"
#include "swf/geom/Geometry.h"

namespace swf {

struct ButtonRecord {
    enum State : uint8_t { Up = 1, Over = 2, Down = 4, HitTest = 8 };
    uint8_t states = 0;
    uint16_t characterId = 0;
    uint16_t depth = 0;
    Matrix matrix;
    ColorTransform colorTransform;
    uint8_t blendMode = 0;
};

class ButtonCharacter : public Character {
  public:
    static constexpr CharacterKind kKind = CharacterKind::Button;

    ButtonCharacter(uint16_t id, std::vector<ButtonRecord> records, bool trackAsMenu,
                    std::vector<uint8_t> actions)
        : Character(id, kKind),
          records_(std::move(records)),
          trackAsMenu_(trackAsMenu),
          actions_(std::move(actions)) {}

    const std::vector<ButtonRecord>& records() const { return records_; }
    bool trackAsMenu() const { return trackAsMenu_; }
    // DefineButton: one action list; DefineButton2: the BUTTONCONDACTION records, raw.
    const std::vector<uint8_t>& actions() const { return actions_; }

  private:
    std::vector<ButtonRecord> records_;
    bool trackAsMenu_;
    std::vector<uint8_t> actions_;
};

}  // namespace swf
