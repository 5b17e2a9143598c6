#pragma once
// What ties a movie's ActionScript 3 machine to its display objects: the script object of
// each display object (made with the class its symbol is bound to, else the class of its
// kind), the stage, event dispatch through the display tree, the frame events every listener
// hears, frame scripts and timers.

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "swf/avm2/DisplayHandle.h"
#include "swf/script/Heap.h"
#include "swf/script/Rooted.h"

namespace swf {
class DisplayObject;
class MovieClip;
class MovieContext;
}  // namespace swf

namespace swf::avm2 {

class ClassObject;
class Machine;

class StageBridge {
  public:
    StageBridge(Machine& machine, MovieContext& context);
    ~StageBridge();

    Machine& machine() { return machine_; }
    MovieContext& context() { return context_; }

    // The script object of `object`, constructed with its class on first ask.
    DisplayHandle* handleOf(swf::DisplayObject& object);
    Value valueOf(swf::DisplayObject* object);
    // The stage: the main timeline's parent for scripts.
    DisplayHandle* stage();
    // The script object of a display object's parent (the stage for the main timeline).
    Value parentOf(const DisplayHandle& handle);

    // Constructs the script object of a timeline object with the class its symbol is bound to
    // (the document class for the main timeline), unless that happened already.
    void construct(swf::DisplayObject& object);
    // A display class's allocation: the object being constructed for the timeline, else a new
    // engine object for `cls` (its symbol's, else what `make` makes, else an empty clip).
    Object* allocate(ClassObject* cls, const std::function<std::shared_ptr<swf::DisplayObject>()>& make = nullptr);
    // The constructor of a display class reached its native part: the timeline children
    // bound to classes are constructed, named children fill the properties named after them.
    void initialize(DisplayHandle& handle);
    // The timeline objects in `container` not yet constructed are, each announced as added.
    void constructChildren(swf::DisplayObject& container);
    // A named child stands in `parent`: the parent's property of that name refers to it.
    void assignNamed(swf::DisplayObject& child, const Value& value);

    // Dispatches `event` to `target` through capture, target and bubble phases (display
    // objects) or to the target alone. False when a listener prevented its default.
    bool dispatch(Object* target, EventObject* event);
    EventObject* newEvent(const std::string& type, bool bubbles = false, const std::string& className = "flash.events::Event");
    // Sends an event of `type` to every object listening for it (enterFrame and its kin).
    void broadcast(const std::string& type);
    // Dispatchers that listen for a broadcast event stay alive and hear it.
    void listenersChanged(DispatcherObject& dispatcher);

    // The clip reached `frame`: its frame script, if any, runs in its turn.
    void frameEntered(swf::MovieClip& clip, int frame);
    // Queues the frame scripts of the frames reached since the last call, parents before
    // their children and children in depth order.
    void queueFrameScripts();
    // A script moves `clip`'s timeline: the frame is constructed and the frame scripts waiting
    // run at once, between the frame's events. Inside one of `clip`'s own frame scripts the
    // goto waits until that script returns (the last such goto wins).
    void gotoFrame(swf::MovieClip& clip, int frame);
    void startTimer(TimerObject& timer);
    // setTimeout and setInterval: starts a timer that calls its callback; returns its id.
    uint32_t startCallback(TimerObject& timer);
    void stopCallback(uint32_t id);
    void runDueTimers();
    bool timersPending() const;
    // After the first frame: the main timeline's loaderInfo reports it complete.
    void finishLoading();

    // The object with the keyboard focus, while it stays on the stage.
    swf::DisplayObject* focus();
    // Moves the focus to `object` (null for none): what loses it hears focusOut, then what
    // takes it focusIn, each naming the other.
    void setFocus(swf::DisplayObject* object);
    // A key or a press on `related` asks to move the focus to `next`: the focused object (else
    // the stage) hears `type` (keyFocusChange, mouseFocusChange) naming `related`, and the focus
    // moves unless a listener prevents it.
    void requestFocus(const char* type, swf::DisplayObject* next, swf::DisplayObject* related, uint32_t keyCode,
                      bool shiftKey);

    // A Loader's info stays alive while its file is on the way.
    void keepWhileLoading(Object* info) { loading_.push_back(info); }
    // One load of it ended (a later one may still be on the way).
    void doneLoading(Object* info) {
        if (auto it = std::find(loading_.begin(), loading_.end(), info); it != loading_.end()) loading_.erase(it);
    }

    void markRoots(Marker& marker) const;
    // Runs script work the engine starts: on its own with a fresh bound, or as part of the
    // script running now.
    void runScript(const std::function<void()>& body);
    // The timeline takes `object` out: it hears that it is removed (and leaves the stage).
    void objectLeaving(swf::DisplayObject& object);
    // Sends `type` to the object and everything under it (the stage events).
    void announceStage(swf::DisplayObject& object, const char* type, int depth = 0);
    // The symbol (other than the main timeline) the movie binds to `cls`, or 0.
    uint16_t symbolBoundTo(const ClassObject& cls) const;
    // A class by its qualified name ("flash.display::Stage"), without starting a script run.
    ClassObject* displayClass(const char* name);

  private:
    struct FrameReached {
        std::weak_ptr<swf::DisplayObject> clip;
        int frame;
    };
    void runFrameScript(swf::MovieClip& clip, int frame);
    void runGotoFrame(swf::MovieClip& clip);
    // The goto `clip`'s frame script asked for, once no frame script of its runs.
    void runQueuedGoto(swf::MovieClip& clip);
    bool runningFrameScript(const swf::DisplayObject* clip) const;
    // Runs a queued frame script unless it ran already.
    void runPendingScript(const FrameReached& reached);
    // Parents before their children, children in depth order.
    void sortInTree(std::vector<FrameReached>& reached);
    ClassObject* classFor(const swf::DisplayObject& object);
    void callListeners(DispatcherObject& object, EventObject& event, bool capture);
    double movieTime() const;
    // Sends a FocusEvent to `target` (the stage for null); false when a listener prevented it.
    bool sendFocusEvent(swf::DisplayObject* target, const char* type, swf::DisplayObject* related, bool cancelable,
                        uint32_t keyCode = 0, bool shiftKey = false);

    Machine& machine_;
    MovieContext& context_;
    script::RootsOf<StageBridge> roots_;
    DisplayHandle* stage_ = nullptr;
    std::shared_ptr<swf::DisplayObject> adopting_;  // what the class being constructed wraps
    std::vector<DispatcherObject*> broadcastListeners_;
    std::vector<TimerObject*> timers_;
    std::vector<Object*> loading_;
    std::vector<FrameReached> framesReached_;
    std::vector<FrameReached> pendingScripts_;  // queued, not run yet
    std::vector<const swf::DisplayObject*> framesScripting_;  // clips whose frame script runs now
    std::vector<FrameReached> queuedGotos_;  // gotos waiting for their clip's frame script
    std::weak_ptr<swf::DisplayObject> focus_;
    uint32_t lastCallbackId_ = 0;
    bool loadingFinished_ = false;
    bool rootLinkRefused_ = false;
    int scriptsRunning_ = 0;
};

}  // namespace swf::avm2
