#include "swf/avm1/machine/Activation.h"

#include <algorithm>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/SuperObject.h"

namespace swf::avm1 {

using enum ActionCode;

Activation::Outcome Activation::runPop(Step&) {
    pop();
    return Outcome::Normal;
}

Activation::Outcome Activation::runGetVariable(Step&) {
    std::string name = machine_.toString(pop());
    push(getVariable(name));
    return Outcome::Normal;
}

Activation::Outcome Activation::runSetVariable(Step&) {
    Value value = pop();
    std::string name = machine_.toString(pop());
    setVariable(name, value);
    return Outcome::Normal;
}

Activation::Outcome Activation::runThrow(Step&) {
    throw ScriptThrow{pop()};
    return Outcome::Normal;
}

Activation::Outcome Activation::runCastOp(Step&) {
    Value object = pop();
    Value constructor = pop();
    push(instanceOf(machine_, object, constructor) ? object : Value(Null{}));
    return Outcome::Normal;
}

// A class takes its interfaces once: a later ImplementsOp on it changes nothing. Each
// interface counts by its prototype as it is now; one that is no plain object (a primitive, a
// clip) keeps its place in the list but matches nothing.
Activation::Outcome Activation::runImplementsOp(Step&) {
    Object* constructor = pop().asObject();
    std::vector<Value> interfaces = popArguments();
    Object* prototype = ownPrototype(constructor);
    if (!prototype || !prototype->interfaces.empty()) return Outcome::Normal;
    for (const Value& i : interfaces) {
        Object* ip = ownPrototype(i.asObject());
        prototype->interfaces.push_back(ip && !ip->asStageObject() ? ip : nullptr);
    }
    return Outcome::Normal;
}

Activation::Outcome Activation::runDelete(Step&) {
    std::string name = machine_.toString(pop());
    Value object = pop();
    // With no object at all the name is a variable's (or a path's), as for Delete2, up to
    // SWF 6; from SWF 7 nothing is deleted.
    if (object.isUndefined()) {
        pushBool(version_ < 7 && deleteVariable(name));
        return Outcome::Normal;
    }
    Object* o = machine_.toObject(object);
    pushBool(o && machine_.deleteProperty(o, name));
    return Outcome::Normal;
}

Activation::Outcome Activation::runDelete2(Step&) {
    pushBool(deleteVariable(machine_.toString(pop())));
    return Outcome::Normal;
}

bool Activation::deleteVariable(const std::string& name) {
    Object* holder = nullptr;
    std::string member;
    if (resolvePathVariable(name, holder, member))
        return holder && !member.empty() && machine_.deleteProperty(holder, member);
    for (auto it = scope_.rbegin(); it != scope_.rend(); ++it)
        if (it->object && it->object->findOwn(name)) {
            // A function's own variables stay while it runs.
            if (it->object == locals_) return false;
            return machine_.deleteProperty(it->object, name);
        }
    return false;
}

Activation::Outcome Activation::runDefineLocal(Step&) {
    Value value = pop();
    std::string name = machine_.toString(pop());
    defineLocal(name, value);
    return Outcome::Normal;
}

Activation::Outcome Activation::runDefineLocal2(Step&) {
    std::string name = machine_.toString(pop());
    std::string member;
    Object* scope = localScope(name, member);
    if (scope && !scope->findOwn(member)) machine_.set(Value(scope), member, Value());
    return Outcome::Normal;
}

Activation::Outcome Activation::runCallFunction(Step&) {
    std::string name = machine_.toString(pop());
    std::vector<Value> arguments = popArguments();
    Value function;
    Object* self = nullptr;
    Object* home = nullptr;
    if (machine_.namesEqual(name, "super")) {
        Value super = getVariable("super");
        if (auto* s = dynamic_cast<SuperObject*>(super.asObject())) {
            push(s->callConstructor(machine_, arguments));
            return Outcome::Normal;
        }
    }
    Object* object = nullptr;
    std::string member;
    bool onPath = resolvePathVariable(name, object, member) && object && !member.empty();
    if (onPath) {
        function = machine_.get(Value(object), member);
        self = object;
    } else {
        function = getVariable(name);
        self = nullptr;
        // A function found anywhere but on the timeline (a with block's object, a
        // function's locals, _global) is called on the object it was found on.
        if (!isPath(name))
            for (auto it = scope_.rbegin(); it != scope_.rend(); ++it) {
                if (!it->object || !machine_.has(it->object, name)) continue;
                if (!it->isTarget) self = it->object;
                break;
            }
    }
    reachedCall_ = true;
    // SWF 5 code knows no closures: a later movie's function it calls by name alone runs
    // on the caller's timeline and by the caller's version.
    Function* callee = function.asObject() ? function.asObject()->asFunction() : nullptr;
    bool lends = !onPath && version_ < 6 && callee && callee->definition() &&
                 callee->definition()->body.swfVersion >= 6;
    if (!self) self = target_ ? target_ : base_;
    push(machine_.call(function, self, arguments, home, lends ? this : nullptr));
    return Outcome::Normal;
}

// A call or new of a value with no method name calls the value itself: a primitive is
// boxed first (by the global class of its type, which may run script), and is no function.
Value Activation::calleeOf(const Value& value) {
    if (value.isString() || value.isNumber() || value.isBool()) machine_.toObject(value);
    return value;
}

Activation::Outcome Activation::runCallMethod(Step&) {
    Value nameValue = pop();
    Value objectValue = pop();
    std::vector<Value> arguments = popArguments();
    std::string name = nameValue.isUndefined() ? "" : machine_.toString(nameValue);
    reachedCall_ = !objectValue.isNullish();
    auto* super = dynamic_cast<SuperObject*>(objectValue.asObject());
    if (name.empty()) {
        // super() compiles to a call of the super object itself.
        push(super ? super->callConstructor(machine_, arguments)
                   : machine_.call(calleeOf(objectValue), nullptr, arguments));
        return Outcome::Normal;
    }
    if (super) {
        push(super->callMethod(machine_, name, arguments));
        return Outcome::Normal;
    }
    push(machine_.callMethod(objectValue, name, arguments));
    return Outcome::Normal;
}

Activation::Outcome Activation::runNewObject(Step&) {
    std::string name = machine_.toString(pop());
    std::vector<Value> arguments = popArguments();
    reachedCall_ = true;
    push(machine_.construct(getVariable(name), arguments));
    return Outcome::Normal;
}

Activation::Outcome Activation::runNewMethod(Step&) {
    Value nameValue = pop();
    Value objectValue = pop();
    std::vector<Value> arguments = popArguments();
    std::string name = nameValue.isUndefined() ? "" : machine_.toString(nameValue);
    reachedCall_ = !objectValue.isNullish();
    Value constructor = name.empty() ? calleeOf(objectValue) : machine_.get(objectValue, name);
    push(machine_.construct(constructor, arguments));
    return Outcome::Normal;
}

Activation::Outcome Activation::runInitArray(Step&) {
    std::vector<Value> elements = popArguments();
    push(Value(machine_.newArray(elements)));
    return Outcome::Normal;
}

Activation::Outcome Activation::runInitObject(Step&) {
    double n = machine_.toNumber(pop());
    size_t count = n > 0 ? static_cast<size_t>(std::min<double>(n, kMaxArguments)) : 0;
    if (count > stack_.size() / 2) {
        // More pairs than the stack holds: no object, nothing else taken.
        push(Value());
        return Outcome::Normal;
    }
    Object* object = machine_.newObject();
    std::vector<std::pair<std::string, Value>> pairs;
    for (size_t i = 0; i < count; ++i) {
        Value value = pop();
        std::string name = machine_.toString(pop());
        pairs.emplace_back(std::move(name), std::move(value));
    }
    // Made in the order they come off the stack: the last pair first.
    for (const auto& [name, value] : pairs) machine_.set(Value(object), name, value);
    push(Value(object));
    return Outcome::Normal;
}

Activation::Outcome Activation::runTypeOf(Step&) {
    push(Value(machine_.typeOf(pop())));
    return Outcome::Normal;
}

Activation::Outcome Activation::runEnumerate(Step& step) {
    Value value = pop();
    if (step.record.code == kEnumerate) value = getVariable(machine_.toString(value));
    push(Value());  // the end marker: undefined, which equals null
    Object* object = value.isObject() ? machine_.liveObject(value.asObject()) : nullptr;
    if (!object) return Outcome::Normal;
    // The loop pops names from the top: the last listed comes out first.
    for (const std::string& name : machine_.enumerate(object)) push(Value(name));
    return Outcome::Normal;
}

Activation::Outcome Activation::runPushDuplicate(Step&) {
    Value v = top();
    push(std::move(v));
    return Outcome::Normal;
}

Activation::Outcome Activation::runStackSwap(Step&) {
    Value b = pop(), a = pop();
    push(std::move(b));
    push(std::move(a));
    return Outcome::Normal;
}

Activation::Outcome Activation::runGetMember(Step&) {
    Value nameValue = pop();
    Value object = pop();
    push(machine_.get(object, machine_.toString(nameValue)));
    return Outcome::Normal;
}

Activation::Outcome Activation::runSetMember(Step&) {
    Value value = pop();
    Value nameValue = pop();
    Value object = pop();
    machine_.set(object, machine_.toString(nameValue), value);
    return Outcome::Normal;
}

Activation::Outcome Activation::runInstanceOf(Step&) {
    Value constructor = pop();
    Value object = pop();
    push(Value(instanceOf(machine_, object, constructor)));
    return Outcome::Normal;
}

Activation::Outcome Activation::runExtends(Step&) {
    Object* superclass = pop().asObject();
    Object* subclass = pop().asObject();
    if (!superclass || !subclass) return Outcome::Normal;
    Object* superPrototype = machine_.get(Value(superclass), "prototype").asObject();
    Object* prototype = machine_.newObject(superPrototype);
    if (!superPrototype) prototype->setProto(nullptr);
    // The link super() follows; SWF 5 has no super and makes none.
    if (version_ >= 6)
        prototype->defineOwn("__constructor__",
                             Property{Value(superclass), nullptr, nullptr, kDontEnum});
    machine_.set(Value(subclass), "prototype", Value(prototype));
    return Outcome::Normal;
}

}  // namespace swf::avm1
