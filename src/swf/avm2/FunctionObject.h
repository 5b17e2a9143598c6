#pragma once
// A function: a method of an ABC file closed over the scope chain it was made in, or a native
// function of the machine's own classes. A method taken from an object is bound to it.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "swf/avm2/Object.h"
#include "swf/avm2/Scope.h"

namespace swf::avm2 {

class Machine;
struct LoadedAbc;

using NativeFunction = std::function<Value(Machine&, const Value& thisValue, std::span<const Value> args)>;

class FunctionObject : public Object {
  public:
    FunctionObject(ClassObject* functionClass, Object* proto) : Object(functionClass, proto) {}

    FunctionObject* asFunction() override { return this; }
    void trace(Marker& marker) const override;

    NativeFunction native;
    std::shared_ptr<LoadedAbc> abc;
    uint32_t method = 0;
    ScopeChain scope;
    // The class whose traits hold this method (for super), or null.
    ClassObject* home = nullptr;
    bool bound = false;
    Value boundThis;
    // The parameter count that `length` reports.
    uint32_t arity = 0;
    // A function expression or declaration (newfunction): the player lets a call leave off
    // its last arguments, which arrive undefined, or pass more than it names.
    bool lenientArguments = false;
};

}  // namespace swf::avm2
