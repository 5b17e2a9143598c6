#pragma once
// ActionScript 3's keyboard: keyDown and keyUp go to the object with the focus (the stage when
// none has it) through the capture, target and bubble phases, and Tab moves the focus along
// the tab order: by tabIndex where any object has one, else by position on the stage.

#include <memory>
#include <vector>

namespace swf {
class DisplayObject;
class MovieContext;
struct InputEvent;
struct InputState;
}  // namespace swf

namespace swf::avm2 {

class EventObject;
class Machine;
class StageBridge;

class KeyboardFocus {
  public:
    KeyboardFocus(Machine& machine, StageBridge& bridge, MovieContext& context)
        : machine_(machine), bridge_(bridge), context_(context) {}

    void deliver(const InputEvent& event);
    // The Shift, Control and Alt keys held now, as an input event reports them.
    static void fillModifiers(EventObject& event, const InputState& input);
    static bool shiftDown(const InputState& input);
    // Where Tab (Shift+Tab when `backwards`) takes the focus from where it is; null for nowhere.
    std::shared_ptr<swf::DisplayObject> nextTabStop(bool backwards);

  private:
    struct Stop {
        std::shared_ptr<swf::DisplayObject> object;
        int index;     // tabIndex, -1 for none
        double place;  // the automatic order's key
    };
    void collectStops(swf::DisplayObject& container, int level, std::vector<Stop>& stops);

    Machine& machine_;
    StageBridge& bridge_;
    MovieContext& context_;
};

}  // namespace swf::avm2
