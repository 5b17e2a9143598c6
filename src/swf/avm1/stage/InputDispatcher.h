#pragma once
// Delivers the host's mouse and keyboard to the movie as the player does: every clip's mouse
// and key events (newest clip first), then the Mouse and Key listeners, then the button or
// clip under the pointer (roll over and out, press, release, drag over and out, release
// outside) and the buttons' key presses. It keeps the keyboard focus, which clicks, Tab and
// scripts move, and gives the focused object its key events.

#include <cstdint>
#include <memory>
#include <string>

#include "swf/geom/Geometry.h"
#include "swf/input/InputEvent.h"

namespace swf {
class ButtonInstance;
class Character;
class DisplayObject;
class EditTextInstance;
class MovieContext;
}  // namespace swf

namespace swf::avm1 {

class Machine;
class ScriptEngine;

class InputDispatcher {
  public:
    explicit InputDispatcher(ScriptEngine& engine);

    // `event` has its position in stage twips.
    void handle(const InputEvent& event);
    // After a frame's scripts: the pointer may be over something else now.
    void frameDone();

    enum class FocusCause { Script, Mouse, Keyboard };
    // The dispatcher of the movie `machine` plays, if it plays one.
    static InputDispatcher* of(Machine& machine);
    // The object with the keyboard focus; null once it has left the stage.
    DisplayObject* focused();
    // Tells the old object (onKillFocus), the new one (onSetFocus) and Selection's listeners.
    // A button or clip taking the focus is rolled over: at once from the keyboard, after the
    // current actions otherwise.
    void setFocus(DisplayObject* next, FocusCause cause);
    // Counts the changes of focus, so that what belonged to one focus can tell it is stale.
    uint64_t focusChanges() const { return focusChanges_; }

    // A button, or a clip its handlers make one, that is enabled (or, with `disabledToo`,
    // whether enabled or not).
    bool takesMouse(DisplayObject& object, bool disabledToo = false);

    struct Transition;

  private:
    void handleEvent(const InputEvent& event);
    void mouseMoved();
    void mousePressed();
    void mouseReleased();
    // A click on a link of a text field.
    void followLink(EditTextInstance& field, const std::string& url);
    void keyChanged(const InputEvent& event, bool down);
    // Typed text and editing commands go to the focused text field.
    void textTyped(std::u32string_view text);
    void textControl(InputEvent::TextControl control);
    // The wheel scrolls the text field under the pointer by its lines (up for positive ones).
    void wheelTurned(int lines);
    // The field's text changed by typing: its variable and listeners hear of it.
    void fieldEdited(EditTextInstance& field);
    // Every clip on the stage gets `clipEvent` (ClipEventFlag), then the listeners of the
    // player object `broadcaster` get `message`.
    void announce(uint32_t clipEvent, const char* broadcaster, const char* message);
    // The pointer moved or a press ended: roll and drag events for what it is over now.
    void followPointer();
    void fire(DisplayObject& object, const Transition& transition);
    // Runs the buttons' actions for the key; false when none has one.
    bool runKeyPress(int keyCode, uint32_t character);
    // Rolls out what is highlighted and rolls `target` over.
    void highlight(const std::shared_ptr<DisplayObject>& target);
    void moveFocusByTab(bool backwards);
    // The object's _focusrect, or the player's when it has none of its own.
    bool showsFocusRect(DisplayObject& object);
    // Tells the stage where the focus rectangle stands now, if one shows.
    void placeFocusHighlight();

    // With `textFields`, a selectable text field counts as well; with `disabledToo`, a
    // disabled button or clip as well.
    DisplayObject* objectUnderPointer(bool textFields = false, bool disabledToo = false);
    DisplayObject* findUnderPointer(DisplayObject& container, int level, bool textFields,
                                    bool disabledToo);
    // Its `enabled` is set to something false.
    bool isDisabled(DisplayObject& object);
    bool hitsButton(ButtonInstance& button);
    // A clip acting as a button is hit on its hitArea's content, or else on its own.
    bool hitsClip(DisplayObject& clip);

    // Where a tracked object stands: an object of the same character that a timeline puts at
    // the same depth of the same parent in its stead takes its part, as the player finds
    // the one under the pointer by its place.
    struct Place {
        std::weak_ptr<DisplayObject> parent;
        int depth = 0;
        std::weak_ptr<const Character> character;
    };
    // Notes where the hovered and pressed objects stand.
    void notePlaces();
    // A hovered or pressed object gone from the stage is followed by its successor, if any.
    void takeSuccessors();

    ScriptEngine& engine_;
    MovieContext& context_;
    std::weak_ptr<DisplayObject> hovered_;
    std::weak_ptr<DisplayObject> pressed_;
    Place hoveredPlace_;
    Place pressedPlace_;
    std::weak_ptr<DisplayObject> focus_;
    bool focusRectShown_ = false;
    // The object under the keyboard's highlight keeps it until the pointer moves.
    bool keyboardHighlight_ = false;
    std::u32string clipboard_;  // what Paste enters
    uint64_t focusChanges_ = 0;
};

}  // namespace swf::avm1
