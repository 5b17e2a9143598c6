#include "swf/avm1/machine/Activation.h"

#include <algorithm>

namespace swf::avm1 {

using enum ActionCode;

Activation::Outcome Activation::runReturn(Step&) {
    returnValue_ = pop();
    return Outcome::Return;
}

Activation::Outcome Activation::runStoreRegister(Step& step) {
    if (Value* slot = registerSlot(ActionReader::u8Operand(step.record))) *slot = top();
    return Outcome::Normal;
}

Activation::Outcome Activation::runConstantPool(Step& step) {
    constants_ =
        std::make_shared<std::vector<std::string>>(ActionReader::constantPool(step.record));
    return Outcome::Normal;
}

Activation::Outcome Activation::runPush(Step& step) {
    using Kind = PushValue::Kind;
    ActionReader::PushValues values(step.record);
    PushValue value;
    while (values.next(value)) {
        switch (value.kind) {
            case Kind::String:
                push(Value(std::move(value.text)));
                break;
            case Kind::Float:
            case Kind::Double:
            case Kind::Integer:
                push(Value(value.number));
                break;
            case Kind::Null:
                push(Value(Null{}));
                break;
            case Kind::Undefined:
                push(Value());
                break;
            case Kind::Boolean:
                push(Value(value.boolean));
                break;
            case Kind::Register: {
                Value* slot = registerSlot(value.index);
                push(slot ? *slot : Value());
                break;
            }
            case Kind::Constant:
                if (constants_ && value.index < constants_->size())
                    push(Value((*constants_)[value.index]));
                else
                    push(Value());
                break;
        }
    }
    return Outcome::Normal;
}

// A branch past either end of the code ends the block.
Activation::Outcome Activation::jumpBy(const Step& step, int16_t offset) {
    int64_t target = static_cast<int64_t>(step.pc) + offset;
    jumpTarget_ = target < 0 || static_cast<size_t>(target) > block_.code.size()
                      ? block_.code.size()
                      : static_cast<size_t>(target);
    return Outcome::JumpOut;
}

Activation::Outcome Activation::runJump(Step& step) {
    return jumpBy(step, ActionReader::branchOffset(step.record));
}

Activation::Outcome Activation::runIf(Step& step) {
    int16_t offset = ActionReader::branchOffset(step.record);
    if (!machine_.toBoolean(pop())) return Outcome::Normal;
    return jumpBy(step, offset);
}

Activation::Outcome Activation::runDefineFunction(Step& step) {
    DefineFunctionOperands operands = ActionReader::defineFunction(step.record);
    if (!operands.complete) return Outcome::Normal;
    auto def = std::make_shared<FunctionDefinition>();
    def->name = std::move(operands.name);
    def->isFunction2 = step.record.code == kDefineFunction2;
    def->registerCount = operands.registerCount;
    def->flags = operands.flags;
    def->parameterRegisters = std::move(operands.parameterRegisters);
    def->parameters = std::move(operands.parameters);
    size_t size = std::min(operands.bodySize, step.end - step.pc);
    def->body = block_.slice(step.pc, size);
    def->constants = constants_;
    step.pc += size;
    auto* function =
        machine_.heap().make<Function>(machine_.prototypes().function, def, scope_, base_);
    machine_.linkToFunctionClass(*function);
    function->hideProtoBefore6();
    Object* prototype = machine_.newObject();
    prototype->defineOwn("constructor", Property{Value(function), nullptr, nullptr, kDontEnum});
    function->defineOwn("prototype",
                        Property{Value(prototype), nullptr, nullptr, kDontEnum | kDontDelete});
    if (def->name.empty())
        push(Value(function));
    else
        defineLocal(def->name, Value(function));
    return Outcome::Normal;
}

Activation::Outcome Activation::runTry(Step& step) {
    TryOperands operands = ActionReader::tryBlock(step.record);
    size_t tryStart = step.pc;
    size_t catchStart = std::min(tryStart + operands.trySize, step.end);
    size_t finallyStart = std::min(catchStart + operands.catchSize, step.end);
    size_t after = std::min(finallyStart + operands.finallySize, step.end);
    step.pc = after;
    Outcome outcome = Outcome::Normal;
    size_t height = stack_.size();
    try {
        try {
            outcome = execute(tryStart, catchStart);
        } catch (ScriptThrow& thrown) {
            if (!operands.hasCatch) throw;
            // What the try block pushed is gone; what it popped stays popped.
            if (stack_.size() > height) stack_.resize(height);
            if (operands.catchInRegister) {
                if (Value* slot = registerSlot(operands.catchRegister)) *slot = thrown.value;
            } else {
                defineLocal(operands.catchName, thrown.value);
            }
            outcome = execute(catchStart, finallyStart);
        }
    } catch (ScriptThrow&) {
        if (operands.hasFinally) {
            Value saved = returnValue_;
            Outcome f = execute(finallyStart, after);
            if (f != Outcome::Normal) return f;  // a return in finally swallows the exception
            returnValue_ = saved;
        }
        throw;
    }
    // A jump from the try or catch block into the blocks after it (compilers jump over the
    // catch block, some to the finally block) ends the block normally: finally runs once.
    if (outcome == Outcome::JumpOut && jumpTarget_ >= catchStart && jumpTarget_ <= after)
        outcome = Outcome::Normal;
    if (operands.hasFinally) {
        Value saved = returnValue_;
        Outcome f = execute(finallyStart, after);
        if (f != Outcome::Normal)
            outcome = f;
        else
            returnValue_ = saved;
    }
    return outcome;
}

Activation::Outcome Activation::runWith(Step& step) {
    size_t size = std::min<size_t>(ActionReader::u16Operand(step.record), step.end - step.pc);
    Object* object = machine_.toObject(pop());
    size_t start = step.pc;
    step.pc = start + size;
    // The player nests at most 13 with blocks; a deeper one is skipped, block and all.
    constexpr int kMaxWithDepth = 13;
    if (!object || withDepth_ >= kMaxWithDepth) return Outcome::Normal;
    scope_.push_back({object, false});
    ++withDepth_;
    Outcome outcome;
    try {
        outcome = execute(start, start + size);
    } catch (...) {
        scope_.pop_back();
        --withDepth_;
        throw;
    }
    scope_.pop_back();
    --withDepth_;
    return outcome;
}

}  // namespace swf::avm1
