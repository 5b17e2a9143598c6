#pragma once
// Runs one ABC method body: verified first (once per body), then interpreted with its own
// registers, operand stack and scope stack, its exception handlers catching what is thrown
// inside their ranges.

#include <span>
#include <vector>

#include "swf/abc/AbcFile.h"
#include "swf/avm2/Machine.h"

namespace swf::avm2 {

class Interpreter {
  public:
    Interpreter(Machine& machine, FunctionObject& function);
    Value run(const Value& thisValue, std::span<const Value> args);

  private:
    // The name of multiname `index`, taking its runtime parts from the stack.
    Name readName(uint32_t index);
    Value pop() {
        Value v = std::move(stack_.back());
        stack_.pop_back();
        return v;
    }
    std::vector<Value> popArgs(uint32_t count);
    void setupRegisters(const Value& thisValue, std::span<const Value> args);
    void execute();
    // True when a handler of the body covers `pc` and takes `thrown`; jumps there.
    bool handle(size_t pc, const Value& thrown);
    ScopeChain fullScope() const;
    Value& reg(uint32_t r) { return registers_[r]; }
    ClassObject* type(uint32_t multiname) { return m_.resolveType(abc_, multiname); }
    Object* activation(uint32_t bodyIndex);
    Object* catchScope(uint32_t handler);
    Value superLookup(const Value& receiver, const Name& name, bool& isMethod, Binding& binding);

    Machine& m_;
    FunctionObject& f_;
    LoadedAbc& abc_;
    const abc::AbcFile& file_;
    const abc::Method& method_;
    const abc::MethodBody* body_ = nullptr;
    std::vector<Value> registers_;
    std::vector<Value> stack_;
    ScopeChain scope_;
    std::vector<Ns const*> runtimeNs_;
    Value result_;
    size_t pc_ = 0;
};

}  // namespace swf::avm2
