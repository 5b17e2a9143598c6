#pragma once
// The ActionScript 3 side of a playing movie, as the interpreter the frame lifecycle drives:
// the machine, the bytecode of each frame run when the main timeline first reaches it, the
// document class (SymbolClass 0) made on the first frame, timeline objects constructed with
// their classes, frame scripts and the frame events. What ActionScript 1 still does in such a
// movie (buttons' states, sounds) its own runner goes on doing.

#include <memory>
#include <string>

#include "swf/action/ActionRunner.h"
#include "swf/avm2/KeyboardFocus.h"
#include "swf/avm2/Machine.h"
#include "swf/avm2/PointerEvents.h"
#include "swf/avm2/StageBridge.h"

namespace swf {
class MovieContext;
class SwfMovie;
}  // namespace swf

namespace swf::avm2 {

class MovieScripts : public ActionRunner {
  public:
    MovieScripts(MovieContext& context, ActionRunner& inner, Machine::TraceSink trace);
    ~MovieScripts() override;

    Machine& machine() { return machine_; }
    StageBridge& bridge() { return bridge_; }

    void runFrameActions(std::span<const uint8_t> code, MovieClip& clip) override;
    void runInitActions(std::span<const uint8_t> code, MovieClip& root) override;
    void runClipEvent(DisplayObject& object, uint32_t event) override;
    bool hasUnloadHandler(DisplayObject& object) override;
    void objectPlaced(DisplayObject& object) override;
    void handleInput(const InputEvent& event) override;
    bool timersPending() const override;
    void runDueTimers(const std::function<void()>& afterEach) override;
    void followPointer() override;
    void updateBoundText() override;
    void collectGarbage() override;
    void renewActionBound() override;
    size_t scriptObjectCount() const override;
    uint64_t actionsRun() const override;

    void broadcastFrameEvent(FrameEvent event) override;
    void timelinesPlaced() override;
    void frameEntered(MovieClip& clip, int frame) override;
    void objectLeaving(DisplayObject& object) override;

  private:
    MovieContext& context_;
    ActionRunner& inner_;
    Machine machine_;
    StageBridge bridge_;
    PointerEvents pointer_;
    KeyboardFocus keyboard_;
    int framesRun_ = -1;
    bool firstFrameDone_ = false;
};

}  // namespace swf::avm2
