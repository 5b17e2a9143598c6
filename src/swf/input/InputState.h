#pragma once
// What the movie can ask of the mouse and keyboard at any moment: where the pointer is, which
// buttons and keys are down, the last key pressed. Conversions deliver no input, so it stays
// at rest unless the host forwards events.

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>

#include "swf/geom/Geometry.h"

namespace swf {

class DisplayObject;

// The object startDrag fastened to the pointer, and where it was last dropped onto.
struct DragState {
    std::weak_ptr<DisplayObject> object;
    Point offset;  // from the pointer to the object's position, in its parent's twips
    bool constrained = false;
    double left = 0, top = 0, right = 0, bottom = 0;  // twips of the parent
    std::weak_ptr<DisplayObject> dropped;             // the object _droptarget belongs to
    std::string dropTarget;                           // slash path of what is under it
};

struct InputState {
    Point mouse;  // stage twips
    // Stage twips to the host view's pixels, as the last pointer event found the view.
    Matrix stageToView = Matrix::scale(1.0 / 20, 1.0 / 20);
    bool mouseDown = false;
    bool mouseInside = false;  // the pointer has been over the stage
    // By key code (the mouse buttons are keys 1, 2 and 4). Every press flips a key's toggle.
    std::bitset<256> keysDown;
    std::bitset<256> toggled;
    int lastKeyCode = 0;
    uint32_t lastCharacter = 0;
    DragState drag;

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
