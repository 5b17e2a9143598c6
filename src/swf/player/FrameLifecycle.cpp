#include "swf/player/FrameLifecycle.h"

#include "swf/action/ActionRunner.h"
#include "swf/display/ContentRequests.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/ClipEvent.h"

namespace swf {

void FrameLifecycle::start() {
    context_.beginStep();
    root_.enterFirstFrame();
    runQueue();
    completeLoads();
}

void FrameLifecycle::tick() {
    context_.nextTick();
    context_.finishUnloads();
    // Newest clips first, a clip's children before the clip: each gets its enterFrame event,
    // then its timeline moves on (queueing that frame's actions).
    for (const auto& clip : context_.clipsNewestFirst()) {
        if (clip->bornTick() == context_.tick() || clip->contentLoadedAt(context_.tick()) ||
            !clip->onStage() || clip->unloadQueued())
            continue;
        context_.queueEvent(clip, kClipEnterFrame);
        clip->advance();
    }
    runQueue();
    completeLoads();
}

void FrameLifecycle::completeLoads() {
    // The files the frame asked for arrive as it ends: text goes to its handlers, a loaded
    // movie's first frame runs (with the events that follow it).
    ContentRequests* loader = context_.loader();
    if (!loader || loader->pendingCount() == 0) return;
    loader->completePending();
    size_t budget = MovieContext::kMaxActionListsPerTick;
    drain(budget);
    runner_.afterLoads();
    context_.queueDrained();
}

void FrameLifecycle::gotoFrame(int frame) {
    context_.beginStep();
    root_.gotoFrame(frame);
    runQueue();
}

void FrameLifecycle::deliverInput(const InputEvent& event) {
    context_.beginStep();
    runner_.handleInput(event);
    runQueue();
}

void FrameLifecycle::runQueue() {
    size_t budget = MovieContext::kMaxActionListsPerTick;
    drain(budget);
    runner_.afterActions();
    drain(budget);  // what the timers queued (a goto in an interval)
    context_.queueDrained();
}

void FrameLifecycle::drain(size_t& budget) {
    QueuedAction next;
    while (context_.takeNextAction(next)) {
        if (budget == 0 || context_.quitRequested()) continue;  // drained, not run
        --budget;
        switch (next.kind) {
            case QueuedAction::Kind::Init:
                if (MovieClip* root = next.object->asMovieClip())
                    runner_.runInitActions(*next.code, *root);
                break;
            case QueuedAction::Kind::Frame:
                if (MovieClip* clip = next.object->asMovieClip();
                    clip && clip->onStage() && !clip->unloadQueued())
                    runner_.runFrameActions(*next.code, *clip);
                break;
            case QueuedAction::Kind::Event:
                // Once unloaded, an object has no other events.
                if (next.event != kClipUnload && next.object->unloadQueued()) break;
                [[fallthrough]];
            case QueuedAction::Kind::Construct:
                runner_.runClipEvent(*next.object, next.event);
                break;
            case QueuedAction::Kind::Callback:
                if (next.callback) next.callback();
                break;
        }
    }
}

}  // namespace swf
