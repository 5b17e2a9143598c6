#pragma once
// The order of a movie's work. Every step the engine takes (loading a movie, one frame, a
// goto or an input event of the host) runs phases of one list, always in the list's order;
// each phase says which steps run it. Nothing else decides what comes before what: the
// timelines, the interpreter, the sound mixer and the loader only do what their phase asks.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "swf/display/MovieContext.h"

namespace swf {

class ActionRunner;
class MovieClip;
class MovieContext;
struct InputEvent;

class FrameLifecycle {
  public:
    enum class Step { Load, Frame, Goto, Input };

    // The phases in the order they run.
    enum class Phase {
        MixSound,          // the sound of the frame shown until now goes to the host's queue
        CountTick,         // the movie's tick count moves on
        StartStep,         // the objects the step makes are counted from here
        FinishUnloads,     // what waited for its unload handlers leaves its list
        EnterFirstFrame,   // the main timeline shows its first frame
        AdvanceTimelines,  // newest clips first: its enterFrame event is queued, it moves on
        ArriveLevels,      // the level movies asked for last step arrive after the events so far
        EnterFrameEvent,   // ActionScript 3's enterFrame goes to every listener
        HostGoto,          // the host moves the main timeline
        HostInput,         // the host's mouse or keyboard event reaches the objects
        RunFrameCode,      // the main timeline's bytecode for its frame, the document class
        ConstructObjects,  // init actions, construct events and constructors of the queue
        FrameConstructedEvent,  // ActionScript 3's frameConstructed
        RunActions,        // the rest of the queue (see kActionOrder): frame scripts, events
        ExitFrameEvent,    // ActionScript 3's exitFrame
        RunTimers,         // intervals and timeouts that are due
        FollowPointer,     // what moved under a standing pointer rolls over or out
        UpdateBoundText,   // text fields bound to variables show what the scripts set
        CollectGarbage,    // unreachable script objects go, when a collection is due
        RenewActionBound,  // the actions from here on count against a fresh bound
        RunTimerActions,   // what the timers queued (a goto in an interval)
        ReleaseQueue,      // what a replaced timeline owned goes, nothing points into it now
        ArriveLoads,       // the files the step asked for arrive; the load phases need some
        RunLoadActions,    // their handlers, a loaded movie's first frame and its events
        UpdateLoadedText,  // bound text shows what the handlers set
        ReleaseLoadQueue,
        Autoplay,          // a main timeline that stands stuck plays on, if the host wants it
        FrameShown,        // the host hears the frame is shown (its scripted input goes in)
    };

    FrameLifecycle(MovieContext& context, MovieClip& root, ActionRunner& runner)
        : context_(context), root_(root), runner_(runner) {}

    // The movie's first frame.
    void start();
    // One frame interval.
    void advanceFrame();
    // The host moves the main timeline.
    void gotoFrame(int frame);
    // The host's mouse or keyboard event (position in stage twips), between two frames.
    void deliverInput(const InputEvent& event);

    // A main timeline that has stood stopped before its last frame for a second, with no
    // interval left to move it, plays on (movies that wait on a button).
    void setAutoplay(bool autoplay) { autoplay_ = autoplay; }
    // Called with K once the K-th frame since loading is shown (loading shows the first).
    void setFrameShownHandler(std::function<void(size_t)> handler) {
        frameShown_ = std::move(handler);
    }

  private:
    struct StepState;

    void run(StepState& state);
    void runPhase(Phase phase, StepState& state);
    // Runs queued entries of the kinds `order` names, in its order, until none is left; past
    // the budget they are dropped unrun.
    void drain(size_t& budget, std::span<const std::span<const QueuedAction::Kind>> order);
    void playOnIfStuck();

    MovieContext& context_;
    MovieClip& root_;
    ActionRunner& runner_;
    bool autoplay_ = false;
    int stoppedFrames_ = 0;
    size_t framesShown_ = 0;
    std::function<void(size_t)> frameShown_;
};

}  // namespace swf
