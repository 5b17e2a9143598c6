#pragma once
// The ActionScript 1/2 interpreter as the engine sees it: frame, init and event actions run
// on the machine of this movie; timers fire on the movie's clock; garbage is collected
// between ticks.

#include <memory>

#include "swf/action/ActionRunner.h"
#include "swf/avm1/stage/InputDispatcher.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/stage/StageBridge.h"

namespace swf {
class MovieContext;
}

namespace swf::avm1 {

class ScriptEngine : public ActionRunner {
  public:
    explicit ScriptEngine(MovieContext& context);
    ~ScriptEngine() override;

    void runFrameActions(std::span<const uint8_t> code, MovieClip& clip) override;
    void runInitActions(std::span<const uint8_t> code, MovieClip& root) override;
    void runClipEvent(DisplayObject& object, uint32_t event) override;
    bool hasUnloadHandler(DisplayObject& object) override;
    void objectPlaced(DisplayObject& object) override;
    void handleInput(const InputEvent& event) override { input_.handle(event); }
    bool timersPending() const override { return !machine_.timers().empty(); }
    void runDueTimers(const std::function<void()>& afterEach) override;
    void followPointer() override { input_.frameDone(); }
    void updateBoundText() override;
    void collectGarbage() override { machine_.collectGarbageIfDue(); }
    void renewActionBound() override { machine_.startTick(); }
    size_t scriptObjectCount() const override { return machine_.heap().objectCount(); }
    uint64_t actionsRun() const override { return machine_.totalActionsRun(); }

    Machine& machine() { return machine_; }
    InputDispatcher& input() { return input_; }
    // A button's action list, with the timeline holding the button as its scope.
    void runButtonActions(const std::vector<uint8_t>& code, DisplayObject& timeline);
    // Calls the listeners of the player object named `objectName` (Mouse, Key, Stage).
    void broadcast(const char* objectName, const char* message, std::initializer_list<Value> args);

  private:
    ActionBlock blockOf(std::span<const uint8_t> code) const;
    // Code of `clip`'s movie (a loaded one has its own version and owns its bytes).
    ActionBlock blockOf(std::span<const uint8_t> code, const MovieClip& clip) const;
    // The object's onClipEvent handlers for `event`.
    void runHandlers(DisplayObject& object, uint32_t event);
    // Construct events, then the constructor of the clip's registered class.
    void construct(DisplayObject& object);
    Function* registeredClassOf(DisplayObject& object);
    // A clip of a registered class takes the class's prototype; returns the class.
    Function* takeRegisteredClass(DisplayObject& object);

    MovieContext& context_;
    StageBridge stage_;
    Machine machine_;
    InputDispatcher input_{*this};
};

}  // namespace swf::avm1
