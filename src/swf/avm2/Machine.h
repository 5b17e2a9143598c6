#pragma once
// The ActionScript 3 virtual machine of one movie: the ABC files it loaded, their scripts
// (initialised on first use), the built-in classes and the operations every instruction and
// native method share: property lookup through namespaces, calls, construction, coercion and
// the player's errors. The machine is the root of its heap: what it holds stays alive.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "swf/abc/AbcFile.h"
#include "swf/avm2/ArrayObject.h"
#include "swf/avm2/ClassObject.h"
#include "swf/avm2/FunctionObject.h"
#include "swf/avm2/Name.h"
#include "swf/avm2/Namespaces.h"
#include "swf/script/Heap.h"

namespace swf::avm2 {

using script::Heap;
using script::Rooted;
using script::RootsOf;
using script::ScriptLimitError;

class StageBridge;

// An ABC file with its namespaces resolved and its bodies' verification remembered.
struct LoadedAbc {
    std::shared_ptr<const abc::AbcFile> file;
    std::vector<const Ns*> namespaces;
    std::vector<std::vector<const Ns*>> sets;
    std::vector<int8_t> verified;  // per body: 0 not yet, 1 passed, -1 refused
    std::vector<std::string> verifyErrors;  // per body, the refusal
    std::vector<ClassObject*> classes;  // by class index, once newclass made them
    // Layouts of activations (by body) and catch scopes (by body and handler), made on use.
    std::map<uint32_t, std::unique_ptr<Traits>> activationTraits;
    std::map<std::pair<uint32_t, uint32_t>, std::unique_ptr<Traits>> catchTraits;
};

// An exception thrown by a script (or by the machine for it), carrying the thrown value.
struct ScriptThrow {
    Value value;
};

class Machine {
  public:
    using TraceSink = std::function<void(const std::string&)>;
    // Instructions one script run (a frame's scripts, an event) may take: the player's
    // 15-second timeout, in steps as ActionScript 1 counts its actions.
    static constexpr uint64_t kStepBudget = 200'000'000;
    // A host may give scripts less (a fuzzer that must not spend minutes on one input).
    void setStepBudget(uint64_t steps) { stepBudget_ = steps; }
    uint64_t stepBudget() const { return stepBudget_; }
    static constexpr int kMaxCallDepth = 256;
    static constexpr size_t kMaxStringLength = size_t{64} << 20;
    // The most objects alive at once; making one more stops the script.
    static constexpr size_t kMaxObjects = size_t{4} << 20;

    // The movie's SWF version decides which of the player's versioned names scripts see.
    static constexpr int kLatestSwfVersion = 50;
    explicit Machine(TraceSink trace, int swfVersion = kLatestSwfVersion);
    ~Machine();

    Heap& heap() { return heap_; }
    int swfVersion() const { return swfVersion_; }
    // The movie's display objects as the display classes reach them; null for a machine alone.
    StageBridge* stageBridge() const { return stageBridge_; }
    void setStageBridge(StageBridge* bridge) { stageBridge_ = bridge; }
    Namespaces& namespaces() { return namespaces_; }
    void trace(const std::string& line) const;

    // Loads an ABC file (a DoABC tag's data): parsed and, unless `lazy`, its last script run.
    // A file that cannot be read, or a script that throws, puts the error in the trace log.
    void loadAbc(std::span<const uint8_t> data, bool lazy);
    // A class by its qualified name ("Test", "flash.display::MovieClip"), running the script
    // that defines it; null when none does.
    ClassObject* findClass(const std::string& qualifiedName);
    // Runs `body` with the step budget renewed; an uncaught error goes to the trace log.
    void runGuarded(const std::function<void()>& body);

    // --- operations ------------------------------------------------------------------------
    Value getProperty(const Value& object, const Name& name);
    void setProperty(const Value& object, const Name& name, const Value& value, bool initialize = false);
    bool deleteProperty(const Value& object, const Name& name);
    bool hasProperty(const Value& object, const Name& name);
    // The public name a key gives on `receiver`: its text, or the key itself for a receiver
    // that keys by identity (Dictionary).
    Name keyName(const Value& key, const Value& receiver);
    Value callProperty(const Value& object, const Name& name, std::span<const Value> args);
    Value call(const Value& function, const Value& thisValue, std::span<const Value> args);
    Value construct(const Value& constructor, std::span<const Value> args);
    // Runs the base class's initializer on `instance` (constructsuper).
    void constructSuper(ClassObject* base, Object* instance, std::span<const Value> args);
    // The object on the scope chain or among the scripts that has `name` (findproperty).
    Value findProperty(const ScopeChain& outer, const ScopeChain& local, const Name& name, bool strict);

    // True when `name` is a public array index ("0", "12"), given in `index`.
    bool isArrayIndex(const Name& name, uint32_t& index) const;

    // The first prototype `v` inherits from: its own for an object, its class's for a
    // primitive, null for null and undefined.
    Object* prototypeChainOf(const Value& v);
    // True for a script's global object (or the built-in one).
    bool isGlobal(const Object* o) const;

    // --- conversions -----------------------------------------------------------------------
    Value toPrimitive(const Value& v, bool stringHint);
    double toNumber(const Value& v);
    std::string toString(const Value& v);
    static bool toBoolean(const Value& v);
    int32_t toInt(const Value& v) { return toInt32(toNumber(v)); }
    uint32_t toUint(const Value& v) { return toUint32(toNumber(v)); }
    // coerce_s: null and undefined stay null.
    Value coerceString(const Value& v);
    // The class of a value (Number for numbers, ...), never null.
    ClassObject* classOf(const Value& v);
    std::string typeOf(const Value& v);
    bool isType(const Value& v, ClassObject* type);
    // Coerces to a declared type (int, String, a class...), throwing TypeError #1034 for an
    // object of an unrelated class.
    Value coerceTo(const Value& v, ClassObject* type);
    // A value as a slot of `type` stores it.
    Value coerceToSlot(SlotType type, const Value& v);
    bool strictEquals(const Value& a, const Value& b);
    bool looseEquals(const Value& a, const Value& b);
    // a < b as the language compares: true, false or undefined (NaN involved).
    Value lessThan(const Value& a, const Value& b);
    Value add(const Value& a, const Value& b);

    // --- errors ----------------------------------------------------------------------------
    // Throws an instance of the named error class ("TypeError") with the player's text.
    [[noreturn]] void throwError(const std::string& className, int code, const std::string& message);
    // "[class Foo]", "Number" etc. for messages.
    std::string describeForError(const Value& v);

    // --- making objects --------------------------------------------------------------------
    Object* newObject();
    ArrayObject* newArray(std::vector<Value> items = {});
    FunctionObject* newNative(NativeFunction function, uint32_t arity = 0);
    FunctionObject* newMethodClosure(std::shared_ptr<LoadedAbc> abc, uint32_t method, ScopeChain scope,
                                     ClassObject* home);
    FunctionObject* bind(FunctionObject* method, const Value& receiver);
    // A native class in package `package` ("" for the top level), deriving from `base`.
    ClassObject* defineClass(const std::string& package, const std::string& name, ClassObject* base);
    void defineGlobal(const std::string& package, const std::string& name, const Value& value);
    // A native method on a class's prototype (not enumerable).
    void defineMethod(Object* target, const std::string& name, NativeFunction function, uint32_t arity = 0);
    // A getter (and setter) on a class's instances.
    void defineAccessor(ClassObject* cls, const std::string& name, NativeFunction getter,
                        NativeFunction setter = nullptr);

    // The class made by newclass from class `index` of `abc`.
    ClassObject* newClass(const std::shared_ptr<LoadedAbc>& abc, uint32_t index, ClassObject* base,
                          const ScopeChain& scope);
    // Builds `traits` from a file's trait list; methods close over `scope`.
    void buildTraits(Traits& traits, const std::shared_ptr<LoadedAbc>& abc,
                     const std::vector<abc::Trait>& list, const ScopeChain& scope, ClassObject* home);
    // The namespace and local name of a trait's QName.
    const Ns* traitNamespace(const LoadedAbc& abc, uint32_t multiname) const;
    // A file's constant as a value.
    Value constant(const LoadedAbc& abc, const abc::Constant& c);
    // The class a multiname names in the domain (a type annotation), or null for any.
    ClassObject* resolveType(const LoadedAbc& abc, uint32_t multiname);
    SlotType slotTypeOf(ClassObject* type) const;

    // Runs a method (ABC or native).
    Value invoke(FunctionObject* f, const Value& thisValue, std::span<const Value> args);
    // Steps and depth, counted by the interpreter.
    void step() {
        if (++steps_ > stepBudget_)
            throw ScriptLimitError("Error #1502: A script has executed for longer than the default timeout period of 15 seconds.");
    }
    // Steps of the script now running, and of every script the machine has run.
    uint64_t stepsTaken() const { return steps_; }
    uint64_t totalSteps() const { return stepsOfFinishedRuns_ + steps_; }
    // Work a native method did in steps of its own (a regular expression's matching).
    void chargeSteps(uint64_t count) {
        steps_ += count;
        step();
    }

    struct Builtins {
        ClassObject* object = nullptr;
        ClassObject* classClass = nullptr;
        ClassObject* function = nullptr;
        ClassObject* array = nullptr;
        ClassObject* string = nullptr;
        ClassObject* number = nullptr;
        ClassObject* intClass = nullptr;
        ClassObject* uintClass = nullptr;
        ClassObject* boolean = nullptr;
        ClassObject* error = nullptr;
        ClassObject* namespaceClass = nullptr;
        ClassObject* qname = nullptr;
        ClassObject* voidClass = nullptr;
        ClassObject* xml = nullptr;
        ClassObject* xmlList = nullptr;
    };
    const Builtins& builtins() const { return builtins_; }

    // The default XML namespace (dxns) of the running method: unqualified XML names are in it.
    const std::string& defaultXmlNamespace() const { return defaultXmlNamespace_; }
    void setDefaultXmlNamespace(std::string uri) { defaultXmlNamespace_ = std::move(uri); }

    // The ByteArray the memory instructions reach (ApplicationDomain.domainMemory), or null.
    Object* domainMemory() const { return domainMemory_; }
    void setDomainMemory(Object* memory) { domainMemory_ = memory; }

    // Marks what the machine holds: it is a root of its heap for as long as it exists.
    void markRoots(Marker& marker) const;

  private:
    struct ScriptEnv {
        std::shared_ptr<LoadedAbc> abc;
        uint32_t index = 0;
        Object* global = nullptr;
        enum class State : uint8_t { Pending, Running, Done } state = State::Pending;
    };

    void installBuiltins();
    void bindPrototype(ClassObject* c);
    // Gives a built-in class a prototype of its own kind (an array for Array).
    void replacePrototype(ClassObject* c, Object* prototype);
    Value getOnObject(Object* o, const Value& receiver, const Name& name, bool& found);
    Value runScript(ScriptEnv& script);
    // The script global that defines `name`, initialising its script first, or null.
    Object* scriptDefining(const Name& name);
    Value findInBuiltins(const Name& name, bool& found);
    Value callValueOrThrow(const Value& f, const Value& thisValue, std::span<const Value> args, const Name& name);

    Heap heap_{kMaxObjects, "Error #1000: The system is out of memory."};
    RootsOf<Machine> roots_{heap_, *this};
    Namespaces namespaces_;
    TraceSink trace_;
    Builtins builtins_;
    Object* builtinGlobal_ = nullptr;
    std::unique_ptr<Traits> builtinTraits_;
    std::vector<ScriptEnv> scripts_;
    std::vector<std::unique_ptr<Traits>> globalTraits_;
    std::vector<std::shared_ptr<LoadedAbc>> files_;
    int swfVersion_;
    uint64_t steps_ = 0;
    uint64_t stepsOfFinishedRuns_ = 0;
    uint64_t stepBudget_ = kStepBudget;
    int depth_ = 0;
    StageBridge* stageBridge_ = nullptr;
    std::string defaultXmlNamespace_;
    Object* domainMemory_ = nullptr;
};

}  // namespace swf::avm2
