#pragma once
// What the engine asks of the interpreter of the movie's actions. The frame lifecycle decides
// when each runs; the interpreter decides what the actions do.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace swf {

class DisplayObject;
struct InputEvent;
class MovieClip;

class ActionRunner {
  public:
    virtual ~ActionRunner() = default;
    // A DoAction body of `clip`'s timeline.
    virtual void runFrameActions(std::span<const uint8_t> code, MovieClip& clip) = 0;
    // A DoInitAction body, run once with the main timeline as its scope.
    virtual void runInitActions(std::span<const uint8_t> code, MovieClip& root) = 0;
    // A clip event (ClipEventFlag) of an object: its onClipEvent handlers and event method.
    virtual void runClipEvent(DisplayObject& object, uint32_t event) = 0;
    // True when the object's unload event would run a handler or an onUnload method.
    virtual bool hasUnloadHandler(DisplayObject& object) = 0;
    // A timeline or script placed `object` (named, in its list) before its first frame is built.
    virtual void objectPlaced(DisplayObject& object) = 0;
    // A mouse or keyboard event of the host, its position in stage twips: the objects under
    // the pointer and the listeners get their events (queued or run at once).
    virtual void handleInput(const InputEvent& event) = 0;
    // True while an interval or timeout is waiting to fire.
    virtual bool timersPending() const = 0;
    // The interpreter's parts of a step, which the frame lifecycle puts in their order.
    // Intervals and timeouts whose time has come; `afterEach` runs what one call queued (the
    // player runs a timer's actions before the next timer fires).
    virtual void runDueTimers(const std::function<void()>& afterEach) = 0;
    // After the scripts: what moved under a pointer that stands still rolls over or out, and
    // the focus rectangle follows its object.
    virtual void followPointer() = 0;
    // Text fields bound to variables show what the scripts set.
    virtual void updateBoundText() = 0;
    // Frees the script objects nothing reaches, when a collection is due.
    virtual void collectGarbage() = 0;
    // The actions from here on count against a fresh bound.
    virtual void renewActionBound() = 0;
    // Script objects alive now (for diagnostics and the collector's tests).
    virtual size_t scriptObjectCount() const = 0;
    // Action records run since the movie started.
    virtual uint64_t actionsRun() const = 0;

    // ActionScript 3's parts of a step; ActionScript 1 has none of them.
    // The events every listening object hears at its point of the frame.
    enum class FrameEvent { EnterFrame, FrameConstructed, ExitFrame };
    virtual void broadcastFrameEvent(FrameEvent) {}
    // The timelines stand on their frames: the main timeline's bytecode for them runs (and,
    // the first time, the document class is made).
    virtual void timelinesPlaced() {}
    // `clip` reached `frame` by playing or a goto: its frame script waits in the queue.
    virtual void frameEntered(MovieClip&, int) {}
    // The timeline is about to take `object` out of its list.
    virtual void objectLeaving(DisplayObject&) {}
};

}  // namespace swf
