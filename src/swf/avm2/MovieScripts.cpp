#include "swf/avm2/MovieScripts.h"

#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/ClipEvent.h"
#include "swf/movie/SwfMovie.h"

namespace swf::avm2 {

MovieScripts::MovieScripts(MovieContext& context, ActionRunner& inner, Machine::TraceSink trace)
    : context_(context),
      inner_(inner),
      machine_(std::move(trace), context.movie().header.version),
      bridge_(machine_, context),
      pointer_(machine_, bridge_, context),
      keyboard_(machine_, bridge_, context) {
    machine_.setStageBridge(&bridge_);
}

MovieScripts::~MovieScripts() {
    machine_.setStageBridge(nullptr);
}

// An ActionScript 3 movie runs no action records of its own; an ActionScript 1 movie it
// loaded runs them in the first machine.
void MovieScripts::runFrameActions(std::span<const uint8_t> code, MovieClip& clip) {
    if (!clip.ownerMovie()->actionScript3) inner_.runFrameActions(code, clip);
}

void MovieScripts::runInitActions(std::span<const uint8_t> code, MovieClip& root) {
    if (!root.ownerMovie()->actionScript3) inner_.runInitActions(code, root);
}

void MovieScripts::runClipEvent(DisplayObject& object, uint32_t event) {
    if (MovieClip* clip = object.asMovieClip(); clip && !clip->ownerMovie()->actionScript3)
        return inner_.runClipEvent(object, event);
    if (event != kClipConstruct || object.as3Object() || !object.placedByTimeline()) return;
    DisplayObject* parent = object.parent();
    if (!parent) return;
    // Its parent constructs what it holds, announcing each.
    bridge_.runScript([&] { bridge_.constructChildren(*parent); });
}

bool MovieScripts::hasUnloadHandler(DisplayObject&) {
    return false;
}

void MovieScripts::objectLeaving(DisplayObject& object) {
    bridge_.objectLeaving(object);
}

void MovieScripts::objectPlaced(DisplayObject& object) {
    inner_.objectPlaced(object);
}

void MovieScripts::handleInput(const InputEvent& event) {
    inner_.handleInput(event);
    pointer_.deliver(event);
    keyboard_.deliver(event);
}

bool MovieScripts::timersPending() const {
    return bridge_.timersPending() || inner_.timersPending();
}

void MovieScripts::runDueTimers(const std::function<void()>& afterEach) {
    inner_.runDueTimers(afterEach);
    bridge_.runDueTimers();
}

void MovieScripts::followPointer() {
    inner_.followPointer();
}

void MovieScripts::updateBoundText() {
    inner_.updateBoundText();
}

void MovieScripts::collectGarbage() {
    inner_.collectGarbage();
    if (machine_.heap().collectionDue()) machine_.heap().collect();
}

void MovieScripts::renewActionBound() {
    inner_.renewActionBound();
}

size_t MovieScripts::scriptObjectCount() const {
    return const_cast<Machine&>(machine_).heap().objectCount();
}

uint64_t MovieScripts::actionsRun() const {
    return inner_.actionsRun() + machine_.totalSteps();
}

void MovieScripts::broadcastFrameEvent(FrameEvent event) {
    switch (event) {
        case FrameEvent::EnterFrame: bridge_.broadcast("enterFrame"); break;
        case FrameEvent::FrameConstructed: bridge_.broadcast("frameConstructed"); break;
        case FrameEvent::ExitFrame:
            bridge_.broadcast("exitFrame");
            if (!firstFrameDone_) {
                firstFrameDone_ = true;
                bridge_.finishLoading();
            }
            break;
    }
}

void MovieScripts::timelinesPlaced() {
    MovieClip* root = context_.root();
    if (!root) return;
    int frame = root->currentFrame();
    if (frame <= framesRun_) {
        bridge_.queueFrameScripts();
        return;
    }
    bool first = framesRun_ < 0;
    const SwfMovie& movie = context_.movie();
    bridge_.runScript([&] {
        for (const SwfMovie::AbcBlock& block : movie.abcBlocks)
            if (block.frame > framesRun_ && block.frame <= frame) machine_.loadAbc(block.data, block.lazyInitialize);
    });
    framesRun_ = frame;
    if (first) {
        // The main timeline is the stage's first child, named as the player names it.
        root->setName("root1");
        bridge_.runScript([&] {
            bridge_.construct(*root);
            if (Object* script = root->as3Object()) {
                bridge_.dispatch(script, bridge_.newEvent("added", true));
                bridge_.dispatch(script, bridge_.newEvent("addedToStage"));
            }
        });
    }
    bridge_.queueFrameScripts();
}

void MovieScripts::frameEntered(MovieClip& clip, int frame) {
    bridge_.frameEntered(clip, frame);
}

}  // namespace swf::avm2
