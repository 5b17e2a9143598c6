#pragma once
// The order of a movie's work in one step: which clips get their enterFrame event and
// advance, in what order; then the action queue (init actions first, then frame actions and
// events in the order they were queued); then the timers and the collection of garbage.
// Loading, ticks and the host's gotos all go through here.

#include <cstddef>

namespace swf {

class ActionRunner;
class MovieClip;
class MovieContext;
struct InputEvent;

class FrameLifecycle {
  public:
    FrameLifecycle(MovieContext& context, MovieClip& root, ActionRunner& runner)
        : context_(context), root_(root), runner_(runner) {}

    // The movie's first frame.
    void start();
    // One frame interval.
    void tick();
    // The host moves the main timeline.
    void gotoFrame(int frame);
    // The host's mouse or keyboard event (position in stage twips), between two frames.
    void deliverInput(const InputEvent& event);

  private:
    void runQueue();
    // Answers the loads the step asked for and runs what they queued.
    void completeLoads();
    // Runs queued entries until none is left; past the budget they are dropped unrun.
    void drain(size_t& budget);

    MovieContext& context_;
    MovieClip& root_;
    ActionRunner& runner_;
};

}  // namespace swf
