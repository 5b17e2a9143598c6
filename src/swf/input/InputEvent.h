#pragma once
// One event of the host's mouse or keyboard, as the engine receives it. Positions are in the
// view's pixels; the player maps them onto the stage.

#include <cstdint>
#include <string>

namespace swf {

struct InputEvent {
    enum class Type : uint8_t {
        MouseMove,
        MouseDown,
        MouseUp,
        MouseWheel,
        KeyDown,
        KeyUp,
        TextInput,
        FocusGained,
        FocusLost,
        TextControl,       // an editing command for the focused text field
        SetClipboardText,  // the host's clipboard now holds `text`
    };
    enum class TextControl : uint8_t {
        Enter,
        Backspace,
        Delete,
        MoveLeft,
        MoveRight,
        MoveLeftLine,   // to the start of the line
        MoveRightLine,  // to its end
        SelectAll,
        Copy,
        Cut,
        Paste,
    };
    enum class Button : uint8_t { Left, Middle, Right };

    Type type = Type::MouseMove;
    double x = 0;  // MouseMove, MouseDown, MouseUp
    double y = 0;
    Button button = Button::Left;
    int clickCount = 1;  // MouseDown: 2 for the press that makes a double click, 3 for a triple
    // KeyDown, KeyUp: the player's key code (65 for A, 13 for Enter, 37 for Left, ...) and the
    // character the key gives, 0 for keys without one.
    int keyCode = 0;
    uint32_t character = 0;
    uint32_t codepoint = 0;  // TextInput
    int wheelDelta = 0;      // MouseWheel, in lines
    TextControl control = TextControl::Enter;
    std::string text;  // SetClipboardText, UTF-8
};

}  // namespace swf
