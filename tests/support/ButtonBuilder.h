#pragma once

#include <cstdint>
#include <vector>

#include "support/ActionBuilder.h"
#include "support/ColorTransform.h"
#include "support/Matrix.h"

namespace swftest {

// States a button record shows its character in (combine with |).
enum ButtonState : uint8_t {
    kButtonUp = 0x01,
    kButtonOver = 0x02,
    kButtonDown = 0x04,
    kButtonHitTest = 0x08,
};

// Conditions of a BUTTONCONDACTION, as the 16 bits read in file order (combine with |).
enum ButtonCondition : uint16_t {
    kCondIdleToOverDown = 0x8000,
    kCondOutDownToIdle = 0x4000,
    kCondOutDownToOverDown = 0x2000,
    kCondOverDownToOutDown = 0x1000,
    kCondOverDownToOverUp = 0x0800,  // release
    kCondOverUpToOverDown = 0x0400,  // press
    kCondOverUpToIdle = 0x0200,      // roll out
    kCondIdleToOverUp = 0x0100,      // roll over
    kCondOverDownToIdle = 0x0001,
};

// A key-press condition: the key code in bits 1..7.
constexpr uint16_t buttonKeyCondition(uint8_t keyCode) {
    return static_cast<uint16_t>((keyCode & 0x7F) << 1);
}

struct ButtonRecord {
    uint8_t states = kButtonUp;
    uint16_t character = 0;
    uint16_t depth = 1;
    Matrix matrix = {};
    ColorTransform colorTransform = {};
};

// Builds DefineButton2 bodies.
//   ButtonBuilder button;
//   button.add({.states = kButtonUp | kButtonHitTest, .character = 1})
//         .addActions(kCondOverDownToOverUp, ActionBuilder().play());
class ButtonBuilder {
  public:
    ButtonBuilder& trackAsMenu(bool value = true);
    ButtonBuilder& add(const ButtonRecord& record);
    ButtonBuilder& addActions(uint16_t conditions, const ActionBuilder& actions);

    std::vector<uint8_t> defineButton2Body(uint16_t id) const;

  private:
    struct CondAction {
        uint16_t conditions;
        ActionBuilder actions;
    };

    bool trackAsMenu_ = false;
    std::vector<ButtonRecord> records_;
    std::vector<CondAction> actions_;
};

}  // namespace swftest
