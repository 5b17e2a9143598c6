#pragma once
// One run of an action block: a frame script, an event handler or a function call. It holds
// the operand stack, the registers, the constant pool, the scope chain and the target clip,
// and executes the action records one after another.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "swf/avm1/machine/ActionBlock.h"
#include "swf/avm1/machine/Function.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/format/ActionReader.h"

namespace swf {
class DisplayObject;
class MovieClip;
}

namespace swf::avm1 {

class Activation {
  public:
    static constexpr size_t kMaxStack = 100000;

    // A frame script or event handler of `clip`; a thrown value nobody catches ends it with
    // the player's warning line, a limit ends it with a line of its own.
    static void runTimelineActions(Machine& machine, const ActionBlock& block,
                                   DisplayObject& timeline);
    // A call of a function the movie defined; with a `lender`, on its timeline and by its
    // version's rules.
    static Value callFunction(Machine& machine, Function& function, Object* self,
                              std::span<const Value> args, Object* home,
                              const Activation* lender = nullptr);
    // Runs `body` as the top of an action list: script errors and limits end it here.
    template <class Body>
    static void runGuarded(Machine& machine, Body&& body) {
        try {
            body();
        } catch (const ScriptThrow& thrown) {
            reportUncaught(machine, thrown.value);
        } catch (const ScriptLimitError& error) {
            reportLimit(machine, error);
        }
    }

    int swfVersion() const { return version_; }
    Object* target() const { return target_; }  // where tellTarget points now
    bool constructs() const { return constructs_; }  // a function's body run by `new`

  private:
    enum class Outcome { Normal, Return, JumpOut };

    Activation(Machine& machine, ActionBlock block);
    ~Activation();
    Activation(const Activation&) = delete;
    Activation& operator=(const Activation&) = delete;
    static void reportUncaught(Machine& machine, const Value& value);
    static void reportLimit(Machine& machine, const ScriptLimitError& error);

    // Executes the records from `start` to `end` (byte offsets). A jump that leaves the range
    // ends it with JumpOut and the target in jumpTarget_.
    Outcome execute(size_t start, size_t end);

    // The record running, and where the code goes on after it (actions that own the code
    // after them, like a function body or a try block, move `pc` past it).
    struct Step {
        const ActionRecord& record;
        size_t& pc;
        size_t end;
    };
    using ActionMethod = Outcome (Activation::*)(Step&);
    static const std::array<ActionMethod, 256> kActions;
    static constexpr size_t kMaxArguments = 65536;

    // Register r: DefineFunction2 code past its own count reaches the registers of the frame
    // script running; null when there is no such register.
    Value* registerSlot(size_t r);
    Value pop();
    void push(Value value);
    // Comparisons give 1 and 0 in SWF 4, booleans later.
    bool swf4() const { return version_ < 5; }
    void pushBool(bool value) { push(swf4() ? Value(value ? 1.0 : 0.0) : Value(value)); }
    Value& top();
    std::vector<Value> popArguments();
    // What a call or new with no method name calls: the value, a primitive boxed first.
    Value calleeOf(const Value& value);
    // The two operands of a binary action, first operand first. Which one the player
    // converts first differs by action (subtract, divide and == take the second first, as
    // the string actions all do).
    std::pair<double, double> popNumbers(bool secondFirst = false);
    std::pair<std::string, std::string> popStrings();

    // Variables and paths.
    Value getVariable(std::string_view name);
    void setVariable(std::string_view name, const Value& value);
    // Whether a scope object takes an assignment to that name.
    bool takesAssignment(Object* scope, std::string_view name);
    void defineLocal(std::string_view name, const Value& value);
    // The clip a target path names ("/a/b", "_root.a", "../b"), from the target clip.
    Object* resolveTarget(std::string_view path, bool variablePath = false);
    // SWF 4's paths: slashes and ".." between child clips' names, "_levelN" (or
    // "_flashN") only first.
    Object* resolveSwf4Target(std::string_view path);
    // The clip an action's target operand names: a clip, or a path as text ("" the target).
    Object* targetOperand(const Value& target);
    // Splits "path:name" or "path.name" into the object and the name; false if not a path.
    bool resolvePathVariable(std::string_view name, Object*& object, std::string& member);
    // The same for the left side of an assignment, where "/a/b" names b on /a.
    bool assignmentTarget(std::string_view name, Object*& object, std::string& member);
    // The object `var name` defines its variable on, and the variable's name there.
    Object* localScope(std::string_view name, std::string& member);
    // Delete2: the variable the name finds on the scope chain (or its path names).
    bool deleteVariable(const std::string& name);
    // True when the script stops with its own clip, addresses it and it has been removed.
    bool ownClipRemoved() const;
    Object* namedScopeValue(std::string_view name, bool& found);
    // The clip timeline actions act on; after a tellTarget that named nothing, the main
    // timeline.
    MovieClip* targetClip();
    // The same, but nothing after a tellTarget that named nothing: the goto actions that
    // carry their frame (GotoFrame, GotoLabel) then go nowhere.
    MovieClip* namedTargetClip();
    void setTargetClip(Object* target);
    // tellTarget's end: the code's own timeline again.
    void restoreTarget();
    // SetTarget and SetTarget2 with a path: "" restores the code's own timeline.
    void setTargetPath(std::string_view path);

    void gotoFrame(MovieClip* clip, const Value& frame, bool play, int sceneBias);
    void getUrl(const std::string& url, const std::string& window, uint8_t flags);
    void callFrame(const Value& frame);
    bool frameLoaded(const Value& frame);
    void skipActions(size_t& pc, size_t end, unsigned count);
    Outcome jumpBy(const Step& step, int16_t offset);
    static bool isPath(std::string_view name);

    // Timelines, targets, properties, loading and the stage (MovieActions.cpp).
    Outcome runNextOrPreviousFrame(Step& step);  // NextFrame, PreviousFrame
    Outcome runPlay(Step& step);
    Outcome runStop(Step& step);
    Outcome runStopSounds(Step& step);
    Outcome runIgnored(Step& step);  // ToggleQuality, StrictMode
    Outcome runSetTarget2(Step& step);
    Outcome runSetTarget(Step& step);
    Outcome runGetProperty(Step& step);
    Outcome runSetProperty(Step& step);
    Outcome runCloneSprite(Step& step);
    Outcome runRemoveSprite(Step& step);
    Outcome runTrace(Step& step);
    Outcome runStartDrag(Step& step);
    Outcome runEndDrag(Step& step);
    Outcome runGetTime(Step& step);
    Outcome runTargetPath(Step& step);
    Outcome runGotoFrame(Step& step);
    Outcome runGotoLabel(Step& step);
    Outcome runGotoFrame2(Step& step);
    Outcome runGetUrl(Step& step);
    Outcome runGetUrl2(Step& step);
    Outcome runWaitForFrame(Step& step);
    Outcome runWaitForFrame2(Step& step);
    Outcome runCall(Step& step);

    // Arithmetic, comparison, strings and conversions (ValueActions.cpp).
    Outcome runAdd(Step& step);
    Outcome runSubtract(Step& step);
    Outcome runMultiply(Step& step);
    Outcome runDivide(Step& step);
    Outcome runEquals(Step& step);
    Outcome runLess(Step& step);
    Outcome runAnd(Step& step);
    Outcome runOr(Step& step);
    Outcome runNot(Step& step);
    Outcome runStringEquals(Step& step);
    Outcome runStringLess(Step& step);
    Outcome runStringGreater(Step& step);
    Outcome runStringLength(Step& step);   // StringLength, MbStringLength
    Outcome runStringExtract(Step& step);  // StringExtract, MbStringExtract
    Outcome runStringAdd(Step& step);
    Outcome runCharToAscii(Step& step);  // CharToAscii, MbCharToAscii
    Outcome runAsciiToChar(Step& step);  // AsciiToChar, MbAsciiToChar
    Outcome runToInteger(Step& step);
    Outcome runRandomNumber(Step& step);
    Outcome runModulo(Step& step);
    Outcome runAdd2(Step& step);
    Outcome runLess2(Step& step);
    Outcome runGreater(Step& step);
    Outcome runEquals2(Step& step);
    Outcome runStrictEquals(Step& step);
    Outcome runToNumber(Step& step);
    Outcome runToString(Step& step);
    Outcome runIncrement(Step& step);
    Outcome runDecrement(Step& step);
    Outcome runBitwise(Step& step);  // BitAnd, BitOr, BitXor, BitLShift, BitRShift, BitURShift

    // Variables, members, calls and objects (ObjectActions.cpp).
    Outcome runPop(Step& step);
    Outcome runGetVariable(Step& step);
    Outcome runSetVariable(Step& step);
    Outcome runThrow(Step& step);
    Outcome runCastOp(Step& step);
    Outcome runImplementsOp(Step& step);
    Outcome runDelete(Step& step);
    Outcome runDelete2(Step& step);
    Outcome runDefineLocal(Step& step);
    Outcome runDefineLocal2(Step& step);
    Outcome runCallFunction(Step& step);
    Outcome runCallMethod(Step& step);
    Outcome runNewObject(Step& step);
    Outcome runNewMethod(Step& step);
    Outcome runInitArray(Step& step);
    Outcome runInitObject(Step& step);
    Outcome runTypeOf(Step& step);
    Outcome runEnumerate(Step& step);  // Enumerate, Enumerate2
    Outcome runPushDuplicate(Step& step);
    Outcome runStackSwap(Step& step);
    Outcome runGetMember(Step& step);
    Outcome runSetMember(Step& step);
    Outcome runInstanceOf(Step& step);
    Outcome runExtends(Step& step);

    // Values pushed, branches, functions and blocks (ControlActions.cpp).
    Outcome runReturn(Step& step);
    Outcome runStoreRegister(Step& step);
    Outcome runConstantPool(Step& step);
    Outcome runDefineFunction(Step& step);  // DefineFunction, DefineFunction2
    Outcome runTry(Step& step);
    Outcome runWith(Step& step);
    Outcome runPush(Step& step);
    Outcome runJump(Step& step);
    Outcome runIf(Step& step);
    Machine& machine_;
    ActionBlock block_;
    int version_;
    std::vector<Value>& stack_;  // the machine's
    std::vector<Value> registers_;
    std::shared_ptr<const std::vector<std::string>> constants_;
    std::vector<ScopeEntry> scope_;
    int withDepth_ = 0;  // with blocks open in this code
    Object* this_ = nullptr;
    Object* target_ = nullptr;      // the stage object actions like play() act on
    const Activation* caller_;      // the code running before this, back at its end
    Object* base_ = nullptr;        // the clip the code belongs to
    Object* targetLink_ = nullptr;  // the scope chain's timeline link before any tellTarget
    Object* home_ = nullptr;        // where the running method was found, for super
    Function* callee_ = nullptr;
    Object* locals_ = nullptr;  // a function's own variables
    Object* arguments_ = nullptr;
    Value returnValue_;
    size_t jumpTarget_ = 0;
    bool haltsWithBase_ = false;
    // Set by a call or construction that reached an object (or a function by name): the
    // point where a script whose clip has been removed stops.
    bool reachedCall_ = false;
    bool thisHidden_ = false;
    bool ownRegistersOnly_ = true;
    bool constructs_ = false;
    bool thisAssigned_ = false;  // a script assigned `this`: thisValue_ is what it reads
    Value thisValue_;            // DefineFunction2 preloaded or suppressed `this`
};

}  // namespace swf::avm1
