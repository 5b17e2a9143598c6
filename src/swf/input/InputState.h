#pragma once
// What the movie can ask of the mouse and keyboard at any moment: where the pointer is, which
// buttons and keys are down, the last key pressed. Conversions deliver no input, so it stays
// at rest unless the host forwards events.

#include <bitset>
#include <cstdint>

#include "swf/geom/Geometry.h"

namespace swf {

struct InputState {
    Point mouse;  // stage twips
    bool mouseDown = false;
    bool mouseInside = false;  // the pointer has been over the stage
    // By key code (the mouse buttons are keys 1, 2 and 4). Every press flips a key's toggle.
    std::bitset<256> keysDown;
    std::bitset<256> toggled;
    int lastKeyCode = 0;
    uint32_t lastCharacter = 0;

    void press(int code, bool down) {
        if (code <= 0 || code >= 256) return;
        auto at = static_cast<size_t>(code);
        if (down && !keysDown[at]) toggled.flip(at);
        keysDown[at] = down;
    }
    bool isKeyDown(int code) const {
        return code > 0 && code < 256 && keysDown[static_cast<size_t>(code)];
    }
    bool isToggled(int code) const {
        return code > 0 && code < 256 && toggled[static_cast<size_t>(code)];
    }
};

}  // namespace swf
