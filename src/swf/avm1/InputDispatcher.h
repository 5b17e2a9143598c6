#pragma once
// Delivers the host's mouse and keyboard to the movie as the player does: every clip's mouse
// and key events (newest clip first), then the Mouse and Key listeners, then the button or
// clip under the pointer (roll over and out, press, release, drag over and out, release
// outside) and the buttons' key presses.

#include <memory>

#include "swf/geom/Geometry.h"
#include "swf/input/InputEvent.h"

namespace swf {
class ButtonInstance;
class DisplayObject;
class MovieContext;
}  // namespace swf

namespace swf::avm1 {

class ScriptEngine;

class InputDispatcher {
  public:
    explicit InputDispatcher(ScriptEngine& engine);

    // `event` has its position in stage twips.
    void handle(const InputEvent& event);
    // After a frame's scripts: the pointer may be over something else now.
    void frameDone();

    struct Transition;

  private:

    void mouseMoved();
    void mousePressed();
    void mouseReleased();
    void keyChanged(const InputEvent& event, bool down);
    // Every clip on the stage gets `clipEvent` (ClipEventFlag), then the listeners of the
    // player object `broadcaster` get `message`.
    void announce(uint32_t clipEvent, const char* broadcaster, const char* message);
    // The pointer moved or a press ended: roll and drag events for what it is over now.
    void followPointer();
    void fire(DisplayObject& object, const Transition& transition);
    void runKeyPress(int keyCode, uint32_t character);

    DisplayObject* objectUnderPointer();
    DisplayObject* findUnderPointer(DisplayObject& container, int level);
    bool takesMouse(DisplayObject& object);
    bool hitsButton(ButtonInstance& button);

    ScriptEngine& engine_;
    MovieContext& context_;
    std::weak_ptr<DisplayObject> hovered_;
    std::weak_ptr<DisplayObject> pressed_;
};

}  // namespace swf::avm1
