#include "swf/avm1/machine/Activation.h"

#include <algorithm>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/avm1/machine/SuperObject.h"
#include "swf/avm1/machine/TargetPath.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"

namespace swf::avm1 {

using enum ActionCode;

bool Activation::isPath(std::string_view name) {
    return name.find_first_of("/:.") != std::string_view::npos;
}

Activation::Activation(Machine& machine, ActionBlock block)
    : machine_(machine),
      block_(std::move(block)),
      version_(block_.swfVersion),
      stack_(machine.stack()),
      caller_(machine.swapRunningCode(this)) {
    registers_.resize(4);
}

Activation::~Activation() {
    machine_.swapRunningCode(caller_);
}

void Activation::reportUncaught(Machine& machine, const Value& value) {
    std::string text;
    try {
        text = machine.toString(value);
    } catch (...) {
        text = "[object]";
    }
    machine.trace("Warning: Uncaught exception, " + text);
}

void Activation::reportLimit(Machine& machine, const ScriptLimitError& error) {
    // The player stops runaway recursion without a line in the trace.
    if (dynamic_cast<const RecursionLimitError*>(&error)) return;
    if (machine.tickExhausted() && !machine.firstTickLimitReport()) return;
    machine.trace(std::string("Error: ") + error.what() + "; the script was stopped.");
}

void Activation::runTimelineActions(Machine& machine, const ActionBlock& block,
                                    DisplayObject& timeline) {
    machine.startActionList();
    runGuarded(machine, [&] {
        Activation activation(machine, block);
        StageObject* stage = machine.stageObject(timeline);
        activation.scope_ = {{machine.global(), false}, {stage, true}};
        activation.this_ = stage;
        activation.target_ = stage;
        activation.base_ = stage;
        activation.haltsWithBase_ = true;
        // Its four registers are the ones DefineFunction2 code reaches past its own.
        struct Registers {
            Machine& machine;
            std::vector<Value>* previous;
            ~Registers() { machine.setTimelineRegisters(previous); }
        } registers{machine, machine.timelineRegisters()};
        machine.setTimelineRegisters(&activation.registers_);
        activation.execute(0, block.code.size());
    });
}

Value Activation::callFunction(Machine& machine, Function& function, Object* self,
                               std::span<const Value> args, Object* home,
                               const Activation* lender) {
    const FunctionDefinition& def = *function.definition();
    Activation a(machine, def.body);
    a.constructs_ = machine.takeScriptConstruction();
    // Function bodies follow SWF 5 rules, even in SWF 4 movies.
    a.version_ = std::max(a.version_, 5);
    a.constants_ = def.constants;
    a.callee_ = &function;
    a.this_ = self;
    a.home_ = home ? home : (self ? self->proto() : nullptr);
    Object* base = machine.liveObject(function.baseClip());
    // A function stops, as a frame script does, once the clip it belongs to is removed.
    a.haltsWithBase_ = base != nullptr && base->asStageObject() != nullptr;
    // With that clip gone, the clip it was called on stands in, else the main timeline.
    if (!base && self && self->asStageObject() && machine.displayObjectOf(Value(self))) base = self;
    if (!base)
        base = machine.context().root() ? machine.stageObject(*machine.context().root()) : nullptr;
    if (lender) {
        a.version_ = lender->version_;
        machine.useVersion(a.version_);
        base = lender->target_ ? lender->target_ : lender->base_;
        a.scope_ = {{machine.global(), false}, {base, true}};
    } else if (def.body.swfVersion < 6) {
        // SWF 5 functions close over nothing: they see the global object and a timeline,
        // the clip they were called on if any, else the one they were made on.
        if (self && self->asStageObject() && machine.displayObjectOf(Value(self))) base = self;
        a.scope_ = {{machine.global(), false}, {base, true}};
    } else {
        a.scope_ = function.scope();
    }
    a.base_ = base;
    a.target_ = base;
    Object* locals = machine.heap().make<Object>(nullptr);
    a.scope_.push_back({locals, false});
    a.locals_ = locals;
    if (def.isFunction2) {
        a.registers_.assign(std::max<size_t>(def.registerCount, 1), Value());
        a.ownRegistersOnly_ = false;
    }

    bool wantsArguments =
        !def.isFunction2 || !(def.flags & kSuppressArguments) || (def.flags & kPreloadArguments);
    if (wantsArguments) {
        ArrayObject* arguments = machine.newArray(args);
        arguments->defineOwn("callee", Property{Value(&function), nullptr, nullptr, kDontEnum});
        Object* caller = machine.runningFunction();
        arguments->defineOwn("caller", Property{caller ? Value(caller) : Value(Null{}), nullptr,
                                                nullptr, kDontEnum});
        a.arguments_ = arguments;
    }
    SuperObject* super = nullptr;
    // super came with SWF 6: an SWF 5 function names no such variable.
    if (def.body.swfVersion >= 6 && a.home_ && self &&
        (!def.isFunction2 || !(def.flags & kSuppressSuper) || (def.flags & kPreloadSuper)))
        super = machine.heap().make<SuperObject>(self, a.home_);

    if (def.isFunction2) {
        size_t reg = 1;
        auto preload = [&](uint16_t flag, const Value& value) {
            if ((def.flags & flag) && reg < a.registers_.size()) a.registers_[reg++] = value;
        };
        // A preload takes its register even when also suppressed; `this` and super then
        // leave it empty, the arguments are loaded all the same.
        preload(kPreloadThis, (def.flags & kSuppressThis) ? Value() : Value(self));
        preload(kPreloadArguments, Value(a.arguments_));
        preload(kPreloadSuper,
                (def.flags & kSuppressSuper) ? Value() : Value(static_cast<Object*>(super)));
        a.thisHidden_ = def.flags & (kPreloadThis | kSuppressThis);
        // The _root the function's clip sees, a locked root or its level's included.
        Object* root = rootFor(machine, machine.displayObjectOf(Value(base)));
        preload(kPreloadRoot, root ? Value(root) : Value());
        // A timeline without a parent takes no register: _global moves up into it.
        if (def.flags & kPreloadParent) {
            // The clip's real parent: a variable named _parent does not count.
            DisplayObject* clip = machine.displayObjectOf(Value(base));
            DisplayObject* up = clip ? clip->parent() : nullptr;
            Value parent = up ? Value(scriptValueOf(machine, *up)) : Value();
            if (!parent.isUndefined()) preload(kPreloadParent, parent);
        }
        preload(kPreloadGlobal, Value(machine.global()));
        if (!(def.flags & (kSuppressArguments | kPreloadArguments)) && a.arguments_)
            locals->setOwn("arguments", Value(a.arguments_));
        if (!(def.flags & (kSuppressSuper | kPreloadSuper)) && super)
            locals->setOwn("super", Value(super));
        for (size_t i = 0; i < def.parameters.size(); ++i) {
            Value arg = i < args.size() ? args[i] : Value();
            uint8_t r = i < def.parameterRegisters.size() ? def.parameterRegisters[i] : 0;
            if (r != 0 && r < a.registers_.size())
                a.registers_[r] = arg;
            else if (Value* slot = r != 0 ? a.registerSlot(r) : nullptr)
                *slot = arg;
            else if (r == 0)
                locals->setOwn(def.parameters[i], arg);
        }
    } else {
        locals->setOwn("arguments", Value(a.arguments_));
        if (super) locals->setOwn("super", Value(super));
        for (size_t i = 0; i < def.parameters.size(); ++i)
            locals->setOwn(def.parameters[i], i < args.size() ? args[i] : Value());
    }
    struct Running {
        Machine& machine;
        Object* previous;
        ~Running() { machine.setRunningFunction(previous); }
    } running{machine, machine.runningFunction()};
    machine.setRunningFunction(&function);
    a.execute(0, def.body.code.size());
    return a.returnValue_;
}

Value* Activation::registerSlot(size_t r) {
    if (r < registers_.size()) return &registers_[r];
    std::vector<Value>* outer = ownRegistersOnly_ ? nullptr : machine_.timelineRegisters();
    return outer && r < outer->size() ? &(*outer)[r] : nullptr;
}

// ---- the stack

std::pair<double, double> Activation::popNumbers(bool secondFirst) {
    Value b = pop(), a = pop();
    if (secondFirst) {
        double y = machine_.toNumber(b);
        return {machine_.toNumber(a), y};
    }
    double x = machine_.toNumber(a);
    return {x, machine_.toNumber(b)};
}

std::pair<std::string, std::string> Activation::popStrings() {
    Value b = pop(), a = pop();
    std::string y = machine_.toString(b);
    return {machine_.toString(a), std::move(y)};
}

Value Activation::pop() {
    if (stack_.empty()) return Value();
    Value v = std::move(stack_.back());
    stack_.pop_back();
    return v;
}

void Activation::push(Value value) {
    if (stack_.size() >= kMaxStack)
        throw ScriptLimitError(
            "stack overflow: the script pushed more values than the player keeps");
    stack_.push_back(std::move(value));
}

Value& Activation::top() {
    if (stack_.empty()) stack_.emplace_back();
    return stack_.back();
}

std::vector<Value> Activation::popArguments() {
    double n = machine_.toNumber(pop());
    size_t count = n > 0 ? static_cast<size_t>(std::min<double>(n, kMaxArguments)) : 0;
    count = std::min(count, stack_.size());
    std::vector<Value> args;
    args.reserve(count);
    for (size_t i = 0; i < count; ++i) args.push_back(pop());
    return args;
}

// ---- variables

MovieClip* Activation::namedTargetClip() {
    return target_ ? targetClip() : nullptr;
}

MovieClip* Activation::targetClip() {
    if (!target_) return machine_.context().root();  // a path that named nothing
    return machine_.movieClipOf(Value(target_));
}

void Activation::setTargetClip(Object* target) {
    // tellTarget moves the timeline link of the scope chain too: variables are found on
    // (and set on) the target. A path naming nothing leaves no target; the main timeline
    // then stands in for it.
    target_ = target;
    Object* link = target;
    if (!link) {
        MovieClip* root = machine_.context().root();
        link = root ? machine_.stageObject(*root) : base_;
    }
    for (auto it = scope_.rbegin(); it != scope_.rend(); ++it)
        if (it->isTarget) {
            if (!targetLink_) targetLink_ = it->object;
            it->object = link;
            break;
        }
}

void Activation::restoreTarget() {
    target_ = base_;
    for (auto it = scope_.rbegin(); it != scope_.rend(); ++it)
        if (it->isTarget) {
            it->object = targetLink_ ? targetLink_ : base_;
            break;
        }
}

Object* Activation::namedScopeValue(std::string_view name, bool& found) {
    found = true;
    if (machine_.namesEqual(name, "this")) {
        // With `this` preloaded or suppressed, SWF 5 finds no such variable; later movies
        // find the timeline. A function called on no object (a sort's compare function, an
        // interval's) has `this` undefined.
        if (thisHidden_ && version_ < 6) return nullptr;
        return thisHidden_ ? base_ : this_;
    }
    // _root, _global and _levelN are the timeline's answers: a variable of that name
    // set on it comes first.
    found = false;
    return nullptr;
}

Object* Activation::resolveSwf4Target(std::string_view path) {
    Object* current = target_ ? target_ : base_;
    const size_t nameEnd = std::min(path.find_first_of("/:."), path.size());
    if (Value level; levelNamed(machine_, path.substr(0, nameEnd), level)) {
        current = level.asObject();
        // What follows the level's name up to a slash (a variable's name) is passed over.
        const size_t slash = path.find('/', nameEnd);
        if (slash == std::string_view::npos) return current;
        path.remove_prefix(slash + 1);
    } else if (path.starts_with('/')) {
        // "/" is _root: a level's own root for the code in that level.
        current = rootFor(machine_, machine_.displayObjectOf(Value(current)));
        path.remove_prefix(1);
    }
    while (!path.empty() && current) {
        const size_t end = std::min(path.find('/'), path.size());
        std::string_view part = path.substr(0, end);
        path.remove_prefix(end);
        if (!path.empty()) path.remove_prefix(1);
        // An empty name ("//"), or one with ':' or '.', names no clip.
        if (part.empty() || (part != ".." && part.find_first_of(":.") != std::string_view::npos))
            return nullptr;
        if (part == "..") {
            current = machine_.get(Value(current), "_parent").asObject();
        } else {
            DisplayObject* display = machine_.displayObjectOf(Value(current));
            current = display ? childNamed(machine_, *display, part) : nullptr;
        }
    }
    return current;
}

Object* Activation::resolveTarget(std::string_view path, bool variablePath) {
    Object* start = target_ ? target_ : base_;
    if (path.empty()) return start;
    if (version_ < 5) return resolveSwf4Target(path);
    Object* current = start;
    bool slashSeen = false;
    if (path.front() == '/') {
        current = rootFor(machine_, machine_.displayObjectOf(Value(start)));
        path.remove_prefix(1);
        slashSeen = true;
    }
    bool first = !slashSeen;
    if (path.starts_with('.') && !path.starts_with("..")) return nullptr;  // ".a" is no path
    while (!path.empty() && current) {
        // Colons before a name are skipped ("::a", "a::b", "a/:b"); a path may not end in them
        // past its first name ("a::").
        if (path.front() == ':') {
            const size_t name = path.find_first_not_of(':');
            if (name == std::string_view::npos) return first ? current : nullptr;
            path.remove_prefix(name);
        }
        // "//" or "a..b": an empty name between separators.
        bool emptyName = path.front() == '/' ||
                         (!first && !slashSeen && path.front() == '.' && !path.starts_with(".."));
        if (emptyName) return nullptr;
        std::string_view part = takePathPart(path, slashSeen);
        if (part.empty()) continue;
        if (part == "..") {
            current = machine_.get(Value(current), "_parent").asObject();
        } else {
            bool found = false;
            // `this` starts variable paths only, not tellTarget's.
            Object* named = first && variablePath ? namedScopeValue(part, found) : nullptr;
            if (found) {
                current = named;
            } else {
                // A clip's children come before its variables of the same name.
                DisplayObject* display = machine_.displayObjectOf(Value(current));
                Object* child = display ? childNamed(machine_, *display, part) : nullptr;
                Value next = child ? Value(child) : machine_.get(Value(current), part);
                if (first && next.isUndefined() &&
                    (variablePath || !machine_.namesEqual(part, "this"))) {
                    // A dot path may start with a variable of an outer scope.
                    next = getVariable(part);
                }
                if (!next.isObject() && !next.isNullish()) {
                    // A path through a number or a string: the player says so and gives up.
                    machine_.trace(
                        "Parameters of primitive types are no longer coerced into the required "
                        "type - Object.");
                    return nullptr;
                }
                current = next.asObject();
            }
        }
        first = false;
    }
    return current;
}

Object* Activation::targetOperand(const Value& target) {
    Object* object = target.asObject();
    if (object && object->asStageObject()) return machine_.liveObject(object);
    if (!object && !target.isString()) return nullptr;
    // Any other object names the path its text gives.
    std::string path = machine_.toString(target);
    return path.empty() ? target_ : resolveTarget(path);
}

bool Activation::resolvePathVariable(std::string_view name, Object*& object, std::string& member) {
    if (!isPath(name)) return false;
    // The name is after the last ':' or '.' (even one of a ".."; SWF 4 has no dots); with
    // neither, a slash path names a clip itself.
    size_t split = name.find_last_of(version_ < 5 ? ":" : ":.");
    std::string_view path = name;
    member.clear();
    if (split != std::string_view::npos) {
        path = name.substr(0, split);
        member = std::string(name.substr(split + 1));
    }
    // A clip named by a slash path alone is found as tellTarget finds it, without `this`.
    object = resolveTarget(path, split != std::string_view::npos);
    return true;
}

Value Activation::getVariable(std::string_view name) {
    Object* object = nullptr;
    std::string member;
    if (resolvePathVariable(name, object, member)) {
        size_t split = name.find_last_of(version_ < 5 ? ":" : ":.");
        bool namesClip = split == std::string_view::npos;
        // SWF 4 has no clip values; ":x" names no variable.
        if (namesClip && version_ < 5) return Value();
        if (split == 0) return Value();
        // A path without a variable names a clip; anything else there is no value.
        if (object && namesClip)
            return machine_.displayObjectOf(Value(object)) ? Value(object) : Value();
        if (object && version_ < 5) {
            // A clip's own variables only: its children are no values in SWF 4.
            Property* p = object->findOwn(member);
            return p && !p->isVirtual() ? p->value : Value();
        }
        if (object) return machine_.get(Value(object), member);
        if (!namesClip) return Value();
        // A slash path that leads nowhere may still be a variable's whole name.
    }
    if (thisAssigned_ && machine_.namesEqual(name, "this")) return thisValue_;
    if (version_ < 5) {
        // SWF 4 variables are the timeline's own: no `this`, _root or globals.
        for (auto it = scope_.rbegin(); it != scope_.rend(); ++it)
            if (it->isTarget && it->object) {
                Property* p = it->object->findOwn(name);
                return p && !p->isVirtual() ? p->value : Value();
            }
        return Value();
    }
    bool found = false;
    Object* named = namedScopeValue(name, found);
    if (found) return Value(named);
    for (auto it = scope_.rbegin(); it != scope_.rend(); ++it) {
        Object* scope = it->object;
        if (!scope) continue;
        // A timeline that has been removed stands for the main timeline, as it does for a
        // function made on it.
        if (it->isTarget && !machine_.liveObject(scope) && machine_.context().root())
            scope = machine_.stageObject(*machine_.context().root());
        if (machine_.has(scope, name)) return machine_.get(Value(scope), name);
    }
    if (name.starts_with("_level")) return Value();
    return Value();
}

bool Activation::assignmentTarget(std::string_view name, Object*& object, std::string& member) {
    // A slash path alone names a clip, not a variable: assigned to, it is an ordinary
    // variable's whole name.
    if (isPath(name) && name.find_last_of(version_ < 5 ? ":" : ":.") == std::string_view::npos)
        return false;
    return resolvePathVariable(name, object, member);
}

void Activation::setVariable(std::string_view name, const Value& value) {
    Object* object = nullptr;
    std::string member;
    if (assignmentTarget(name, object, member)) {
        if (object && !member.empty()) machine_.set(Value(object), member, value);
        return;
    }
    if (machine_.namesEqual(name, "this")) {
        // `this` may be assigned: the new value holds for the rest of this run only.
        thisAssigned_ = true;
        thisValue_ = value;
        return;
    }
    for (auto it = scope_.rbegin(); it != scope_.rend(); ++it) {
        Object* scope = it->object;
        if (!scope) continue;
        if (it->isTarget || takesAssignment(scope, name)) {
            machine_.set(Value(scope), name, value);
            return;
        }
    }
    if (!scope_.empty()) machine_.set(Value(scope_.front().object), name, value);
}

// A clip a with block names takes an assignment to its own variables and its display
// properties only: one it inherits, or a child clip of that name, lets the assignment pass
// on to the scopes below. Other objects take any name they answer for.
bool Activation::takesAssignment(Object* scope, std::string_view name) {
    if (!scope->asStageObject()) return machine_.has(scope, name);
    if (scope->findOwn(name)) return true;
    Value ignored;
    return !name.empty() && name.front() == '_' && scope->getSpecial(machine_, name, ignored);
}

Object* Activation::localScope(std::string_view name, std::string& member) {
    member = std::string(name);
    // In a function its locals, which take any name as it is, past any with block's object;
    // in a frame script the timeline, or the clip a path leads to.
    if (callee_) return locals_;
    Object* object = nullptr;
    if (assignmentTarget(name, object, member)) return member.empty() ? nullptr : object;
    for (auto it = scope_.rbegin(); it != scope_.rend(); ++it)
        if (it->isTarget) return it->object;
    return nullptr;
}

void Activation::defineLocal(std::string_view name, const Value& value) {
    std::string member;
    if (Object* scope = localScope(name, member)) machine_.set(Value(scope), member, value);
}

bool Activation::ownClipRemoved() const {
    // A clip is gone with any clip it stands in.
    auto gone = [this](Object* clip) {
        DisplayObject* shown = machine_.displayObjectOf(Value(clip));
        return !shown || !shown->onStage();
    };
    if (!haltsWithBase_ || !gone(base_)) return false;
    // Inside tellTarget the script goes on while the clip it addresses is still there.
    return target_ == base_ || (target_ && gone(target_));
}

// ---- the loop

// The method of each action code; codes the player does not know are skipped by their length.
const std::array<Activation::ActionMethod, 256> Activation::kActions = [] {
    std::array<ActionMethod, 256> methods;
    methods.fill(&Activation::runIgnored);
    struct Entry {
        ActionCode code;
        ActionMethod method;
    };
    for (Entry entry : std::initializer_list<Entry>{
             {kNextFrame, &Activation::runNextOrPreviousFrame},
             {kPreviousFrame, &Activation::runNextOrPreviousFrame},
             {kPlay, &Activation::runPlay},
             {kStop, &Activation::runStop},
             {kStopSounds, &Activation::runStopSounds},
             {kToggleQuality, &Activation::runIgnored},
             {kStrictMode, &Activation::runIgnored},
             {kAdd, &Activation::runAdd},
             {kSubtract, &Activation::runSubtract},
             {kMultiply, &Activation::runMultiply},
             {kDivide, &Activation::runDivide},
             {kEquals, &Activation::runEquals},
             {kLess, &Activation::runLess},
             {kAnd, &Activation::runAnd},
             {kOr, &Activation::runOr},
             {kNot, &Activation::runNot},
             {kStringEquals, &Activation::runStringEquals},
             {kStringLess, &Activation::runStringLess},
             {kStringGreater, &Activation::runStringGreater},
             {kStringLength, &Activation::runStringLength},
             {kMbStringLength, &Activation::runStringLength},
             {kStringExtract, &Activation::runStringExtract},
             {kMbStringExtract, &Activation::runStringExtract},
             {kStringAdd, &Activation::runStringAdd},
             {kCharToAscii, &Activation::runCharToAscii},
             {kMbCharToAscii, &Activation::runCharToAscii},
             {kAsciiToChar, &Activation::runAsciiToChar},
             {kMbAsciiToChar, &Activation::runAsciiToChar},
             {kPop, &Activation::runPop},
             {kToInteger, &Activation::runToInteger},
             {kGetVariable, &Activation::runGetVariable},
             {kSetVariable, &Activation::runSetVariable},
             {kSetTarget2, &Activation::runSetTarget2},
             {kSetTarget, &Activation::runSetTarget},
             {kGetProperty, &Activation::runGetProperty},
             {kSetProperty, &Activation::runSetProperty},
             {kCloneSprite, &Activation::runCloneSprite},
             {kRemoveSprite, &Activation::runRemoveSprite},
             {kTrace, &Activation::runTrace},
             {kStartDrag, &Activation::runStartDrag},
             {kEndDrag, &Activation::runEndDrag},
             {kThrow, &Activation::runThrow},
             {kCastOp, &Activation::runCastOp},
             {kImplementsOp, &Activation::runImplementsOp},
             {kRandomNumber, &Activation::runRandomNumber},
             {kGetTime, &Activation::runGetTime},
             {kDelete, &Activation::runDelete},
             {kDelete2, &Activation::runDelete2},
             {kDefineLocal, &Activation::runDefineLocal},
             {kDefineLocal2, &Activation::runDefineLocal2},
             {kCallFunction, &Activation::runCallFunction},
             {kCallMethod, &Activation::runCallMethod},
             {kReturn, &Activation::runReturn},
             {kModulo, &Activation::runModulo},
             {kNewObject, &Activation::runNewObject},
             {kNewMethod, &Activation::runNewMethod},
             {kInitArray, &Activation::runInitArray},
             {kInitObject, &Activation::runInitObject},
             {kTypeOf, &Activation::runTypeOf},
             {kTargetPath, &Activation::runTargetPath},
             {kEnumerate, &Activation::runEnumerate},
             {kEnumerate2, &Activation::runEnumerate},
             {kAdd2, &Activation::runAdd2},
             {kLess2, &Activation::runLess2},
             {kGreater, &Activation::runGreater},
             {kEquals2, &Activation::runEquals2},
             {kStrictEquals, &Activation::runStrictEquals},
             {kToNumber, &Activation::runToNumber},
             {kToString, &Activation::runToString},
             {kPushDuplicate, &Activation::runPushDuplicate},
             {kStackSwap, &Activation::runStackSwap},
             {kGetMember, &Activation::runGetMember},
             {kSetMember, &Activation::runSetMember},
             {kIncrement, &Activation::runIncrement},
             {kDecrement, &Activation::runDecrement},
             {kInstanceOf, &Activation::runInstanceOf},
             {kBitAnd, &Activation::runBitwise},
             {kBitOr, &Activation::runBitwise},
             {kBitXor, &Activation::runBitwise},
             {kBitLShift, &Activation::runBitwise},
             {kBitRShift, &Activation::runBitwise},
             {kBitURShift, &Activation::runBitwise},
             {kExtends, &Activation::runExtends},
             {kGotoFrame, &Activation::runGotoFrame},
             {kGotoLabel, &Activation::runGotoLabel},
             {kGotoFrame2, &Activation::runGotoFrame2},
             {kGetUrl, &Activation::runGetUrl},
             {kGetUrl2, &Activation::runGetUrl2},
             {kStoreRegister, &Activation::runStoreRegister},
             {kConstantPool, &Activation::runConstantPool},
             {kWaitForFrame, &Activation::runWaitForFrame},
             {kWaitForFrame2, &Activation::runWaitForFrame2},
             {kDefineFunction, &Activation::runDefineFunction},
             {kDefineFunction2, &Activation::runDefineFunction},
             {kTry, &Activation::runTry},
             {kWith, &Activation::runWith},
             {kPush, &Activation::runPush},
             {kJump, &Activation::runJump},
             {kIf, &Activation::runIf},
             {kCall, &Activation::runCall},
         })
        methods[static_cast<uint8_t>(entry.code)] = entry.method;
    return methods;
}();

void Activation::skipActions(size_t& pc, size_t end, unsigned count) {
    ActionRecord record;
    for (unsigned i = 0; i < count; ++i)
        if (!ActionReader::read(block_.code, pc, end, record)) {
            pc = end;
            return;
        }
}

Activation::Outcome Activation::execute(size_t start, size_t end) {
    size_t pc = start;
    end = std::min(end, block_.code.size());
    ActionRecord record;
    while (pc < end) {
        machine_.chargeAction();
        if (!ActionReader::read(block_.code, pc, end, record)) return Outcome::Normal;
        Step step{record, pc, end};
        reachedCall_ = false;
        Outcome outcome = (this->*kActions[static_cast<uint8_t>(record.code)])(step);
        if (outcome == Outcome::Return) return outcome;
        // A script whose own clip has been removed goes on until its next call of a function
        // by name or on an object. (Inside tellTarget it goes on until the target is its own
        // clip again.)
        if (reachedCall_ && ownClipRemoved()) return Outcome::Return;
        if (outcome == Outcome::JumpOut) {
            if (jumpTarget_ >= start && jumpTarget_ <= end) {
                pc = jumpTarget_;
                continue;
            }
            return outcome;
        }
    }
    return Outcome::Normal;
}

}  // namespace swf::avm1
