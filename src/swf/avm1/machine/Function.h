#pragma once
// A callable object: a native function of the player, or a function the movie defined
// (DefineFunction or DefineFunction2) with the scope chain it closes over.

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "swf/avm1/machine/ActionBlock.h"
#include "swf/avm1/machine/Object.h"

namespace swf::avm1 {

class Machine;

// A native function's body: `self` is the object it was called on (null when none).
using NativeFunction = std::function<Value(Machine&, Object* self, std::span<const Value> args)>;
// Argument `i` of a native call: undefined where the movie passed fewer.
inline Value arg(std::span<const Value> args, size_t i) {
    return i < args.size() ? args[i] : Value();
}
// Makes the object `new` hands to a native constructor (an array, a date, ...).
using InstanceMaker = std::function<Object*(Machine&, Object* prototype)>;

// DefineFunction2's flags.
enum FunctionFlag : uint16_t {
    kPreloadThis = 0x0001,
    kSuppressThis = 0x0002,
    kPreloadArguments = 0x0004,
    kSuppressArguments = 0x0008,
    kPreloadSuper = 0x0010,
    kSuppressSuper = 0x0020,
    kPreloadRoot = 0x0040,
    kPreloadParent = 0x0080,
    kPreloadGlobal = 0x0100,
};

// One link of a scope chain. Assignments to names found nowhere go to the innermost
// target link: the timeline the code belongs to.
struct ScopeEntry {
    Object* object = nullptr;
    bool isTarget = false;
};

struct FunctionDefinition {
    std::string name;
    std::vector<std::string> parameters;
    std::vector<uint8_t> parameterRegisters;  // DefineFunction2: 0 = not in a register
    uint16_t flags = 0;
    uint8_t registerCount = 0;
    bool isFunction2 = false;
    ActionBlock body;
    // The constant pool in force where the function was defined.
    std::shared_ptr<const std::vector<std::string>> constants;
};

class Function : public Object {
  public:
    Function(Object* proto, NativeFunction native, InstanceMaker maker = {})
        : Object(proto), native_(std::move(native)), maker_(std::move(maker)) {}
    Function(Object* proto, std::shared_ptr<const FunctionDefinition> definition,
             std::vector<ScopeEntry> scope, Object* baseClip)
        : Object(proto),
          definition_(std::move(definition)),
          scope_(std::move(scope)),
          baseClip_(baseClip) {}

    const char* typeOf() const override { return "function"; }
    Function* asFunction() override { return this; }

    bool isNative() const { return static_cast<bool>(native_); }
    const NativeFunction& native() const { return native_; }
    const InstanceMaker& instanceMaker() const { return maker_; }
    const FunctionDefinition* definition() const { return definition_.get(); }
    const std::vector<ScopeEntry>& scope() const { return scope_; }
    // The clip whose timeline the function was defined on: its target when called.
    Object* baseClip() const { return baseClip_; }

    void trace(Marker& marker) const override;

  private:
    NativeFunction native_;
    InstanceMaker maker_;
    std::shared_ptr<const FunctionDefinition> definition_;
    std::vector<ScopeEntry> scope_;
    Object* baseClip_ = nullptr;
};

}  // namespace swf::avm1
