#pragma once
// A button definition (DefineButton, DefineButton2): the characters it shows in each state
// and the actions its state changes and key presses run.

#include <cstdint>
#include <utility>
#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/movie/Character.h"

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

// An action list of a button and the transitions that run it (ButtonCondition bits) or the
// key whose press runs it (1-19 special keys, 32-126 characters; 0 for none).
struct ButtonAction {
    uint16_t conditions = 0;
    uint8_t keyPress = 0;
    std::vector<uint8_t> code;
};

// The state transitions of a button, as DefineButton2 numbers them.
enum ButtonCondition : uint16_t {
    kIdleToOverUp = 0x0001,       // roll over
    kOverUpToIdle = 0x0002,       // roll out
    kOverUpToOverDown = 0x0004,   // press
    kOverDownToOverUp = 0x0008,   // release
    kOverDownToOutDown = 0x0010,  // drag out
    kOutDownToOverDown = 0x0020,  // drag over
    kOutDownToIdle = 0x0040,      // release outside
    kIdleToOverDown = 0x0080,     // drag over, menu buttons
    kOverDownToIdle = 0x0100,     // drag out, menu buttons
};

class ButtonCharacter : public Character {
  public:
    static constexpr CharacterKind kKind = CharacterKind::Button;

    ButtonCharacter(uint16_t id, std::vector<ButtonRecord> records, bool trackAsMenu,
                    std::vector<ButtonAction> actions)
        : Character(id, kKind),
          records_(std::move(records)),
          trackAsMenu_(trackAsMenu),
          actions_(std::move(actions)) {}

    const std::vector<ButtonRecord>& records() const { return records_; }
    bool trackAsMenu() const { return trackAsMenu_; }
    const std::vector<ButtonAction>& actions() const { return actions_; }

  private:
    std::vector<ButtonRecord> records_;
    bool trackAsMenu_;
    std::vector<ButtonAction> actions_;
};

}  // namespace swf
