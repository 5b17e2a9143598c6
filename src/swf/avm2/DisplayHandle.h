#pragma once
// The script objects of flash.events and flash.display: an event dispatcher keeps its
// listeners; a display object's script object holds the engine's display object (the one the
// timeline placed or the script made), which lives at least as long as it.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "swf/avm2/Object.h"

namespace swf {
class DisplayObject;
class MovieClip;
class SwfMovie;
}  // namespace swf

namespace swf::avm2 {

class DispatcherObject : public Object {
  public:
    using Object::Object;

    struct Listener {
        std::string type;
        Value function;
        bool capture = false;
        int priority = 0;
    };
    // In the order they run: higher priority first, then the order they were added.
    std::vector<Listener> listeners;
    bool listensTo(const std::string& type) const;

    void trace(Marker& marker) const override;
};

class DisplayHandle : public DispatcherObject {
  public:
    using DispatcherObject::DispatcherObject;
    ~DisplayHandle() override;

    // Ties the script object to its display object, both ways.
    void hold(std::shared_ptr<swf::DisplayObject> object);
    swf::DisplayObject* display() const { return display_.get(); }
    swf::MovieClip* clip() const;
    const std::shared_ptr<swf::DisplayObject>& sharedDisplay() const { return display_; }

    // addFrameScript's functions, by 0-based frame.
    std::map<int, Value> frameScripts;
    Object* graphics = nullptr;
    Object* loaderInfo = nullptr;
    // True once its class's constructor ran (or began).
    bool constructed = false;
    // InteractiveObject's and DisplayObjectContainer's say in which object the mouse's events
    // go to.
    bool mouseEnabled = true;
    bool mouseChildren = true;
    bool doubleClickEnabled = false;
    // Sprite's and SimpleButton's: a sprite that acts as a button, and the hand over either.
    bool buttonMode = false;
    bool useHandCursor = true;
    // The tab order's: whether the object takes the focus by Tab (unset, its class decides),
    // its place in the order, and whether its children do.
    std::optional<bool> tabEnabled;
    int tabIndex = -1;
    bool tabChildren = true;
    std::optional<bool> focusRect;  // null until a script sets it: the stage's setting decides

    void trace(Marker& marker) const override;

  private:
    std::shared_ptr<swf::DisplayObject> display_;  // null for the stage
};

// A LoaderInfo: the main timeline's (no loader) reports the movie playing; a Loader's reports
// what it loads.
class LoaderInfoObject : public DispatcherObject {
  public:
    using DispatcherObject::DispatcherObject;
    DisplayHandle* loader = nullptr;
    DisplayHandle* content = nullptr;
    std::shared_ptr<const SwfMovie> movie;  // the loaded movie, once it is
    size_t bytesLoaded = 0;
    size_t bytesTotal = 0;
    std::optional<std::string> url;  // null until a load starts

    void trace(Marker& marker) const override;
};

// An instance of flash.events.Event or a subclass.
class EventObject : public Object {
  public:
    using Object::Object;
    std::string type;
    bool bubbles = false;
    bool cancelable = false;
    bool defaultPrevented = false;
    bool stopped = false;     // stopPropagation: the current object's listeners still run
    bool stoppedNow = false;  // stopImmediatePropagation
    int phase = 0;            // EventPhase: 1 capturing, 2 at target, 3 bubbling
    Object* target = nullptr;
    Object* currentTarget = nullptr;
    // Extra fields of the subclasses this engine dispatches (MouseEvent's, KeyboardEvent's and
    // FocusEvent's).
    double localX = 0, localY = 0;
    double stageX = 0, stageY = 0;
    Object* relatedObject = nullptr;
    bool buttonDown = false;
    bool ctrlKey = false, altKey = false, shiftKey = false;
    int delta = 0;
    uint32_t keyCode = 0, charCode = 0, keyLocation = 0;

    void trace(Marker& marker) const override;
};

// A part of a display object scripts reach through it (its Graphics, which draws into the
// owner's drawing; its Transform): it keeps the owner alive.
class DisplayPartObject : public Object {
  public:
    using Object::Object;
    DisplayHandle* owner = nullptr;
    void trace(Marker& marker) const override;
};

// flash.utils.Timer: fires after each `delay` milliseconds of movie time while it runs.
class TimerObject : public DispatcherObject {
  public:
    using DispatcherObject::DispatcherObject;
    // setTimeout and setInterval: the function called with its arguments instead of the
    // timer event, and the number clearTimeout and clearInterval know it by.
    Value callback;
    std::vector<Value> arguments;
    uint32_t id = 0;
    double delay = 0;
    int repeatCount = 0;
    int currentCount = 0;
    bool running = false;
    double dueAt = 0;  // movie time in milliseconds

    void trace(Marker& marker) const override;
};

}  // namespace swf::avm2
