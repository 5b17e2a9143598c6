#include "swf/avm1/Activation.h"

#include <algorithm>
#include <cmath>

#include "swf/avm1/ArrayObject.h"
#include "swf/avm1/DisplayProperties.h"
#include "swf/avm1/Dragging.h"
#include "swf/avm1/LoadRequests.h"
#include "swf/avm1/MovieClipClass.h"
#include "swf/avm1/NumberConversion.h"
#include "swf/avm1/SoundChannelState.h"
#include "swf/avm1/StageObject.h"
#include "swf/avm1/StringFunctions.h"
#include "swf/avm1/SuperObject.h"
#include "swf/avm1/TargetPath.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/format/BitReader.h"
#include "swf/movie/IgnoringCase.h"
#include "swf/sound/SoundMixer.h"

namespace swf::avm1 {
namespace {

enum Action : uint8_t {
    kEnd = 0x00,
    kNextFrame = 0x04,
    kPreviousFrame = 0x05,
    kPlay = 0x06,
    kStop = 0x07,
    kToggleQuality = 0x08,
    kStopSounds = 0x09,
    kAdd = 0x0A,
    kSubtract = 0x0B,
    kMultiply = 0x0C,
    kDivide = 0x0D,
    kEquals = 0x0E,
    kLess = 0x0F,
    kAnd = 0x10,
    kOr = 0x11,
    kNot = 0x12,
    kStringEquals = 0x13,
    kStringLength = 0x14,
    kStringExtract = 0x15,
    kPop = 0x17,
    kToInteger = 0x18,
    kGetVariable = 0x1C,
    kSetVariable = 0x1D,
    kSetTarget2 = 0x20,
    kStringAdd = 0x21,
    kGetProperty = 0x22,
    kSetProperty = 0x23,
    kCloneSprite = 0x24,
    kRemoveSprite = 0x25,
    kTrace = 0x26,
    kStartDrag = 0x27,
    kEndDrag = 0x28,
    kStringLess = 0x29,
    kThrow = 0x2A,
    kCastOp = 0x2B,
    kImplementsOp = 0x2C,
    kRandomNumber = 0x30,
    kMbStringLength = 0x31,
    kCharToAscii = 0x32,
    kAsciiToChar = 0x33,
    kGetTime = 0x34,
    kMbStringExtract = 0x35,
    kMbCharToAscii = 0x36,
    kMbAsciiToChar = 0x37,
    kDelete = 0x3A,
    kDelete2 = 0x3B,
    kDefineLocal = 0x3C,
    kCallFunction = 0x3D,
    kReturn = 0x3E,
    kModulo = 0x3F,
    kNewObject = 0x40,
    kDefineLocal2 = 0x41,
    kInitArray = 0x42,
    kInitObject = 0x43,
    kTypeOf = 0x44,
    kTargetPath = 0x45,
    kEnumerate = 0x46,
    kAdd2 = 0x47,
    kLess2 = 0x48,
    kEquals2 = 0x49,
    kToNumber = 0x4A,
    kToString = 0x4B,
    kPushDuplicate = 0x4C,
    kStackSwap = 0x4D,
    kGetMember = 0x4E,
    kSetMember = 0x4F,
    kIncrement = 0x50,
    kDecrement = 0x51,
    kCallMethod = 0x52,
    kNewMethod = 0x53,
    kInstanceOf = 0x54,
    kEnumerate2 = 0x55,
    kBitAnd = 0x60,
    kBitOr = 0x61,
    kBitXor = 0x62,
    kBitLShift = 0x63,
    kBitRShift = 0x64,
    kBitURShift = 0x65,
    kStrictEquals = 0x66,
    kGreater = 0x67,
    kStringGreater = 0x68,
    kExtends = 0x69,
    kGotoFrame = 0x81,
    kGetUrl = 0x83,
    kStoreRegister = 0x87,
    kConstantPool = 0x88,
    kStrictMode = 0x89,
    kWaitForFrame = 0x8A,
    kSetTarget = 0x8B,
    kGotoLabel = 0x8C,
    kWaitForFrame2 = 0x8D,
    kDefineFunction2 = 0x8E,
    kTry = 0x8F,
    kWith = 0x94,
    kPush = 0x96,
    kJump = 0x99,
    kGetUrl2 = 0x9A,
    kDefineFunction = 0x9B,
    kIf = 0x9D,
    kCall = 0x9E,
    kGotoFrame2 = 0x9F,
};

constexpr size_t kMaxArguments = 65536;

// Reads the record at `pc`: its code and payload; false past the end or on a cut record.
bool readRecord(std::span<const uint8_t> code, size_t& pc, size_t end, uint8_t& action,
                std::span<const uint8_t>& data) {
    if (pc >= end) return false;
    action = code[pc++];
    data = {};
    if (action == kEnd) return false;
    if (action >= 0x80) {
        if (pc + 2 > end) return false;
        size_t length = code[pc] | (static_cast<size_t>(code[pc + 1]) << 8);
        pc += 2;
        if (length > end - pc) return false;
        data = code.subspan(pc, length);
        pc += length;
    }
    return true;
}

bool isPath(std::string_view name) {
    return name.find_first_of("/:.") != std::string_view::npos;
}

}  // namespace

Activation::Activation(Machine& machine, ActionBlock block)
    : machine_(machine),
      block_(std::move(block)),
      version_(block_.swfVersion),
      stack_(machine.stack()),
      floor_(stack_.size()) {
    registers_.resize(4);
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

void Activation::runTimelineActions(Machine& machine, const ActionBlock& block, MovieClip& clip) {
    machine.startActionList();
    runGuarded(machine, [&] {
        Activation activation(machine, block);
        StageObject* stage = machine.stageObject(clip);
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
        // Frame scripts share the stack: what one leaves, the next finds.
        activation.floor_ = 0;
        activation.execute(0, block.code.size());
    });
}

Value Activation::callFunction(Machine& machine, Function& function, Object* self,
                               std::span<const Value> args, Object* home) {
    const FunctionDefinition& def = *function.definition();
    Activation a(machine, def.body);
    a.version_ = std::max(a.version_, 5);  // function bodies follow SWF 5 rules, even in SWF 4 movies
    a.constants_ = def.constants;
    a.callee_ = &function;
    a.this_ = self;
    a.home_ = home ? home : (self ? self->proto() : nullptr);
    Object* base = machine.liveObject(function.baseClip());
    // A function stops, as a frame script does, once the clip it belongs to is removed.
    a.haltsWithBase_ = base != nullptr && base->asStageObject() != nullptr;
    // With that clip gone, the clip it was called on stands in, else the main timeline.
    if (!base && self && self->asStageObject() && machine.displayObjectOf(Value(self))) base = self;
    if (!base) base = machine.context().root() ? machine.stageObject(*machine.context().root()) : nullptr;
    if (def.body.swfVersion < 6) {
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
    if (def.isFunction2) {
        a.registers_.assign(std::max<size_t>(def.registerCount, 1), Value());
        a.ownRegistersOnly_ = false;
    }

    bool wantsArguments = !def.isFunction2 || !(def.flags & kSuppressArguments) ||
                          (def.flags & kPreloadArguments);
    if (wantsArguments) {
        ArrayObject* arguments = machine.newArray(args);
        arguments->defineOwn("callee", Property{Value(&function), nullptr, nullptr, kDontEnum});
        Object* caller = machine.runningFunction();
        arguments->defineOwn("caller", Property{caller ? Value(caller) : Value(Null{}), nullptr,
                                                nullptr, kDontEnum});
        a.arguments_ = arguments;
    }
    SuperObject* super = nullptr;
    if (a.home_ && self && (!def.isFunction2 || !(def.flags & kSuppressSuper) ||
                            (def.flags & kPreloadSuper)))
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
    if (stack_.size() <= floor_) return Value();
    Value v = std::move(stack_.back());
    stack_.pop_back();
    return v;
}

void Activation::push(Value value) {
    if (stack_.size() >= kMaxStack)
        throw ScriptLimitError("stack overflow: the script pushed more values than the player keeps");
    stack_.push_back(std::move(value));
}

Value& Activation::top() {
    if (stack_.size() <= floor_) stack_.emplace_back();
    return stack_.back();
}

std::vector<Value> Activation::popArguments() {
    double n = machine_.toNumber(pop());
    size_t count = n > 0 ? static_cast<size_t>(std::min<double>(n, kMaxArguments)) : 0;
    count = std::min(count, stack_.size() - floor_);
    std::vector<Value> args;
    args.reserve(count);
    for (size_t i = 0; i < count; ++i) args.push_back(pop());
    return args;
}

// ---- variables

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
        // find the timeline.
        if (thisHidden_ && version_ < 6) return nullptr;
        return thisHidden_ || !this_ ? base_ : this_;
    }
    // _root, _global and _levelN are the timeline's answers: a variable of that name
    // set on it comes first.
    found = false;
    return nullptr;
}

Object* Activation::resolveTarget(std::string_view path, bool variablePath) {
    Object* start = target_ ? target_ : base_;
    if (path.empty()) return start;
    Object* current = start;
    MovieClip* root = machine_.context().root();
    bool slashSeen = false;
    if (path.front() == '/') {
        current = root ? machine_.stageObject(*root) : nullptr;
        path.remove_prefix(1);
        slashSeen = true;
    }
    bool first = !slashSeen;
    if (path.starts_with('.') && !path.starts_with("..")) return nullptr;  // ".a" is no path
    while (!path.empty() && current) {
        if (path.front() == '/') return nullptr;  // "//": an empty name between slashes
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
    // The name is after the last ':' or '.' (even one of a ".."); with neither, a slash path
    // names a clip itself.
    size_t split = name.find_last_of(":.");
    std::string_view path = name;
    member.clear();
    if (split != std::string_view::npos) {
        path = name.substr(0, split);
        member = std::string(name.substr(split + 1));
    }
    object = resolveTarget(path, true);
    return true;
}

Value Activation::getVariable(std::string_view name) {
    Object* object = nullptr;
    std::string member;
    if (resolvePathVariable(name, object, member)) {
        size_t split = name.find_last_of(":.");
        bool namesClip = split == std::string_view::npos;
        // SWF 4 has no clip values; ":x" names no variable.
        if (namesClip && version_ < 5) return Value();
        if (split == 0) return Value();
        if (object) return namesClip ? Value(object) : machine_.get(Value(object), member);
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
        if (machine_.has(scope, name)) return machine_.get(Value(scope), name);
    }
    if (name.starts_with("_level")) return Value();
    return Value();
}

bool Activation::assignmentTarget(std::string_view name, Object*& object, std::string& member) {
    if (isPath(name) && name.find_last_of(":.") == std::string_view::npos) {
        // A slash path alone names the last part's variable on the clip before it.
        size_t slash = name.rfind('/');
        object = resolveTarget(slash == 0 ? "/" : name.substr(0, slash), true);
        member = std::string(name.substr(slash + 1));
        return true;
    }
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
        if (it->isTarget || machine_.has(scope, name)) {
            machine_.set(Value(scope), name, value);
            return;
        }
    }
    if (!scope_.empty()) machine_.set(Value(scope_.front().object), name, value);
}

Object* Activation::localScope(std::string_view name, std::string& member) {
    member = std::string(name);
    // In a function the innermost link is its locals, which take any name as it is; in a
    // frame script the timeline, or the clip a path leads to.
    if (callee_) return scope_.back().object;
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

// ---- the loop

void Activation::skipActions(size_t& pc, size_t end, unsigned count) {
    uint8_t action = 0;
    std::span<const uint8_t> data;
    for (unsigned i = 0; i < count; ++i)
        if (!readRecord(block_.code, pc, end, action, data)) {
            pc = end;
            return;
        }
}

Activation::Outcome Activation::execute(size_t start, size_t end) {
    size_t pc = start;
    end = std::min(end, block_.code.size());
    while (pc < end) {
        machine_.chargeAction();
        // A frame script stops once its own clip has been removed.
        // (Inside tellTarget it goes on until the target is its own clip again.)
        if (haltsWithBase_ && target_ == base_ && !machine_.displayObjectOf(Value(base_)))
            return Outcome::Return;
        uint8_t action = 0;
        std::span<const uint8_t> data;
        if (!readRecord(block_.code, pc, end, action, data)) return Outcome::Normal;
        Outcome outcome = step(action, data, pc, end);
        if (outcome == Outcome::Return) return outcome;
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

void Activation::push(std::span<const uint8_t> data) {
    BitReader in(data);
    while (!in.atEnd()) {
        uint8_t type = in.u8();
        switch (type) {
            case 0:
                push(Value(in.cString()));
                break;
            case 1:
                push(Value(static_cast<double>(in.f32())));
                break;
            case 2:
                push(Value(Null{}));
                break;
            case 3:
                push(Value());
                break;
            case 4: {
                uint8_t r = in.u8();
                Value* slot = registerSlot(r);
                push(slot ? *slot : Value());
                break;
            }
            case 5:
                push(Value(in.u8() != 0));
                break;
            case 6:
                push(Value(in.f64()));
                break;
            case 7:
                push(Value(static_cast<double>(in.s32())));
                break;
            case 8:
            case 9: {
                size_t index = type == 8 ? in.u8() : in.u16();
                if (constants_ && index < constants_->size())
                    push(Value((*constants_)[index]));
                else
                    push(Value());
                break;
            }
            default:
                return;  // an unknown type ends the record
        }
        if (in.overrun()) return;
    }
}

void Activation::gotoFrame(MovieClip* clip, const Value& frame, bool play, int sceneBias) {
    if (!clip) return;
    int target = -1;
    // Anything but a number is a frame's text: undefined and false name labels.
    if (!frame.isNumber()) {
        std::string text = machine_.toString(frame);
        std::string_view label = text;
        MovieClip* owner = clip;
        size_t colon = text.rfind(':');
        if (colon != std::string::npos) {
            Object* o = resolveTarget(std::string_view(text).substr(0, colon));
            owner = machine_.movieClipOf(Value(o));
            label = std::string_view(text).substr(colon + 1);
            if (!owner) return;
        }
        double n = stringToNumber(label, version_);
        if (!std::isnan(n))
            target = static_cast<int32_t>(static_cast<uint32_t>(toInt32(n)) - 1u +
                                          static_cast<uint32_t>(sceneBias));
        else if ((target = owner->timeline().findLabel(label)) >= 0)
            target += sceneBias;  // a label counts from its scene's start too
        clip = owner;
    } else {
        double n = machine_.toNumber(frame);
        if (std::isnan(n)) return;
        if (n != std::trunc(n)) {
            // A fraction names no frame: the player looks it up as a label.
            target = clip->timeline().findLabel(machine_.toString(Value(n)));
        } else {
            // Frame numbers wrap at 32 bits, and so does one less than them.
            target = static_cast<int32_t>(static_cast<uint32_t>(toInt32(n)) - 1u +
                                          static_cast<uint32_t>(sceneBias));
        }
    }
    if (target < 0) return;
    clip->gotoFrame(target);
    if (play)
        clip->play();
    else
        clip->stop();
}

void Activation::getUrl(const std::string& url, const std::string& window, uint8_t flags) {
    constexpr std::string_view kFsCommand = "FSCommand:";
    MovieContext& context = machine_.context();
    if (startsWithIgnoringCase(url, kFsCommand)) {
        std::string command = url.substr(kFsCommand.size());
        if (command.size() == 4 && startsWithIgnoringCase(command, "quit")) {
            context.requestQuit();
        } else if (context.fsCommand) {
            context.fsCommand(command, window);
        }
        return;
    }
    // GetURL2's flags: 0x80 loads variables, 0x40 names a clip as the target; the method
    // (GET/POST) would send the clip's variables, which a local file does not take.
    constexpr uint8_t kLoadVariables = 0x80, kTargetIsClip = 0x40;
    ContentRequests* loader = context.loader();
    if (!loader) return;
    LoadTarget target;
    target.level = levelNumber(window);
    if (target.level < 0) {
        // A browser window: nothing is opened.
        if (!(flags & (kLoadVariables | kTargetIsClip))) return;
        DisplayObject* object = machine_.displayObjectOf(Value(resolveTarget(window)));
        // Variables may go to a text field too; movies only to clips.
        if (object && (flags & kLoadVariables) && !object->asMovieClip())
            return requestVariables(machine_, -1, object->shared_from_this(), url);
        MovieClip* clip = object ? object->asMovieClip() : nullptr;
        if (!clip) return;
        target = loadTargetOf(machine_, *clip);
    }
    if (flags & kLoadVariables)
        requestVariables(machine_, target, url);
    else if (url.empty())
        loader->unloadMovie(target);
    else
        loader->loadMovie(target, url);
}

void Activation::callFrame(const Value& frame) {
    MovieClip* clip = targetClip();
    std::string text = machine_.toString(frame);
    std::string_view label = text;
    size_t colon = text.rfind(':');
    if (colon != std::string::npos) {
        clip = machine_.movieClipOf(Value(resolveTarget(label.substr(0, colon))));
        label = label.substr(colon + 1);
    }
    if (!clip) return;
    int index = -1;
    double n = stringToNumber(label, version_);
    if (!std::isnan(n))
        index = static_cast<int32_t>(static_cast<uint32_t>(toInt32(n)) - 1u);
    else
        index = clip->timeline().findLabel(label);
    if (index < 0 || index >= clip->timeline().playableFrames()) return;
    // A frame calling frames nests like a function call, under the same depth bound.
    int& depth = machine_.callDepth();
    if (depth >= Machine::kMaxCallDepth)
        throw RecursionLimitError();
    struct DepthGuard {
        int& depth;
        ~DepthGuard() { --depth; }
    } guard{++depth};
    for (const FrameTag& tag : clip->timeline().frame(index).tags)
        if (const auto* action = std::get_if<DoAction>(&tag)) {
            ActionBlock block{block_.owner, action->code, version_};
            Activation nested(machine_, block);
            StageObject* stage = machine_.stageObject(*clip);
            nested.scope_ = {{machine_.global(), false}, {stage, true}};
            nested.this_ = stage;
            nested.target_ = stage;
            nested.base_ = stage;
            nested.execute(0, block.code.size());
        }
}

bool Activation::frameLoaded(const Value&) {
    return true;  // the whole movie is loaded before it plays
}

void Activation::defineFunction(std::span<const uint8_t> data, size_t& pc, size_t end,
                                bool version2) {
    BitReader in(data);
    auto def = std::make_shared<FunctionDefinition>();
    def->name = in.cString();
    uint16_t count = in.u16();
    def->isFunction2 = version2;
    if (version2) {
        def->registerCount = in.u8();
        def->flags = in.u16();
        for (uint16_t i = 0; i < count && !in.overrun(); ++i) {
            def->parameterRegisters.push_back(in.u8());
            def->parameters.push_back(in.cString());
        }
    } else {
        for (uint16_t i = 0; i < count && !in.overrun(); ++i) def->parameters.push_back(in.cString());
    }
    size_t size = in.u16();
    if (in.overrun()) return;
    size = std::min(size, end - pc);
    def->body = block_.slice(pc, size);
    def->constants = constants_;
    pc += size;
    auto* function = machine_.heap().make<Function>(machine_.prototypes().function, def, scope_,
                                                     base_);
    Object* prototype = machine_.newObject();
    prototype->defineOwn("constructor", Property{Value(function), nullptr, nullptr, kDontEnum});
    function->defineOwn("prototype", Property{Value(prototype), nullptr, nullptr, kDontEnum});
    if (def->name.empty())
        push(Value(function));
    else
        defineLocal(def->name, Value(function));
}

void Activation::runTry(std::span<const uint8_t> data, size_t& pc, size_t end, Outcome& outcome) {
    BitReader in(data);
    uint8_t flags = in.u8();
    size_t trySize = in.u16(), catchSize = in.u16(), finallySize = in.u16();
    bool catchInRegister = flags & 4;
    std::string catchName;
    uint8_t catchRegister = 0;
    if (catchInRegister)
        catchRegister = in.u8();
    else
        catchName = in.cString();
    bool hasCatch = flags & 1, hasFinally = flags & 2;
    size_t tryStart = pc;
    size_t catchStart = std::min(tryStart + trySize, end);
    size_t finallyStart = std::min(catchStart + catchSize, end);
    size_t after = std::min(finallyStart + finallySize, end);
    pc = after;
    outcome = Outcome::Normal;
    size_t height = stack_.size();
    try {
        try {
            outcome = execute(tryStart, catchStart);
        } catch (ScriptThrow& thrown) {
            if (!hasCatch) throw;
            // What the try block pushed is gone; what it popped stays popped.
            if (stack_.size() > height) stack_.resize(height);
            if (catchInRegister) {
                if (Value* slot = registerSlot(catchRegister)) *slot = thrown.value;
            } else {
                defineLocal(catchName, thrown.value);
            }
            outcome = execute(catchStart, finallyStart);
        }
    } catch (ScriptThrow&) {
        if (hasFinally) {
            Value saved = returnValue_;
            Outcome f = execute(finallyStart, after);
            if (f != Outcome::Normal) {
                outcome = f;
                return;  // a return in finally swallows the exception
            }
            returnValue_ = saved;
        }
        throw;
    }
    // A jump from the try or catch block into the blocks after it (compilers jump over the
    // catch block, some to the finally block) ends the block normally: finally runs once.
    if (outcome == Outcome::JumpOut && jumpTarget_ >= catchStart && jumpTarget_ <= after)
        outcome = Outcome::Normal;
    if (hasFinally) {
        Value saved = returnValue_;
        Outcome f = execute(finallyStart, after);
        if (f != Outcome::Normal)
            outcome = f;
        else
            returnValue_ = saved;
    }
}

void Activation::runWith(std::span<const uint8_t> data, size_t& pc, size_t end, Outcome& outcome) {
    BitReader in(data);
    size_t size = std::min<size_t>(in.u16(), end - pc);
    Value value = pop();
    Object* object = machine_.toObject(value);
    size_t start = pc;
    pc = start + size;
    if (!object) {
        outcome = Outcome::Normal;
        return;
    }
    scope_.push_back({object, false});
    try {
        outcome = execute(start, start + size);
    } catch (...) {
        scope_.pop_back();
        throw;
    }
    scope_.pop_back();
}

Activation::Outcome Activation::step(uint8_t action, std::span<const uint8_t> data, size_t& pc,
                                     size_t end) {
    BitReader args(data);
    bool swf4 = version_ < 5;
    auto pushBool = [&](bool b) { push(swf4 ? Value(b ? 1.0 : 0.0) : Value(b)); };
    switch (action) {
        case kNextFrame:
        case kPreviousFrame:
            if (MovieClip* clip = targetClip()) {
                clip->gotoFrame(clip->currentFrame() + (action == kNextFrame ? 1 : -1));
                clip->stop();
            }
            break;
        case kPlay:
            if (MovieClip* clip = targetClip()) clip->play();
            break;
        case kStop:
            if (MovieClip* clip = targetClip()) clip->stop();
            break;
        case kStopSounds:
            if (auto sounds = SoundChannelState::find(machine_.context()))
                sounds->stopWhere(nullptr, nullptr);
            if (SoundMixer* mixer = machine_.context().soundMixer()) mixer->stopAll();
            break;
        case kToggleQuality:
        case kStrictMode:
            break;
        case kAdd: {
            auto [a, b] = popNumbers();
            push(Value(a + b));
            break;
        }
        case kSubtract: {
            auto [a, b] = popNumbers(true);
            push(Value(a - b));
            break;
        }
        case kMultiply: {
            auto [a, b] = popNumbers();
            push(Value(a * b));
            break;
        }
        case kDivide: {
            auto [a, b] = popNumbers(true);
            if (swf4 && b == 0)
                push(Value("#ERROR#"));
            else
                push(Value(a / b));
            break;
        }
        case kEquals: {
            auto [a, b] = popNumbers(true);
            pushBool(a == b);
            break;
        }
        case kLess: {
            auto [a, b] = popNumbers();
            pushBool(a < b);
            break;
        }
        case kAnd: {
            bool b = machine_.toBoolean(pop()), a = machine_.toBoolean(pop());
            pushBool(a && b);
            break;
        }
        case kOr: {
            bool b = machine_.toBoolean(pop()), a = machine_.toBoolean(pop());
            pushBool(a || b);
            break;
        }
        case kNot:
            pushBool(!machine_.toBoolean(pop()));
            break;
        case kStringEquals: {
            auto [a, b] = popStrings();
            pushBool(a == b);
            break;
        }
        case kStringLess: {
            auto [a, b] = popStrings();
            pushBool(a < b);
            break;
        }
        case kStringGreater: {
            auto [a, b] = popStrings();
            pushBool(a > b);
            break;
        }
        case kStringLength:
        case kMbStringLength: {
            std::string s = machine_.toString(pop());
            push(Value(static_cast<double>(
                action == kStringLength && version_ < 6 ? s.size() : stringLength(s, version_))));
            break;
        }
        case kStringExtract:
        case kMbStringExtract: {
            double count = machine_.toNumber(pop());
            double index = machine_.toNumber(pop());
            std::string s = machine_.toString(pop());
            auto chars = decodeCharacters(s, action == kStringExtract && version_ < 6 ? 5 : version_);
            double from = std::isnan(index) ? 0 : std::max(0.0, index - 1);
            double n = std::isnan(count) ? 0 : count < 0 ? static_cast<double>(chars.size()) : count;
            size_t f = static_cast<size_t>(std::min<double>(from, chars.size()));
            size_t c = static_cast<size_t>(std::min<double>(n, chars.size()));
            push(Value(encodeCharacters(chars, f, c, version_)));
            break;
        }
        case kStringAdd: {
            auto [a, b] = popStrings();
            Machine::checkLength(a.size() + b.size());
            push(Value(a + b));
            break;
        }
        case kCharToAscii:
        case kMbCharToAscii: {
            std::string s = machine_.toString(pop());
            // From SWF 6 on, ord and chr work in characters as mbord and mbchr do.
            auto chars = decodeCharacters(s, action == kCharToAscii && version_ < 6 ? 5 : version_);
            push(chars.empty() ? Value(0.0) : Value(static_cast<double>(chars[0])));
            break;
        }
        case kAsciiToChar:
        case kMbAsciiToChar: {
            double code = machine_.toNumber(pop());
            uint32_t c = std::isnan(code) ? 0 : static_cast<uint32_t>(toInt32(code));
            bool bytes = action == kAsciiToChar && version_ < 6;
            push(Value(encodeCharacter(bytes ? (c & 0xFF) : (c & 0xFFFF), bytes ? 5 : version_)));
            break;
        }
        case kPop:
            pop();
            break;
        case kToInteger:
            push(Value(static_cast<double>(toInt32(machine_.toNumber(pop())))));
            break;
        case kGetVariable: {
            std::string name = machine_.toString(pop());
            push(getVariable(name));
            break;
        }
        case kSetVariable: {
            Value value = pop();
            std::string name = machine_.toString(pop());
            setVariable(name, value);
            break;
        }
        case kSetTarget2: {
            // A clip is taken as it is; anything else names a path by its string.
            Value target = pop();
            if (machine_.displayObjectOf(target)) {
                setTargetClip(machine_.liveObject(target.asObject()));
                break;
            }
            std::string path = machine_.toString(target);
            if (path.empty()) {
                restoreTarget();
                break;
            }
            setTargetClip(resolveTarget(path));
            break;
        }
        case kSetTarget: {
            std::string path = args.cString();
            if (path.empty()) {
                restoreTarget();
                break;
            }
            setTargetClip(resolveTarget(path));
            break;
        }
        case kGetProperty: {
            double index = machine_.toNumber(pop());
            Object* object = targetOperand(pop());
            push(object && !std::isnan(index) ? getDisplayPropertyByIndex(machine_, *object,
                                                                           static_cast<int>(index))
                                              : Value());
            break;
        }
        case kSetProperty: {
            Value value = pop();
            double index = machine_.toNumber(pop());
            Object* object = targetOperand(pop());
            if (object && !std::isnan(index))
                setDisplayPropertyByIndex(machine_, *object, static_cast<int>(index), value);
            break;
        }
        case kCloneSprite: {
            double depth = machine_.toNumber(pop());
            std::string name = machine_.toString(pop());
            Object* object = targetOperand(pop());
            duplicateClip(machine_, object, name, depth - 16384, nullptr);
            break;
        }
        case kRemoveSprite: {
            removeClip(machine_, targetOperand(pop()));
            break;
        }
        case kTrace: {
            Value value = pop();
            machine_.trace(value.isUndefined() ? "undefined" : machine_.toString(value));
            break;
        }
        case kStartDrag: {
            Value target = pop();
            bool lockCenter = machine_.toBoolean(pop());
            std::optional<DragLimits> limits;
            if (machine_.toBoolean(pop())) {
                limits.emplace();
                limits->bottom = machine_.toNumber(pop());
                limits->right = machine_.toNumber(pop());
                limits->top = machine_.toNumber(pop());
                limits->left = machine_.toNumber(pop());
            }
            DisplayObject* object = machine_.displayObjectOf(target);
            if (!object)
                object = machine_.displayObjectOf(Value(resolveTarget(machine_.toString(target))));
            if (object) startDrag(machine_, *object, lockCenter, limits);
            break;
        }
        case kEndDrag:
            stopDrag(machine_);
            break;
        case kThrow:
            throw ScriptThrow{pop()};
        case kCastOp: {
            Value object = pop();
            Value constructor = pop();
            push(instanceOf(machine_, object, constructor) ? object : Value(Null{}));
            break;
        }
        case kImplementsOp: {
            Object* constructor = pop().asObject();
            std::vector<Value> interfaces = popArguments();
            if (!constructor) break;
            Object* prototype = machine_.get(Value(constructor), "prototype").asObject();
            if (!prototype) break;
            prototype->interfaces.clear();
            for (const Value& i : interfaces)
                if (Object* o = i.asObject()) prototype->interfaces.push_back(o);
            break;
        }
        case kRandomNumber: {
            double max = machine_.toNumber(pop());
            int32_t limit = std::isnan(max) ? 0 : toInt32(max);
            push(Value(limit <= 0 ? 0.0 : static_cast<double>(machine_.randomBelow(static_cast<uint32_t>(limit)))));
            break;
        }
        case kGetTime:
            push(Value(machine_.movieTimeMs()));
            break;
        case kDelete: {
            std::string name = machine_.toString(pop());
            Value object = pop();
            Object* o = machine_.toObject(object);
            pushBool(o && machine_.deleteProperty(o, name));
            break;
        }
        case kDelete2: {
            std::string name = machine_.toString(pop());
            bool deleted = false;
            Object* holder = nullptr;
            std::string member;
            if (resolvePathVariable(name, holder, member)) {
                pushBool(holder && !member.empty() && machine_.deleteProperty(holder, member));
                break;
            }
            for (auto it = scope_.rbegin(); it != scope_.rend(); ++it)
                if (it->object && it->object->findOwn(name)) {
                    deleted = machine_.deleteProperty(it->object, name);
                    break;
                }
            pushBool(deleted);
            break;
        }
        case kDefineLocal: {
            Value value = pop();
            std::string name = machine_.toString(pop());
            defineLocal(name, value);
            break;
        }
        case kDefineLocal2: {
            std::string name = machine_.toString(pop());
            std::string member;
            Object* scope = localScope(name, member);
            if (scope && !scope->findOwn(member)) machine_.set(Value(scope), member, Value());
            break;
        }
        case kCallFunction: {
            std::string name = machine_.toString(pop());
            std::vector<Value> arguments = popArguments();
            Value function;
            Object* self = nullptr;
            Object* home = nullptr;
            if (machine_.namesEqual(name, "super")) {
                Value super = getVariable("super");
                if (auto* s = dynamic_cast<SuperObject*>(super.asObject())) {
                    push(s->callConstructor(machine_, arguments));
                    break;
                }
            }
            Object* object = nullptr;
            std::string member;
            if (resolvePathVariable(name, object, member) && object && !member.empty()) {
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
            if (!self) self = target_ ? target_ : base_;
            push(machine_.call(function, self, arguments, home));
            break;
        }
        case kCallMethod: {
            Value nameValue = pop();
            Value objectValue = pop();
            std::vector<Value> arguments = popArguments();
            std::string name = nameValue.isUndefined() ? "" : machine_.toString(nameValue);
            auto* super = dynamic_cast<SuperObject*>(objectValue.asObject());
            if (name.empty()) {
                // super() compiles to a call of the super object itself.
                push(super ? super->callConstructor(machine_, arguments)
                           : machine_.call(objectValue, nullptr, arguments));
                break;
            }
            if (super) {
                push(super->callMethod(machine_, name, arguments));
                break;
            }
            push(machine_.callMethod(objectValue, name, arguments));
            break;
        }
        case kReturn:
            returnValue_ = pop();
            return Outcome::Return;
        case kModulo: {
            auto [a, b] = popNumbers();
            push(Value(std::fmod(a, b)));
            break;
        }
        case kNewObject: {
            std::string name = machine_.toString(pop());
            std::vector<Value> arguments = popArguments();
            push(machine_.construct(getVariable(name), arguments));
            break;
        }
        case kNewMethod: {
            Value nameValue = pop();
            Value objectValue = pop();
            std::vector<Value> arguments = popArguments();
            std::string name = nameValue.isUndefined() ? "" : machine_.toString(nameValue);
            Value constructor = name.empty() ? objectValue : machine_.get(objectValue, name);
            push(machine_.construct(constructor, arguments));
            break;
        }
        case kInitArray: {
            std::vector<Value> elements = popArguments();
            push(Value(machine_.newArray(elements)));
            break;
        }
        case kInitObject: {
            double n = machine_.toNumber(pop());
            size_t count = n > 0 ? static_cast<size_t>(std::min<double>(n, kMaxArguments)) : 0;
            if (count > (stack_.size() - floor_) / 2) {
                // More pairs than the stack holds: no object, nothing else taken.
                push(Value());
                break;
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
            break;
        }
        case kTypeOf:
            push(Value(machine_.typeOf(pop())));
            break;
        case kTargetPath: {
            Value value = pop();
            DisplayObject* d = machine_.displayObjectOf(value);
            push(d ? Value(machine_.targetPath(*d)) : Value());
            break;
        }
        case kEnumerate:
        case kEnumerate2: {
            Value value = pop();
            if (action == kEnumerate) value = getVariable(machine_.toString(value));
            push(Value());  // the end marker: undefined, which equals null
            Object* object = value.isObject() ? machine_.liveObject(value.asObject()) : nullptr;
            if (!object) break;
            // The loop pops names from the top: the last listed comes out first.
            for (const std::string& name : machine_.enumerate(object)) push(Value(name));
            break;
        }
        case kAdd2: {
            Value b = pop(), a = pop();
            push(machine_.add(a, b));
            break;
        }
        case kLess2: {
            Value b = pop(), a = pop();
            Value r = machine_.lessThan(a, b);
            if (r.isBool()) pushBool(r.asBool()); else push(std::move(r));
            break;
        }
        case kGreater: {
            Value b = pop(), a = pop();
            Value r = machine_.lessThan(b, a);
            if (r.isBool()) pushBool(r.asBool()); else push(std::move(r));
            break;
        }
        case kEquals2: {
            Value b = pop(), a = pop();
            pushBool(machine_.equals(a, b));
            break;
        }
        case kStrictEquals: {
            Value b = pop(), a = pop();
            pushBool(machine_.strictEquals(a, b));
            break;
        }
        case kToNumber:
            push(Value(machine_.toNumber(pop())));
            break;
        case kToString:
            push(Value(machine_.toString(pop())));
            break;
        case kPushDuplicate: {
            Value v = top();
            push(std::move(v));
            break;
        }
        case kStackSwap: {
            Value b = pop(), a = pop();
            push(std::move(b));
            push(std::move(a));
            break;
        }
        case kGetMember: {
            Value nameValue = pop();
            Value object = pop();
            push(machine_.get(object, machine_.toString(nameValue)));
            break;
        }
        case kSetMember: {
            Value value = pop();
            Value nameValue = pop();
            Value object = pop();
            machine_.set(object, machine_.toString(nameValue), value);
            break;
        }
        case kIncrement:
            push(Value(machine_.toNumber(pop()) + 1));
            break;
        case kDecrement:
            push(Value(machine_.toNumber(pop()) - 1));
            break;
        case kInstanceOf: {
            Value constructor = pop();
            Value object = pop();
            push(Value(instanceOf(machine_, object, constructor)));
            break;
        }
        case kBitAnd:
        case kBitOr:
        case kBitXor:
        case kBitLShift:
        case kBitRShift:
        case kBitURShift: {
            Value bv = pop(), av = pop();
            int32_t a = machine_.toInt32(av), b = machine_.toInt32(bv);
            uint32_t shift = static_cast<uint32_t>(b) & 31;
            double r = 0;
            switch (action) {
                case kBitAnd: r = a & b; break;
                case kBitOr: r = a | b; break;
                case kBitXor: r = a ^ b; break;
                case kBitLShift: r = static_cast<int32_t>(static_cast<uint32_t>(a) << shift); break;
                case kBitRShift: r = a >> shift; break;
                // The player keeps the unsigned result in a signed integer: 0xFFFFFFFF >>> 0
                // is -1.
                default: r = static_cast<int32_t>(static_cast<uint32_t>(a) >> shift); break;
            }
            push(Value(r));
            break;
        }
        case kExtends: {
            Object* superclass = pop().asObject();
            Object* subclass = pop().asObject();
            if (!superclass || !subclass) break;
            Object* superPrototype = machine_.get(Value(superclass), "prototype").asObject();
            Object* prototype = machine_.newObject(superPrototype);
            if (!superPrototype) prototype->setProto(nullptr);
            prototype->defineOwn("__constructor__",
                                 Property{Value(superclass), nullptr, nullptr, kDontEnum});
            machine_.set(Value(subclass), "prototype", Value(prototype));
            break;
        }
        case kGotoFrame: {
            uint16_t frame = args.u16();
            if (MovieClip* clip = targetClip()) {
                clip->gotoFrame(frame);
                clip->stop();
            }
            break;
        }
        case kGotoLabel: {
            std::string label = args.cString();
            if (MovieClip* clip = targetClip()) {
                int frame = clip->timeline().findLabel(label);
                if (frame >= 0) {
                    clip->gotoFrame(frame);
                    clip->stop();
                }
            }
            break;
        }
        case kGotoFrame2: {
            uint8_t flags = args.u8();
            int bias = (flags & 2) ? args.u16() : 0;
            gotoFrame(targetClip(), pop(), flags & 1, bias);
            break;
        }
        case kGetUrl: {
            std::string url = args.cString();
            std::string window = args.cString();
            getUrl(url, window, 0);
            break;
        }
        case kGetUrl2: {
            uint8_t flags = args.u8();
            std::string window = machine_.toString(pop());
            std::string url = machine_.toString(pop());
            getUrl(url, window, flags);
            break;
        }
        case kStoreRegister: {
            uint8_t r = args.u8();
            if (Value* slot = registerSlot(r)) *slot = top();
            break;
        }
        case kConstantPool: {
            auto pool = std::make_shared<std::vector<std::string>>();
            uint16_t count = args.u16();
            for (uint16_t i = 0; i < count && !args.atEnd(); ++i) pool->push_back(args.cString());
            constants_ = std::move(pool);
            break;
        }
        case kWaitForFrame: {
            uint16_t frame = args.u16();
            uint8_t skip = args.u8();
            if (!frameLoaded(Value(static_cast<double>(frame)))) skipActions(pc, end, skip);
            break;
        }
        case kWaitForFrame2: {
            uint8_t skip = args.u8();
            if (!frameLoaded(pop())) skipActions(pc, end, skip);
            break;
        }
        case kDefineFunction:
        case kDefineFunction2:
            defineFunction(data, pc, end, action == kDefineFunction2);
            break;
        case kTry: {
            Outcome outcome = Outcome::Normal;
            runTry(data, pc, end, outcome);
            if (outcome != Outcome::Normal) return outcome;
            break;
        }
        case kWith: {
            Outcome outcome = Outcome::Normal;
            runWith(data, pc, end, outcome);
            if (outcome != Outcome::Normal) return outcome;
            break;
        }
        case kPush:
            push(data);
            break;
        case kJump: {
            int16_t offset = args.s16();
            int64_t target = static_cast<int64_t>(pc) + offset;
            if (target < 0 || static_cast<size_t>(target) > block_.code.size()) {
                jumpTarget_ = block_.code.size();
            } else {
                jumpTarget_ = static_cast<size_t>(target);
            }
            return Outcome::JumpOut;
        }
        case kIf: {
            int16_t offset = args.s16();
            if (!machine_.toBoolean(pop())) break;
            int64_t target = static_cast<int64_t>(pc) + offset;
            jumpTarget_ = target < 0 || static_cast<size_t>(target) > block_.code.size()
                              ? block_.code.size()
                              : static_cast<size_t>(target);
            return Outcome::JumpOut;
        }
        case kCall:
            callFrame(pop());
            break;
        default:
            break;  // unknown actions are skipped by their length
    }
    return Outcome::Normal;
}

}  // namespace swf::avm1
