#pragma once
// The ActionScript 1/2 machine of one movie: its heap, the global object and the built-in
// classes, the conversions between values by the movie's version rules, property access
// (prototype chains, getters and setters, __resolve) and calls.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "swf/avm1/machine/BuiltinStates.h"
#include "swf/avm1/machine/Function.h"
#include "swf/avm1/machine/Heap.h"
#include "swf/avm1/machine/NativeRegistry.h"
#include "swf/avm1/machine/Object.h"
#include "swf/avm1/machine/StageAccess.h"
#include "swf/avm1/machine/Timers.h"
#include "swf/avm1/machine/Value.h"

namespace swf {
class DisplayObject;
class MovieClip;
class MovieContext;
}  // namespace swf

namespace swf::avm1 {

class Activation;
class ArrayObject;
class StageObject;
struct NativeMember;

// A value thrown by a script (ActionThrow, or an error of a native function), travelling
// through native code until a try block or the end of the action list takes it.
struct ScriptThrow {
    Value value;
};

// Calls nested past the player's bound: the action list ends without a word in the trace.
class RecursionLimitError : public ScriptLimitError {
  public:
    RecursionLimitError() : ScriptLimitError("256 levels of recursion were exceeded in one action list") {}
};

// The built-in prototypes the machine gives the objects it makes itself (literals, boxed
// primitives, display objects, errors). Each is a root: a script deleting a class from
// _global leaves its prototype to the objects made later.
struct Prototypes {
    explicit Prototypes(Heap& heap)
        : object(heap), function(heap), array(heap), string(heap), number(heap), boolean(heap),
          date(heap), error(heap), movieClip(heap), button(heap), textField(heap), video(heap) {}
    Rooted<Object> object;
    Rooted<Object> function;
    Rooted<Object> array;
    Rooted<Object> string;
    Rooted<Object> number;
    Rooted<Object> boolean;
    Rooted<Object> date;
    Rooted<Object> error;
    Rooted<Object> movieClip;
    Rooted<Object> button;
    Rooted<Object> textField;
    Rooted<Object> video;
    // What the Video prototype gains when the first video object reaches a script.
    std::span<const NativeMember> videoProperties;
    bool videoPropertiesAdded = false;
};

// _global, the built-in classes and their prototypes as one family of SWF versions sees them.
// The player keeps two apart, for code of SWF 6 and before and for code of SWF 7 and later: a
// movie loaded from the other family meets built-ins of its own, and its objects are no
// instances of the other family's classes.
struct Realm {
    explicit Realm(Heap& heap) : global(heap), prototypes(heap), states(heap) {}
    Rooted<Object> global;
    Prototypes prototypes;
    BuiltinStates states;  // what the classes keep beside their objects (a class's prototype)
    // Object.registerClass: export names and the constructors of their clips.
    std::vector<std::pair<std::string, Rooted<Object>>> registeredClasses;
    bool installed = false;
};

class Machine {
  public:
    // Nested calls past the movie's ScriptLimits (256 levels by default, the action list
    // counted as one) end the list; a movie may lower the bound but not raise it past this.
    static constexpr int kMaxCallDepth = 256;
    static constexpr int kMaxPrototypeChain = 256;    // a looped __proto__ chain ends here
    // Getters and setters running inside one another: past this many the next is not called
    // (a getter then reads the value last assigned to the pair). Each pair and each watch
    // counts on its own: two properties calling each other run this many levels of each.
    // Before SWF 7 a pair or watch does not run inside itself at all.
    static constexpr int kMaxAccessorDepth = 65;
    static constexpr uint64_t kMaxActionsPerList = 5'000'000;
    // All the lists of one frame together (frame scripts, events, every timer firing).
    static constexpr uint64_t kMaxActionsPerTick = 10'000'000;
    static constexpr size_t kMaxStringLength = 64u << 20;

    // `stage` answers for display objects; `installClasses` fills the global object.
    Machine(MovieContext& context, int swfVersion, StageAccess& stage,
            void (*installClasses)(Machine&));
    ~Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    MovieContext& context() { return context_; }
    StageAccess& stage() { return stage_; }
    Heap& heap() { return heap_; }
    const Heap& heap() const { return heap_; }
    // The SWF version of the code running now, the movie's own when none runs: a movie loaded
    // from another version keeps its own rules for names, conversions and hidden properties.
    int swfVersion() const { return heap_.swfVersion(); }
    bool caseSensitive() const { return heap_.caseSensitive(); }
    bool namesEqual(std::string_view a, std::string_view b) const;
    // The global object of the running code's family of versions.
    Object* global() const { return realm().global; }
    // A fresh id for a getter/setter pair being made.
    uint32_t newAccessorId() { return ++lastAccessorId_; }
    const Prototypes& prototypes() const { return realm().prototypes; }
    Prototypes& prototypes() { return realm().prototypes; }
    // What a built-in class keeps for the running code's family (the prototype it makes its
    // objects with); natives().state holds what every family shares.
    template <class State>
    State& realmState() {
        return realm().states.get<State>();
    }
    // Code of `version` runs from now on: its family's built-ins, installed the first time.
    void useVersion(int version);
    // The player object `name` (Key, Mouse, Selection, ...) of each family installed so far,
    // for events every movie hears.
    std::vector<Object*> playerObjects(std::string_view name) const;

    // Objects.
    Object* newObject(Object* proto = nullptr);  // default: Object.prototype
    ArrayObject* newArray();
    ArrayObject* newArray(std::span<const Value> values);
    Function* newFunction(NativeFunction native, InstanceMaker maker = {});
    // Gives a function made while scripts run (DefineFunction, ASnative) the prototype and
    // constructor of what _global.Function holds at that moment, as if made by it: none when
    // that is no object, and a primitive prototype kept as its __proto__.
    void linkToFunctionClass(Function& function);
    // A constructor function with its prototype linked both ways.
    Function* defineClass(Object* on, std::string_view name, Object* prototype,
                          NativeFunction native, InstanceMaker maker = {});
    // An Error object of the built-in class, with this message.
    Value makeError(std::string_view message);

    // Conversions, by this movie's version rules.
    std::string toString(const Value& value);
    double toNumber(const Value& value);
    bool toBoolean(const Value& value);
    int32_t toInt32(const Value& value);
    // Default: a date as text, anything else as a number (what + and < use).
    enum class Hint { Default, Number, String };
    Value toPrimitive(const Value& value, Hint hint = Hint::Number);
    bool isDateObject(Object* object) const;
    // A method as conversions and super() look it up, past __resolve; undefined if it is no
    // function.
    Value methodPastResolve(Object* object, std::string_view name);
    // A property as the player's own methods read it (an array's length): through the
    // prototypes and getters, past __resolve.
    Value getPastResolve(Object* object, std::string_view name) {
        return getFromObject(object, object, name);
    }
    // The object a value stands for: primitives boxed through the global class of their type
    // as it is now; null for undefined and null, and when that global is no function.
    Object* toObject(const Value& value);
    const char* typeOf(const Value& value);
    bool equals(const Value& a, const Value& b);        // ==
    bool strictEquals(const Value& a, const Value& b);  // ===
    // a < b: true, false, or undefined when either is NaN.
    Value lessThan(const Value& a, const Value& b);
    Value add(const Value& a, const Value& b);
    // A string of at most kMaxStringLength bytes, or a ScriptLimitError.
    static void checkLength(size_t length);

    // Properties. A stage object whose display object is gone is looked up again by its path.
    Value get(const Value& target, std::string_view name);
    Value get(Object* object, std::string_view name) { return get(Value(object), name); }
    void set(const Value& target, std::string_view name, const Value& value);
    void set(Object* object, std::string_view name, const Value& value) {
        set(Value(object), name, value);
    }
    bool has(Object* object, std::string_view name);
    // The object up the prototype chain (from `object`) that holds `name`, or null.
    Object* holderOf(Object* object, std::string_view name);
    bool deleteProperty(Object* object, std::string_view name);
    // Every name a for..in loop visits, in the player's order.
    std::vector<std::string> enumerate(Object* object);
    Object* liveObject(Object* object);

    // Calls. `home` is the object on the prototype chain the method was found on, for super.
    // `lender`, when given, is the code whose timeline and version the function runs with.
    Value call(const Value& function, Object* self, std::span<const Value> args,
               Object* home = nullptr, const Activation* lender = nullptr);
    Value callMethod(const Value& target, std::string_view name, std::span<const Value> args);
    Value construct(const Value& function, std::span<const Value> args);
    // Runs a native constructor on an object already made: `new`, and super() of a class
    // derived from a native one, which so gives the instance its value (a Boolean's, ...).
    Value constructNative(Function& function, Object* instance, std::span<const Value> args);
    // True while a native function runs as a constructor (`new`).
    bool constructing() const { return constructing_; }
    // True when the script function running now was called by `new`.
    bool runningConstructor() const;
    // Taken by the script function `new` calls next: whether it is that call.
    bool takeScriptConstruction() { return std::exchange(constructingScript_, false); }

    // The scripted counterpart of a display object, made when first asked for.
    StageObject* stageObject(DisplayObject& object);
    // The display object a value names (a clip, button or text field), or null.
    DisplayObject* displayObjectOf(const Value& value);
    MovieClip* movieClipOf(const Value& value);
    // The target path ("_level0.a.b") of a display object.
    std::string targetPath(DisplayObject& object);
    std::string slashPath(DisplayObject& object);

    // Runs an action block with `timeline` (a clip, or the button holding a button) as its
    // timeline and scope.
    void runActions(const ActionBlock& block, DisplayObject& timeline);
    // Calls a method of a display object's script object, if it has one (onLoad, ...).
    void callEventMethod(DisplayObject& object, std::string_view name);

    void trace(const std::string& line);
    // Counts an action (or a native's share of work) against the list's and the frame's
    // bounds; a ScriptLimitError once either is used up.
    void chargeAction() {
        ++totalActionsRun_;
        if (++actionsRun_ > kMaxActionsPerList)
            stopRunaway("the script ran too long in one frame (more than 5,000,000 actions)");
        if (++actionsThisTick_ > kMaxActionsPerTick)
            stopRunaway("the scripts ran too long in one frame (more than 10,000,000 actions in all)");
        if (actionsThisTick_ % kCreationCheckActions == 0 || tooManyMadeThisTick_)
            checkCreations();
    }
    // Notes the first runaway of the movie for its host, then stops the script.
    [[noreturn]] void stopRunaway(const char* reason);
    // Stops the scripts of a tick that made more display objects than a tick may.
    void checkCreations();
    static constexpr uint64_t kCreationCheckActions = 256;
    // A new frame: the frame's bound starts again.
    void startTick() {
        stack_.clear();
        actionsThisTick_ = 0;
        tooManyMadeThisTick_ = false;
        tickLimitReported_ = false;
    }
    bool tickExhausted() const {
        return actionsThisTick_ > kMaxActionsPerTick || tooManyMadeThisTick_;
    }
    // True the first time it is asked in a frame whose bound is used up: one line says so.
    bool firstTickLimitReport() {
        bool first = !tickLimitReported_;
        tickLimitReported_ = true;
        return first;
    }
    uint64_t totalActionsRun() const { return totalActionsRun_; }
    void startActionList() { actionsRun_ = 0; }
    int& callDepth() { return callDepth_; }
    // Throws RecursionLimitError when one more call would nest past the movie's bound.
    void checkCallDepth() const;
    // The one stack all action code of a frame shares: a frame script finds what the ones
    // before it left; a function may pop what its caller pushed and leaves its own behind.
    std::vector<Value>& stack() { return stack_; }
    // The script function running now (arguments.caller of the next call), or null.
    Object* runningFunction() const { return runningFunction_; }
    void setRunningFunction(Object* function) { runningFunction_ = function; }
    // The code running now, or null: an activation puts itself here and gives back the one
    // it replaced when it ends.
    const Activation* swapRunningCode(const Activation* code);
    // The timeline the running code acts on (tellTarget moves it), or null outside code;
    // natives resolve relative paths from it.
    Object* runningTarget() const;

    // The registers of the frame script running (DefineFunction2 code reaches them past its
    // own), or null.
    std::vector<Value>* timelineRegisters() const { return timelineRegisters_; }
    void setTimelineRegisters(std::vector<Value>* registers) { timelineRegisters_ = registers; }

    // Reclaims unreachable objects when enough were made; call between action lists.
    void collectGarbageIfDue();
    void collectGarbage();
    // Marks what the machine holds besides its rooted handles (the stack, timers, watches,
    // registered classes, stage objects).
    void markRoots(Marker& marker) const;

    // A number below `limit` from the machine's own generator: seeded the same every run, so
    // conversions of a movie are repeatable.
    uint32_t randomBelow(uint32_t limit);
    double random();

    // Object.registerClass: the constructor clips of an exported symbol are made with. Each
    // family of versions keeps its own list: a class registered by its code applies to the
    // symbols of its own family's movies only.
    void registerClass(const std::string& exportName, Object* constructor);
    Object* registeredClass(std::string_view exportName, int movieVersion) const;
    // The name a constructor was registered under last by this family's code, or null.
    const std::string* registeredName(const Object* constructor) const;

    // Where a method found by that name from `from` takes its super from (super is above it).
    Object* methodHome(Object* from, std::string_view name);
    // Object.watch: `callback(name, old, new, data)` decides what an assignment stores.
    void watch(Object* object, const std::string& name, Object* callback, const Value& data);
    bool unwatch(Object* object, const std::string& name);
    // Puts `value`, about to be stored under a watched `name`, through the watcher; false
    // when none watches it there (or the bound kept the watcher from running).
    bool runWatcher(Object* object, std::string_view name, Value& value);

    Timers& timers() { return timers_; }
    const Timers& timers() const { return timers_; }
    // The built-ins by their player numbers, as the class tables installed them.
    NativeRegistry& natives() { return natives_; }
    const NativeRegistry& natives() const { return natives_; }

    // Once a movie of version 8 or later has measured a clip in another clip's space, the
    // player works such extents out in single precision from then on.
    bool singlePrecisionBounds() const { return singlePrecisionBounds_; }
    void useSinglePrecisionBounds() { singlePrecisionBounds_ = true; }

    // Work moves the clock scripts read by one millisecond per this many actions: a
    // script that waits on getTimer sees it move, the same in every run, and a frame's
    // usual few thousand actions stay well within its interval.
    static constexpr uint64_t kActionsPerClockMs = 1000;
    // Milliseconds of the clock scripts read (getTimer, Date): the frame's time, moved on by
    // the work done in it so far.
    double movieTimeMs() const;
    // Milliseconds of the frame clock (ticks times the frame interval), which timers,
    // streams and sounds follow.
    double frameTimeMs() const;

  private:
    // Gives a new instance its constructor links, and a primitive prototype as __proto__.
    void linkInstance(Object& instance, const Value& prototypeValue, const Value& constructor);
    Object* boxThroughGlobal(const Value& value);
    static bool laterFamily(int version) { return version >= 7; }
    const Realm& realm() const { return laterFamily(heap_.swfVersion()) ? laterRealm_ : earlierRealm_; }
    Realm& realm() { return laterFamily(heap_.swfVersion()) ? laterRealm_ : earlierRealm_; }
    // Installs the built-ins of the family of `version` if not yet, and gives them.
    Realm& realmOf(int version);
    Value getFromObject(Object* object, Object* thisObject, std::string_view name);
    // Calls a getter or setter under the accessor bound; false when the bound skipped it.
    // Assigns through the getter/setter pair `holder` has under `name`, `self` as this.
    void setThroughAccessor(Object* holder, Object* self, std::string_view name,
                            const Value& value);
    // One more level of the accessor or watch `id` running, for the scope; not entered
    // past the bound.
    class AccessorLevel {
      public:
        AccessorLevel(Machine& machine, uint32_t id);
        ~AccessorLevel();
        AccessorLevel(const AccessorLevel&) = delete;
        AccessorLevel& operator=(const AccessorLevel&) = delete;
        bool entered() const { return entered_; }

      private:
        std::unordered_map<uint32_t, int>& depths_;
        uint32_t id_;
        bool entered_;
    };
    bool callAccessor(const Property& property, Object* function, Object* self,
                      std::span<const Value> args, Value& result);

    MovieContext& context_;
    StageAccess& stage_;
    int movieVersion_;
    Heap heap_;
    RootsOf<Machine> roots_{heap_, *this};
    void (*installClasses_)(Machine&);
    Realm earlierRealm_{heap_};
    Realm laterRealm_{heap_};
    std::vector<StageObject*> stageObjects_;
    uint64_t actionsRun_ = 0;
    uint64_t totalActionsRun_ = 0;
    uint64_t actionsThisTick_ = 0;
    bool tickLimitReported_ = false;
    bool tooManyMadeThisTick_ = false;
    int callDepth_ = 0;
    // How deep each getter/setter pair is running inside itself, by accessor id.
    std::unordered_map<uint32_t, int> accessorDepths_;
    uint32_t lastAccessorId_ = 0;
    std::vector<Value>* timelineRegisters_ = nullptr;
    bool constructing_ = false;
    bool constructingScript_ = false;
    Object* runningFunction_ = nullptr;
    const Activation* runningCode_ = nullptr;
    std::vector<Value> stack_;
    uint64_t randomState_ = 0x853c49e6748fea9bULL;
    struct Watch {
        Object* object;
        std::string name;
        Object* callback;
        Value data;
        uint32_t id;  // counts the watcher's levels as an accessor's
    };
    std::vector<Watch> watches_;
    Timers timers_;
    NativeRegistry natives_{heap_};
    bool singlePrecisionBounds_ = false;
};

// instanceof: the constructor's prototype (or an interface it implements) is on the chain.
bool instanceOf(Machine& machine, const Value& object, const Value& constructor);
// The object an own "prototype" property holds, as instanceof and ImplementsOp read it.
Object* ownPrototype(Object* holder);

// Throws a script error object of the Error class (a ScriptThrow).
[[noreturn]] void throwError(Machine& machine, std::string_view message);

}  // namespace swf::avm1
