#include "swf/player/FrameLifecycle.h"

#include <algorithm>
#include <iterator>
#include <span>

#include "swf/action/ActionRunner.h"
#include "swf/display/ContentRequests.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/ClipEvent.h"
#include "swf/sound/SoundMixer.h"

namespace swf {

namespace {

using Phase = FrameLifecycle::Phase;
using Step = FrameLifecycle::Step;
using Kind = QueuedAction::Kind;

struct PhaseEntry {
    Phase phase;
    bool load, frame, hostGoto, hostInput;  // the steps that run it

    bool runsIn(Step step) const {
        switch (step) {
            case Step::Load: return load;
            case Step::Frame: return frame;
            case Step::Goto: return hostGoto;
            case Step::Input: return hostInput;
        }
        return false;
    }
};

// The one order of the engine's work.
constexpr PhaseEntry kPhases[] = {
    //                          load   frame  goto   input
    {Phase::MixSound,           false, true,  false, false},
    {Phase::CountTick,          false, true,  false, false},
    {Phase::StartStep,          true,  true,  true,  true},
    {Phase::FinishUnloads,      false, true,  false, false},
    {Phase::EnterFirstFrame,    true,  false, false, false},
    {Phase::AdvanceTimelines,   false, true,  false, false},
    {Phase::ArriveLevels,       false, true,  false, false},
    {Phase::EnterFrameEvent,    false, true,  false, false},
    {Phase::HostGoto,           false, false, true,  false},
    {Phase::HostInput,          false, false, false, true},
    {Phase::RunFrameCode,       true,  true,  true,  true},
    {Phase::ConstructObjects,   true,  true,  true,  true},
    {Phase::FrameConstructedEvent, true, true, false, false},
    {Phase::RunActions,         true,  true,  true,  true},
    {Phase::ExitFrameEvent,     true,  true,  false, false},
    {Phase::RunTimers,          true,  true,  true,  true},
    {Phase::FollowPointer,      true,  true,  true,  true},
    {Phase::UpdateBoundText,    true,  true,  true,  true},
    {Phase::CollectGarbage,     true,  true,  true,  true},
    {Phase::RenewActionBound,   true,  true,  true,  true},
    {Phase::RunTimerActions,    true,  true,  true,  true},
    {Phase::ReleaseQueue,       true,  true,  true,  true},
    {Phase::ArriveLoads,        true,  true,  false, false},
    {Phase::RunLoadActions,     true,  true,  false, false},
    {Phase::UpdateLoadedText,   true,  true,  false, false},
    {Phase::ReleaseLoadQueue,   true,  true,  false, false},
    {Phase::Autoplay,           false, true,  false, false},
    {Phase::FrameShown,         true,  true,  false, false},
};

// The phases are declared in this order too.
constexpr bool declaredInOrder() {
    for (size_t i = 0; i < std::size(kPhases); ++i)
        if (static_cast<size_t>(kPhases[i].phase) != i) return false;
    return true;
}
static_assert(declaredInOrder());

// Which queued entries run first: init actions with initialize events, then construct
// events, then frame actions and other events, each group in the order it was queued.
constexpr Kind kInit[] = {Kind::Init};
constexpr Kind kConstruct[] = {Kind::Construct};
constexpr Kind kInTurn[] = {Kind::Frame, Kind::Event, Kind::Callback};
constexpr std::span<const Kind> kActionOrder[] = {kInit, kConstruct, kInTurn};
constexpr std::span<const Kind> kConstructOrder[] = {kInit, kConstruct};

}  // namespace

struct FrameLifecycle::StepState {
    Step step;
    int gotoFrame = 0;
    const InputEvent* input = nullptr;
    size_t budget = MovieContext::kMaxActionListsPerTick;
    bool loadsArrived = false;
};

void FrameLifecycle::start() {
    StepState state{Step::Load};
    run(state);
}

void FrameLifecycle::advanceFrame() {
    StepState state{Step::Frame};
    run(state);
}

void FrameLifecycle::gotoFrame(int frame) {
    StepState state{Step::Goto};
    state.gotoFrame = frame;
    run(state);
}

void FrameLifecycle::deliverInput(const InputEvent& event) {
    StepState state{Step::Input};
    state.input = &event;
    run(state);
}

void FrameLifecycle::run(StepState& state) {
    for (const PhaseEntry& entry : kPhases)
        if (entry.runsIn(state.step)) runPhase(entry.phase, state);
}

void FrameLifecycle::runPhase(Phase phase, StepState& state) {
    switch (phase) {
        case Phase::MixSound:
            if (SoundMixer* mixer = context_.soundMixer()) mixer->mixFrame();
            break;
        case Phase::CountTick:
            context_.nextTick();
            break;
        case Phase::StartStep:
            context_.beginStep();
            break;
        case Phase::FinishUnloads:
            context_.finishUnloads();
            break;
        case Phase::EnterFirstFrame:
            // The main movie's load event follows its first frame's actions.
            root_.enterFirstFrame();
            context_.queueEvent(root_.shared_from_this(), kClipLoad);
            break;
        case Phase::AdvanceTimelines: {
            // ActionScript 1: a clip's children before the clip, each getting its enterFrame
            // event, then moving on (queueing that frame's actions). ActionScript 3 moves
            // parents first.
            auto clips = context_.clipsNewestFirst();
            if (context_.movie().actionScript3) std::reverse(clips.begin(), clips.end());
            for (const auto& clip : clips) {
                if (clip->bornTick() == context_.tick() || clip->contentLoadedAt(context_.tick()) ||
                    !clip->onStage() || clip->unloadQueued())
                    continue;
                context_.queueEvent(clip, kClipEnterFrame);
                clip->advance();
            }
            break;
        }
        case Phase::ArriveLevels:
            // In turn with the step's actions: the enterFrame events queued so far run before
            // the level is there, its first frame's actions right after them.
            if (ContentRequests* loader = context_.loader(); loader && loader->pendingCount() > 0)
                context_.queueCallback([this] {
                    if (ContentRequests* now = context_.loader()) now->arriveLevels();
                });
            break;
        case Phase::HostGoto:
            root_.gotoFrame(state.gotoFrame);
            break;
        case Phase::HostInput:
            runner_.handleInput(*state.input);
            break;
        case Phase::EnterFrameEvent:
            runner_.broadcastFrameEvent(ActionRunner::FrameEvent::EnterFrame);
            break;
        case Phase::RunFrameCode:
            runner_.timelinesPlaced();
            break;
        case Phase::ConstructObjects:
            drain(state.budget, kConstructOrder);
            break;
        case Phase::FrameConstructedEvent:
            runner_.broadcastFrameEvent(ActionRunner::FrameEvent::FrameConstructed);
            break;
        case Phase::ExitFrameEvent:
            runner_.broadcastFrameEvent(ActionRunner::FrameEvent::ExitFrame);
            break;
        case Phase::RunActions:
        case Phase::RunTimerActions:
            drain(state.budget, kActionOrder);
            break;
        case Phase::RunTimers:
            runner_.runDueTimers([&] { drain(state.budget, kActionOrder); });
            break;
        case Phase::FollowPointer:
            runner_.followPointer();
            break;
        case Phase::UpdateBoundText:
            runner_.updateBoundText();
            break;
        case Phase::CollectGarbage:
            runner_.collectGarbage();
            break;
        case Phase::RenewActionBound:
            runner_.renewActionBound();
            break;
        case Phase::ReleaseQueue:
            context_.queueDrained();
            break;
        case Phase::ArriveLoads:
            // The files arrive as the step ends: text goes to its handlers, a loaded movie's
            // first frame runs (with the events that follow it).
            if (ContentRequests* loader = context_.loader(); loader && loader->pendingCount() > 0) {
                loader->completePending();
                state.loadsArrived = true;
                state.budget = MovieContext::kMaxActionListsPerTick;
            }
            break;
        case Phase::RunLoadActions:
            if (state.loadsArrived) drain(state.budget, kActionOrder);
            break;
        case Phase::UpdateLoadedText:
            if (state.loadsArrived) runner_.updateBoundText();
            break;
        case Phase::ReleaseLoadQueue:
            if (state.loadsArrived) context_.queueDrained();
            break;
        case Phase::Autoplay:
            if (autoplay_) playOnIfStuck();
            break;
        case Phase::FrameShown:
            ++framesShown_;
            if (frameShown_) frameShown_(framesShown_);
            break;
    }
}

void FrameLifecycle::drain(size_t& budget, std::span<const std::span<const Kind>> order) {
    QueuedAction next;
    const auto takeNext = [&] {
        return std::any_of(order.begin(), order.end(),
                           [&](std::span<const Kind> kinds) {
                               return context_.takeFirstOf(kinds, next);
                           });
    };
    while (takeNext()) {
        if (budget == 0 || context_.quitRequested()) continue;  // drained, not run
        --budget;
        switch (next.kind) {
            case Kind::Init:
                if (!next.code)
                    runner_.runClipEvent(*next.object, next.event);
                else if (MovieClip* root = next.object->asMovieClip())
                    runner_.runInitActions(*next.code, *root);
                break;
            case Kind::Frame:
                if (MovieClip* clip = next.object->asMovieClip();
                    clip && clip->onStage() && !clip->unloadQueued())
                    runner_.runFrameActions(*next.code, *clip);
                break;
            case Kind::Event:
                // Once unloaded, an object has no other events, but one that waits for its
                // unload handlers still gets the load event queued before its removal.
                if (next.event != kClipUnload && next.object->unloadQueued() &&
                    (next.event != kClipLoad || !next.object->parent()))
                    break;
                [[fallthrough]];
            case Kind::Construct:
                runner_.runClipEvent(*next.object, next.event);
                break;
            case Kind::Callback:
                if (next.callback) next.callback();
                break;
        }
    }
}

void FrameLifecycle::playOnIfStuck() {
    bool stuck = !root_.playing() && root_.currentFrame() + 1 < root_.frameCount() &&
                 !runner_.timersPending();
    stoppedFrames_ = stuck ? stoppedFrames_ + 1 : 0;
    if (stoppedFrames_ < std::max(1.0, context_.movie().header.frameRate)) return;
    stoppedFrames_ = 0;
    root_.play();
}

}  // namespace swf
