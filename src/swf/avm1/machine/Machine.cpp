#include "swf/avm1/machine/Machine.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "swf/avm1/machine/Activation.h"
#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/machine/PrimitiveObject.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/avm1/machine/StringFunctions.h"
#include "swf/display/DisplayObject.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/format/LetterCase.h"
#include "swf/format/Utf8.h"

namespace swf::avm1 {

Machine::Machine(MovieContext& context, int swfVersion, StageAccess& stage,
                 void (*installClasses)(Machine&))
    : context_(context),
      stage_(stage),
      movieVersion_(swfVersion),
      heap_(swfVersion),
      installClasses_(installClasses) {
    realmOf(swfVersion);
}

Machine::~Machine() = default;

bool Machine::namesEqual(std::string_view a, std::string_view b) const {
    return caseSensitive() ? a == b : namesEqualIgnoringCase(a, b);
}

Realm& Machine::realmOf(int version) {
    Realm& realm = laterFamily(version) ? laterRealm_ : earlierRealm_;
    if (realm.installed) return realm;
    realm.installed = true;
    // The classes install themselves into the realm of the version running.
    const int running = heap_.swfVersion();
    heap_.setSwfVersion(version);
    realm.prototypes.object = heap_.make<Object>(nullptr);
    realm.prototypes.function = heap_.make<Object>(realm.prototypes.object);
    realm.global = heap_.make<Object>(nullptr);  // _global is bare: no Object methods
    installClasses_(*this);
    // The built-in classes have a constructor of their own: Function.
    if (Property* function = realm.prototypes.function->findOwn("constructor")) {
        std::vector<std::string> names;
        realm.global->ownNames(names);
        for (const std::string& name : names) {
            Property* p = realm.global->findOwn(name);
            Function* ctor =
                p && p->value.asObject() ? p->value.asObject()->asFunction() : nullptr;
            if (ctor && ctor->isNative() && ctor->findOwn("prototype") &&
                !ctor->findOwn("constructor"))
                ctor->defineOwn("constructor",
                                Property{function->value, nullptr, nullptr, kDontEnum});
        }
    }
    heap_.setSwfVersion(running);
    return realm;
}

void Machine::useVersion(int version) {
    realmOf(version);
    heap_.setSwfVersion(version);
}

std::vector<Object*> Machine::playerObjects(std::string_view name) const {
    std::vector<Object*> found;
    for (const Realm* realm : {&earlierRealm_, &laterRealm_}) {
        if (!realm->installed) continue;
        Property* p = realm->global->findOwn(name);
        if (Object* object = p ? p->value.asObject() : nullptr) found.push_back(object);
    }
    return found;
}

// ---- objects

Object* Machine::runningTarget() const {
    return runningCode_ ? runningCode_->target() : nullptr;
}

bool Machine::runningConstructor() const {
    return runningCode_ && runningCode_->constructs();
}

const Activation* Machine::swapRunningCode(const Activation* code) {
    useVersion(code ? code->swfVersion() : movieVersion_);
    return std::exchange(runningCode_, code);
}

Object* Machine::newObject(Object* proto) {
    return heap_.make<Object>(proto ? proto : prototypes().object);
}

ArrayObject* Machine::newArray() {
    return heap_.make<ArrayObject>(prototypes().array);
}

ArrayObject* Machine::newArray(std::span<const Value> values) {
    ArrayObject* array = newArray();
    for (uint32_t i = 0; i < values.size(); ++i) array->setAt(i, values[i]);
    return array;
}

Function* Machine::newFunction(NativeFunction native, InstanceMaker maker) {
    Function* function =
        heap_.make<Function>(prototypes().function, std::move(native), std::move(maker));
    function->hideProtoBefore6();
    return function;
}

void Machine::linkToFunctionClass(Function& function) {
    function.setProto(nullptr);
    // Read past the version flags: SWF 5 code cannot name Function, yet its functions have it.
    Property* own = global()->findOwnAnyVersion("Function");
    Value functionClass = own && !own->isVirtual() ? own->value : Value();
    if (!functionClass.isObject()) return;
    Value prototype = get(functionClass, "prototype");
    function.setProto(prototype.asObject());
    if (!prototype.isObject() && !prototype.isNullish())
        function.defineOwn("__proto__", Property{prototype, nullptr, nullptr, kDontEnum});
    function.defineOwn("constructor", Property{functionClass, nullptr, nullptr, kDontEnum});
}

Function* Machine::defineClass(Object* on, std::string_view name, Object* prototype,
                               NativeFunction native, InstanceMaker maker) {
    Function* ctor = newFunction(std::move(native), std::move(maker));
    ctor->defineOwn("prototype",
                    Property{Value(prototype), nullptr, nullptr, kDontEnum | kDontDelete});
    prototype->defineOwn("constructor", Property{Value(ctor), nullptr, nullptr, kDontEnum});
    if (on) on->defineOwn(name, Property{Value(ctor), nullptr, nullptr, kDontEnum});
    return ctor;
}

Value Machine::makeError(std::string_view message) {
    Object* error = newObject(prototypes().error);
    error->setOwn("message", Value(message));
    return Value(error);
}

void throwError(Machine& machine, std::string_view message) {
    throw ScriptThrow{machine.makeError(message)};
}

void Machine::checkLength(size_t length) {
    if (length > kMaxStringLength)
        throw ScriptLimitError("string too long: the script built a string past the player's bound");
}

// ---- conversions

std::string Machine::toString(const Value& v) {
    if (v.isString()) return v.asString();
    if (v.isNumber()) return numberToString(v.asNumber());
    if (v.isBool()) return v.asBool() ? "true" : "false";
    if (v.isNull()) return "null";
    if (v.isUndefined()) return swfVersion() >= 7 ? "undefined" : "";
    Object* object = v.asObject();
    if (object->asStageObject()) return toString(toPrimitive(v, Hint::String));
    const char* typeName = object->asFunction() ? "[type Function]" : "[type Object]";
    Value method = methodPastResolve(object, "toString");
    if (method.isUndefined()) return typeName;
    // A toString that gives back anything but text leaves the object's type name.
    Value text = call(method, object, {});
    return text.isString() ? text.asString() : typeName;
}

double Machine::toNumber(const Value& v) {
    if (v.isNumber()) return v.asNumber();
    if (v.isBool()) return v.asBool() ? 1 : 0;
    if (v.isString()) return stringToNumber(v.asString(), swfVersion());
    if (v.isNullish()) return swfVersion() >= 7 ? NAN : 0;
    // An object without valueOf counts as undefined; a clip, or an object whose valueOf
    // gives an object, is NaN (0 to SWF 4, which reads anything but a number as 0).
    Object* object = v.asObject();
    double notNumber = swfVersion() < 5 ? 0 : NAN;
    if (object->asStageObject()) return notNumber;
    Value method = methodPastResolve(object, "valueOf");
    if (method.isUndefined()) return toNumber(Value());
    Value result = call(method, object, {});
    return result.isObject() ? notNumber : toNumber(result);
}

Value Machine::methodPastResolve(Object* object, std::string_view name) {
    Value method = getFromObject(object, object, name);
    Object* function = method.asObject();
    return function && function->asFunction() ? method : Value();
}

bool Machine::toBoolean(const Value& v) {
    if (v.isBool()) return v.asBool();
    if (v.isNumber()) return v.asNumber() != 0 && !std::isnan(v.asNumber());
    if (v.isString()) {
        if (swfVersion() >= 7) return !v.asString().empty();
        double n = stringToNumber(v.asString(), swfVersion());
        return n != 0 && !std::isnan(n);
    }
    if (v.isNullish()) return false;
    return true;
}

int32_t Machine::toInt32(const Value& v) {
    return avm1::toInt32(toNumber(v));
}

Value Machine::toPrimitive(const Value& v, Hint hint) {
    Object* object = v.asObject();
    if (!object) return v;
    if (StageObject* stage = object->asStageObject()) {
        // A clip stands for its path as text; as a number it stays itself (NaN).
        if (hint != Hint::String) return v;
        if (Object* live = liveObject(stage)) {
            if (DisplayObject* d = live->asStageObject()->displayObject()) return Value(targetPath(*d));
        }
        return Value(std::string());  // a removed clip reads as empty text
    }
    if (hint == Hint::Default) {
        Value boxed;
        // SWF 5 takes a date's valueOf too.
        bool isDate = swfVersion() >= 6 && object->primitiveValue(boxed) && isDateObject(object);
        hint = isDate ? Hint::String : Hint::Number;
    }
    // The player calls one method: valueOf for numbers, toString for text. Without it the
    // object stands for undefined; a method giving back an object leaves the object as it is.
    Value method = methodPastResolve(object, hint == Hint::String ? "toString" : "valueOf");
    if (method.isUndefined()) return method;
    Value result = call(method, object, {});
    return result.isObject() ? v : result;
}

bool Machine::isDateObject(Object* object) const {
    for (int depth = 0; object && depth < kMaxPrototypeChain; ++depth, object = object->proto())
        if (object == prototypes().date) return true;
    return false;
}

Object* Machine::toObject(const Value& v) {
    if (Object* o = v.asObject()) return liveObject(o);
    return boxThroughGlobal(v);
}

// Whatever the global String (Number, Boolean) is now (getters run, __resolve does not)
// makes the object: a native class as `new` does (Boolean(42) holds true); a script's function
// runs as a constructor on an object holding the value with that function's prototype.
Object* Machine::boxThroughGlobal(const Value& v) {
    const char* className = v.isString() ? "String"
                            : v.isNumber() ? "Number"
                            : v.isBool()   ? "Boolean"
                                           : nullptr;
    if (!className) return nullptr;
    Value ctor = methodPastResolve(global(), className);
    Function* function = ctor.isObject() ? ctor.asObject()->asFunction() : nullptr;
    if (!function) return nullptr;
    Value arg[1] = {v};
    if (function->isNative()) return construct(ctor, arg).asObject();
    Value prototypeValue = get(ctor, "prototype");
    Object* box = heap_.make<PrimitiveObject>(prototypeValue.asObject(), v);
    linkInstance(*box, prototypeValue, ctor);
    call(ctor, box, arg);
    return box;
}

const char* Machine::typeOf(const Value& v) {
    if (v.isUndefined()) return "undefined";
    if (v.isNull()) return "null";
    if (v.isBool()) return "boolean";
    if (v.isNumber()) return "number";
    if (v.isString()) return "string";
    Object* object = v.asObject();
    if (StageObject* stage = object->asStageObject()) {
        // Before SWF 6 whatever is on the stage, a text field too, reads as a movie clip.
        Object* live = liveObject(stage);
        return live && swfVersion() >= 6 ? live->typeOf() : "movieclip";
    }
    return object->typeOf();
}

bool Machine::strictEquals(const Value& a, const Value& b) {
    if (a.isUndefined() || a.isNull()) return (a.isUndefined() && b.isUndefined()) ||
                                              (a.isNull() && b.isNull());
    if (a.isNumber() && b.isNumber()) return a.isSameNumber(b);
    if (a.isString() && b.isString()) return sameText(a.asString(), b.asString(), swfVersion());
    if (a.isBool() && b.isBool()) return a.asBool() == b.asBool();
    if (a.isObject() && b.isObject()) {
        Object* x = a.asObject();
        Object* y = b.asObject();
        if (x == y) return true;
        StageObject* sx = x->asStageObject();
        StageObject* sy = y->asStageObject();
        Object* lx = sx ? liveObject(sx) : nullptr;
        Object* ly = sy ? liveObject(sy) : nullptr;
        if (!lx || !ly) return false;
        if (lx == ly) return true;
        // A reference to a clip is its path: two clips at one path are one to scripts.
        DisplayObject* dx = displayObjectOf(Value(lx));
        DisplayObject* dy = displayObjectOf(Value(ly));
        return dx && dy && targetPath(*dx) == targetPath(*dy);
    }
    return false;
}

bool Machine::equals(const Value& a, const Value& b) {
    // SWF 5 compares objects by their values (the second one's valueOf runs first): a String
    // and a Number object of the same figures are equal, and two objects without a value
    // (any function there) stand for undefined.
    if (swfVersion() < 6 && (a.isObject() || b.isObject())) {
        Value y = toPrimitive(b, Hint::Default);
        Value x = toPrimitive(a, Hint::Default);
        if (x.isObject() || y.isObject()) return x.isObject() && y.isObject() && strictEquals(x, y);
        return equals(x, y);
    }
    if (a.isNullish() && b.isNullish()) return true;
    if (a.isNullish() || b.isNullish()) {
        // An object without valueOf stands for undefined.
        const Value& other = a.isNullish() ? b : a;
        if (!other.isObject() || other.asObject()->asStageObject()) return false;
        return toPrimitive(other, Hint::Default).isUndefined() &&
               methodPastResolve(other.asObject(), "valueOf").isUndefined();
    }
    if (a.isObject() && b.isObject()) {
        const bool aClip = a.asObject()->asStageObject() != nullptr;
        if (aClip == (b.asObject()->asStageObject() != nullptr)) return strictEquals(a, b);
        // A clip and an object are of different types: the object's value is compared
        // (an object whose valueOf gives the clip equals it).
        const Value& clip = aClip ? a : b;
        Object* other = (aClip ? b : a).asObject();
        Value valueOf = methodPastResolve(other, "valueOf");
        Value p = valueOf.isUndefined() ? Value() : call(valueOf, other, {});
        return p.isObject() ? strictEquals(p, clip) : equals(p, clip);
    }
    if ((a.isNumber() && b.isNumber()) || (a.isString() && b.isString()) ||
        (a.isBool() && b.isBool()))
        return strictEquals(a, b);
    if (a.isNumber() && b.isString()) return a.asNumber() == toNumber(b);
    if (a.isString() && b.isNumber()) return toNumber(a) == b.asNumber();
    if (a.isBool()) return equals(Value(a.asBool() ? 1.0 : 0.0), b);
    if (b.isBool()) return equals(a, Value(b.asBool() ? 1.0 : 0.0));
    if (a.isObject()) {
        Value p = toPrimitive(a, Hint::Default);
        if (p.isObject()) return false;
        return equals(p, b);
    }
    Value p = toPrimitive(b, Hint::Default);
    if (p.isObject()) return false;
    return equals(a, p);
}

Value Machine::lessThan(const Value& a, const Value& b) {
    // An operand that stays an object (not a clip, which is NaN) makes the answer false,
    // before the second is converted.
    auto staysObject = [](const Value& p) { return p.isObject() && !p.asObject()->asStageObject(); };
    Value x = toPrimitive(a, Hint::Default);
    if (staysObject(x)) return Value(false);
    Value y = toPrimitive(b, Hint::Default);
    if (staysObject(y)) return Value(false);
    // Empty text is less than nothing ("" < "0" is false).
    if (x.isString() && y.isString())
        return Value(!x.asString().empty() &&
                     compareText(x.asString(), y.asString(), swfVersion()) < 0);
    double nx = toNumber(x), ny = toNumber(y);
    if (std::isnan(nx) || std::isnan(ny)) return Value();
    return Value(nx < ny);
}

Value Machine::add(const Value& a, const Value& b) {
    // The player converts the second operand first.
    Value y = toPrimitive(b, Hint::Default);
    Value x = toPrimitive(a, Hint::Default);
    if (x.isString() || y.isString()) {
        // A function with no valueOf (any in SWF 5) joins text as "[type Function]", where
        // another object without one stands for undefined.
        auto text = [&](const Value& primitive, const Value& given) {
            Function* function = given.isObject() ? given.asObject()->asFunction() : nullptr;
            bool noValueOf = primitive.isUndefined() && function && !function->isNative() &&
                             methodPastResolve(function, "valueOf").isUndefined();
            return toString(noValueOf ? given : primitive);
        };
        std::string s = text(x, a);
        std::string t = text(y, b);
        checkLength(s.size() + t.size());
        appendText(s, t, swfVersion());
        return Value(std::move(s));
    }
    // An operand left an object is converted again (its valueOf runs a second time).
    return Value(toNumber(x) + toNumber(y));
}

// ---- properties

Object* Machine::liveObject(Object* object) {
    StageObject* stage = object ? object->asStageObject() : nullptr;
    if (!stage || stage->alive()) return object;
    // A removed clip is found again by its path, if something stands there now.
    std::string_view path = stage->path();
    constexpr std::string_view kLevel = "_level";
    if (!path.starts_with(kLevel)) return nullptr;
    path.remove_prefix(kLevel.size());
    size_t digits = std::min(path.find('.'), path.size());
    int level = 0;
    for (char c : path.substr(0, digits)) {
        if (c < '0' || c > '9' || level > 100000) return nullptr;
        level = level * 10 + (c - '0');
    }
    path.remove_prefix(digits);
    DisplayObject* current = context_.level(level);
    while (!path.empty() && current) {
        if (path.front() == '.') path.remove_prefix(1);
        size_t end = std::min(path.find('.'), path.size());
        std::string_view name = path.substr(0, end);
        path.remove_prefix(end);
        DisplayList* children = current->children();
        current = children ? children->named(name, caseSensitive()) : nullptr;
    }
    if (!current) return nullptr;
    return stageObject(*current);
}

bool Machine::callAccessor(const Property& property, Object* function, Object* self,
                           std::span<const Value> args, Value& result) {
    AccessorLevel level(*this, property.accessorId);
    if (!level.entered()) return false;
    result = call(Value(function), self, args);
    return true;
}

Machine::AccessorLevel::AccessorLevel(Machine& machine, uint32_t id)
    : depths_(machine.accessorDepths_), id_(id) {
    int& depth = depths_[id];
    entered_ = depth < (machine.swfVersion() >= 7 ? kMaxAccessorDepth : 1);
    if (entered_) ++depth;
}

Machine::AccessorLevel::~AccessorLevel() {
    auto it = depths_.find(id_);
    if (it == depths_.end()) return;
    if (entered_) --it->second;
    if (it->second <= 0) depths_.erase(it);
}

void Machine::setThroughAccessor(Object* holder, Object* self, std::string_view name,
                                 const Value& value) {
    Property* p = holder->findOwnAnyVersion(name);
    if (!p) return;
    if (!p->setter) {
        // A script's pair without a setter keeps what is assigned all the same, for its
        // getter to read past the bound.
        Function* getter = p->getter ? p->getter->asFunction() : nullptr;
        if (getter && !getter->isNative()) p->value = value;
        return;
    }
    uint32_t id = p->accessorId;
    Function* setter = p->setter->asFunction();
    bool keepsValue = setter && !setter->isNative();
    Value ignored;
    callAccessor(*p, p->setter, self, std::span<const Value>(&value, 1), ignored);
    // A script's pair keeps the value once its setter is done (or was not called past the
    // bound), so the outermost assignment is the one a getter past the bound reads. The
    // player's own pairs hold their values elsewhere.
    if (!keepsValue) return;
    p = holder->findOwnAnyVersion(name);
    if (p && p->accessorId == id) p->value = value;
}

Value Machine::getFromObject(Object* object, Object* thisObject, std::string_view name) {
    Object* o = object;
    int depth = 0;
    for (; o && depth < kMaxPrototypeChain; ++depth, o = o->proto()) {
        // A clip or text field further up the chain lends nothing, nor what is above it.
        if (o != object && o->asStageObject()) return Value();
        if (Property* p = o->findOwn(name)) {
            if (!p->isVirtual()) return p->value;
            // Past the bound the getter is not called: the value last assigned is read.
            Value result = p->value;
            if (p->getter) callAccessor(*p, p->getter, thisObject, {}, result);
            return result;
        }
        Value special;
        if (o->getSpecial(*this, name, special)) return special;
    }
    // A prototype chain that loops ends the action list, as runaway recursion does.
    if (o) throw RecursionLimitError();
    return Value();
}

Value Machine::get(const Value& target, std::string_view name) {
    Object* object = target.asObject();
    if (!object) {
        if (target.isNullish()) return Value();
        if (target.isString() && name == "length") {
            Object* boxed = toObject(target);
            Value v;
            boxed->getSpecial(*this, name, v);
            return v;
        }
        object = toObject(target);
    }
    object = liveObject(object);
    if (!object) return Value();
    if (namesEqual(name, "__proto__")) {
        // A prototype set to a value that is no object is kept as that value (no prototype).
        if (object->proto()) return Value(object->proto());
        if (Property* kept = object->findOwn("__proto__")) return kept->value;
        // super answers with the prototype above the one it stands for.
        Value special;
        object->getSpecial(*this, name, special);
        return special;
    }
    Value result = getFromObject(object, object, name);
    if (!result.isUndefined() || has(object, name)) return result;
    // __resolve answers for a property that is not there: the first on the chain that holds
    // an object, passing over primitives and clips; one made by addProperty answers nothing.
    Object* o = object;
    for (int depth = 0; o && depth < kMaxPrototypeChain; ++depth, o = o->proto()) {
        Property* p = o->findOwn("__resolve");
        if (!p) continue;
        if (p->isVirtual()) break;
        Object* resolver = p->value.asObject();
        if (!resolver || resolver->asStageObject()) continue;
        if (!resolver->asFunction()) break;
        Value arg(name);
        return call(Value(resolver), object, std::span<const Value>(&arg, 1));
    }
    return result;
}

bool Machine::has(Object* object, std::string_view name) {
    return holderOf(object, name) != nullptr;
}

Object* Machine::holderOf(Object* object, std::string_view name) {
    object = liveObject(object);
    // An object's prototype link is its own property, so a scope object answers for it.
    if (object && object->proto() && namesEqual(name, "__proto__")) return object;
    Object* start = object;
    for (int depth = 0; object && depth < kMaxPrototypeChain; ++depth, object = object->proto()) {
        if (object != start && object->asStageObject()) return nullptr;
        if (object->findOwn(name)) return object;
        Value special;
        if (object->getSpecial(*this, name, special)) return object;
    }
    return nullptr;
}

bool Machine::runWatcher(Object* object, std::string_view name, Value& value) {
    auto watch = std::find_if(watches_.begin(), watches_.end(), [&](const Watch& w) {
        return w.object == object && namesEqual(w.name, name);
    });
    if (watch == watches_.end()) return false;
    // Copied: reading the old value may run a script that watches or unwatches.
    const Watch w = *watch;
    // The old value is what the property on the chain holds, read without its getter: a
    // getter/setter pair (the player's own ones too, a text field's text, ...) shows none.
    Object* holder = object;
    Property* p = nullptr;
    for (int depth = 0; holder && !p && depth < kMaxPrototypeChain; ++depth)
        if (!(p = holder->findOwn(name))) holder = holder->proto();
    // A watcher of a getter/setter pair counts its levels with the pair's.
    AccessorLevel level(*this, p && p->isVirtual() ? p->accessorId : w.id);
    if (!level.entered()) return false;
    Value old = p ? p->value : get(Value(object), name);
    Value args[4] = {Value(w.name), old, value, w.data};
    value = call(Value(w.callback), object, args);
    return true;
}

void Machine::set(const Value& target, std::string_view name, const Value& given) {
    Object* object = liveObject(target.asObject());
    if (!object) return;
    Value value = given;
    runWatcher(object, name, value);
    if (namesEqual(name, "__proto__")) {
        object->setProto(value.asObject());
        if (value.isObject())
            object->deleteOwn("__proto__");
        else
            object->defineOwn("__proto__", Property{value, nullptr, nullptr, kDontEnum});
        return;
    }
    if (Property* own = object->findOwn(name)) {
        if (own->isVirtual()) {
            setThroughAccessor(object, object, name, value);
            return;
        }
        if (object->setSpecial(*this, name, value)) return;
        if (!(own->flags & kReadOnly)) own->value = value;
        return;
    }
    if (object->setSpecial(*this, name, value)) return;
    // An own property hidden from this version takes the assignment; no inherited setter
    // runs. The SWF 7 bit keeps it hidden with its new value, the others give way to a
    // visible one.
    if (Property* hidden = object->findOwnAnyVersion(name)) {
        if ((hidden->flags & kVersion7) && !hidden->isVirtual()) {
            hidden->value = value;
        } else {
            object->setOwn(name, value);
        }
        return;
    }
    // An inherited getter/setter takes the assignment, even one the SWF 6 or SWF 7 bit hides
    // (the bits of later versions hide it from assignments too).
    Object* o = object->proto();
    for (int depth = 0; o && depth < kMaxPrototypeChain; ++depth, o = o->proto()) {
        Property* p = o->findOwnAnyVersion(name);
        if (p && p->isVirtual() && ((p->flags & (kHiddenIn6 | kVersion7)) || o->findOwn(name))) {
            setThroughAccessor(o, object, name, value);
            return;
        }
    }
    object->setOwn(name, value);
}

bool Machine::deleteProperty(Object* object, std::string_view name) {
    object = liveObject(object);
    if (object && namesEqual(name, "__proto__") && object->proto()) {
        object->setProto(nullptr);
        return true;
    }
    return object && object->deleteOwn(name);
}

std::vector<std::string> Machine::enumerate(Object* object) {
    std::vector<std::string> names;
    std::vector<std::string> seen;
    object = liveObject(object);
    // The object's own names, then each prototype's, each in the order they were made; a name
    // met nearer the object hides the same name further up. Names hidden from this movie's
    // version are listed too, though reading them gives undefined.
    for (int depth = 0; object && depth < kMaxPrototypeChain; ++depth, object = object->proto()) {
        // A clip's named children come before its properties.
        std::vector<std::string> table;
        object->specialNames(*this, table);
        object->ownNames(table, true);
        for (const std::string& name : table) {
            bool already = std::any_of(seen.begin(), seen.end(),
                                       [&](const std::string& s) { return namesEqual(s, name); });
            if (already) continue;
            seen.push_back(name);
            Property* p = object->findOwnAnyVersion(name);
            if (!p || !(p->flags & kDontEnum)) names.push_back(name);
        }
    }
    return names;
}

// ---- calls

void Machine::checkCallDepth() const {
    // At least the list and one call: events the host calls are functions too.
    int levels = std::clamp<int>(context_.movie().maxRecursionDepth, 2, kMaxCallDepth);
    if (callDepth_ + 1 >= levels) throw RecursionLimitError();
}

Value Machine::call(const Value& functionValue, Object* self, std::span<const Value> args,
                    Object* home, const Activation* lender) {
    Object* object = functionValue.asObject();
    Function* function = object ? object->asFunction() : nullptr;
    if (!function) return Value();
    checkCallDepth();
    struct DepthGuard {
        int& depth;
        explicit DepthGuard(int& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
    } guard(callDepth_);
    if (function->isNative()) {
        constructing_ = false;
        return function->native()(*this, self, args);
    }
    return Activation::callFunction(*this, *function, self, args, home, lender);
}

Value Machine::callMethod(const Value& target, std::string_view name,
                          std::span<const Value> args) {
    Object* self = target.isObject() ? liveObject(target.asObject()) : toObject(target);
    if (!self) return Value();
    Object* home = methodHome(self, name);
    // A method of the object itself has its prototype as its home: super is above that.
    if (home == self) home = self->proto();
    Value method = get(Value(self), name);
    return call(method, self, args, home);
}

Object* Machine::methodHome(Object* from, std::string_view name) {
    // From SWF 7 the object on the chain the method was found on. Up to SWF 6 the object the
    // search started from, wherever the method was found: one inherited from further up runs
    // again through super.
    return swfVersion() >= 7 ? holderOf(from, name) : from;
}

Value Machine::construct(const Value& functionValue, std::span<const Value> args) {
    Object* object = functionValue.asObject();
    Function* function = object ? object->asFunction() : nullptr;
    if (!function) return Value();
    Value prototypeValue = get(Value(function), "prototype");
    // A class whose prototype this version does not see (TextField in SWF 5) still makes its
    // instances with it.
    if (Property* hidden = function->findOwnAnyVersion("prototype");
        hidden && !prototypeValue.isObject() && !function->findOwn("prototype"))
        prototypeValue = hidden->value;
    Object* prototype = prototypeValue.asObject();
    // A class derived from a native one gets the native's kind of instance (a date, a
    // color transform, ...), found through the prototype chain up to the native's prototype.
    // An instance of the native met first (a prototype that is `new Date()`) ends the search:
    // what inherits from it is a plain object.
    const InstanceMaker* maker = function->instanceMaker() ? &function->instanceMaker() : nullptr;
    Object* p = prototype;
    for (int depth = 0; !maker && p && depth < kMaxPrototypeChain; ++depth, p = p->proto()) {
        Property* c = p->findOwn("constructor");
        Function* native = c && !c->isVirtual() && c->value.asObject()
                               ? c->value.asObject()->asFunction()
                               : nullptr;
        bool nativePrototype = native && native->isNative() && native->instanceMaker() &&
                               get(Value(native), "prototype").asObject() == p;
        if (nativePrototype) maker = &native->instanceMaker();
        else if (typeid(*p) != typeid(Object)) break;
    }
    Object* instance = maker ? (*maker)(*this, prototype)
                             : newObject(prototype ? prototype : prototypes().object);
    if (!prototype) instance->setProto(nullptr);
    linkInstance(*instance, prototypeValue, functionValue);
    if (function->isNative()) {
        // A native constructor may answer with an object of its own (Object(x), ...), or
        // refuse its arguments with null: `new` then gives undefined (BitmapData of a size
        // the player does not make).
        Value result = constructNative(*function, instance, args);
        if (result.isObject()) return result;
        if (result.isNull()) return Value();
        return Value(instance);
    }
    // The flag is the called function's to take; a call that never starts leaves none behind.
    constructingScript_ = true;
    try {
        call(functionValue, instance, args, prototype);
    } catch (...) {
        constructingScript_ = false;
        throw;
    }
    constructingScript_ = false;
    return Value(instance);
}

void Machine::linkInstance(Object& instance, const Value& prototypeValue,
                           const Value& constructor) {
    // A prototype that is a primitive is what the instance's __proto__ then reads.
    if (!prototypeValue.isObject() && !prototypeValue.isNullish())
        instance.defineOwn("__proto__", Property{prototypeValue, nullptr, nullptr, kDontEnum});
    instance.defineOwn("__constructor__", Property{constructor, nullptr, nullptr, kDontEnum});
    if (swfVersion() < 6)
        instance.defineOwn("constructor", Property{constructor, nullptr, nullptr, kDontEnum});
}

Value Machine::constructNative(Function& function, Object* instance,
                               std::span<const Value> args) {
    checkCallDepth();
    ++callDepth_;
    constructing_ = true;
    Value result;
    try {
        result = function.native()(*this, instance, args);
    } catch (...) {
        constructing_ = false;
        --callDepth_;
        throw;
    }
    constructing_ = false;
    --callDepth_;
    return result;
}

// ---- display objects

StageObject* Machine::stageObject(DisplayObject& object) {
    if (object.scriptObject()) return object.scriptObject();
    // A display object is an instance of its own movie's classes, whoever reaches it first.
    MovieClip* clip = object.nearestClip();
    Prototypes& prototypes = realmOf(clip ? clip->swfVersion() : movieVersion_).prototypes;
    Object* proto = prototypes.object;
    if (object.asMovieClip()) proto = prototypes.movieClip;
    else if (object.isButton()) proto = prototypes.button;
    else if (object.isEditText()) proto = prototypes.textField;
    else if (object.isVideo() && prototypes.video) {
        proto = prototypes.video;
        if (!prototypes.videoPropertiesAdded) {
            prototypes.videoPropertiesAdded = true;
            installMembers(*this, proto, prototypes.videoProperties);
        }
    }
    auto* stage = heap_.make<StageObject>(proto, object.shared_from_this(), targetPath(object));
    object.setScriptObject(stage);
    stageObjects_.push_back(stage);
    return stage;
}

DisplayObject* Machine::displayObjectOf(const Value& value) {
    Object* object = liveObject(value.asObject());
    StageObject* stage = object ? object->asStageObject() : nullptr;
    return stage ? stage->displayObject() : nullptr;
}

MovieClip* Machine::movieClipOf(const Value& value) {
    DisplayObject* d = displayObjectOf(value);
    return d ? d->asMovieClip() : nullptr;
}

std::string Machine::targetPath(DisplayObject& object) {
    std::vector<DisplayObject*> chain;
    for (DisplayObject* o = &object; o && chain.size() < 1024; o = o->parent()) chain.push_back(o);
    // A level's root is named for the level it was loaded into, wherever it stands now.
    MovieClip* top = chain.back()->asMovieClip();
    int level = top && top->levelName() >= 0 ? top->levelName() : context_.levelOf(chain.back());
    std::string path = "_level" + std::to_string(level < 0 ? 0 : level);
    for (auto it = chain.rbegin() + 1; it < chain.rend(); ++it) path += "." + (*it)->name();
    return path;
}

std::string Machine::slashPath(DisplayObject& object) {
    std::vector<const DisplayObject*> chain;
    for (const DisplayObject* o = &object; o && chain.size() < 1024; o = o->parent())
        chain.push_back(o);
    // Paths in other levels start with the level's name.
    int level = context_.levelOf(chain.back());
    std::string path = level > 0 ? "_level" + std::to_string(level) : "";
    if (chain.size() == 1) return level > 0 ? path : "/";
    for (auto it = chain.rbegin() + 1; it < chain.rend(); ++it) path += "/" + (*it)->name();
    return path;
}

void Machine::runActions(const ActionBlock& block, DisplayObject& timeline) {
    Activation::runTimelineActions(*this, block, timeline);
}

void Machine::callEventMethod(DisplayObject& object, std::string_view name) {
    StageObject* stage = stageObject(object);
    // The player's own calls of a handler do not ask __resolve for a missing one. One that
    // left at once (it had no unload handler then) gets none, whatever stands at its path.
    Value method = stage->alive() ? methodPastResolve(stage, name) : Value();
    if (method.isUndefined()) return;
    Activation::runGuarded(*this, [&] { call(method, stage, {}); });
}

void Machine::trace(const std::string& line) {
    if (!context_.trace) return;
    // Lines break at CR as at LF. Before SWF 6 a byte that starts no UTF-8 sequence is a
    // Latin-1 character; the sequences themselves print as they are.
    std::string out;
    out.reserve(line.size());
    if (swfVersion() < 6) {
        for (uint32_t c : decodeCharacters(line, 6)) appendUtf8(out, c == '\r' ? '\n' : c);
    } else {
        for (char c : line) out.push_back(c == '\r' ? '\n' : c);
    }
    context_.trace(printable(out));
}

double Machine::frameTimeMs() const {
    return static_cast<double>(context_.tick()) * context_.movie().header.frameIntervalMs();
}

double Machine::movieTimeMs() const {
    return frameTimeMs() + static_cast<double>(actionsThisTick_ / kActionsPerClockMs);
}

void Machine::stopRunaway(const char* reason) {
    context_.noteScriptStop(reason);
    throw ScriptLimitError(reason);
}

void Machine::checkCreations() {
    if (context_.objectsMadeThisTick() <= MovieContext::kMaxObjectsMadePerTick) return;
    tooManyMadeThisTick_ = true;
    stopRunaway("the scripts made too many objects in one frame (more than 20,000 clips, "
                "text fields and the like)");
}

uint32_t Machine::randomBelow(uint32_t limit) {
    if (limit == 0) return 0;
    return static_cast<uint32_t>(random() * limit);
}

double Machine::random() {
    // xorshift64*: fast, and the same sequence every run.
    randomState_ ^= randomState_ >> 12;
    randomState_ ^= randomState_ << 25;
    randomState_ ^= randomState_ >> 27;
    uint64_t x = randomState_ * 0x2545F4914F6CDD1DULL;
    return static_cast<double>(x >> 11) / 9007199254740992.0;
}

Object* ownPrototype(Object* holder) {
    // The stored value itself: inherited members are not looked at and no getter runs (a
    // property made by addProperty keeps the value it replaced).
    Property* p = holder ? holder->findOwn("prototype") : nullptr;
    return p ? p->value.asObject() : nullptr;
}

bool instanceOf(Machine& machine, const Value& object, const Value& constructor) {
    Object* o = machine.liveObject(object.asObject());
    Object* c = constructor.asObject();
    if (!o || !c) return false;
    // A prototype hidden from this version still is the one `new` gives (TextField in SWF 5).
    Property* own = c->findOwnAnyVersion("prototype");
    if (!own || own->value.isUndefined() || own->value.isNull()) return false;
    // A primitive is boxed by the global class of its type, whatever that is now.
    Object* prototype = machine.toObject(own->value);
    if (!prototype) return false;
    Object* p = o->proto();
    std::vector<Object*> pending;
    constexpr size_t kMaxInterfaces = Machine::kMaxPrototypeChain;
    for (int depth = 0; p && depth < Machine::kMaxPrototypeChain; ++depth, p = p->proto()) {
        if (p == prototype) return true;
        // The prototypes of the interfaces, with those they implement in turn (up to a bound,
        // which also ends a loop of them); their own __proto__ chains do not count.
        pending.assign(p->interfaces.begin(), p->interfaces.end());
        for (size_t n = 0; n < pending.size() && n < kMaxInterfaces; ++n) {
            Object* ip = pending[n];
            if (!ip) continue;
            if (ip == prototype) return true;
            if (pending.size() < kMaxInterfaces)
                pending.insert(pending.end(), ip->interfaces.begin(), ip->interfaces.end());
        }
    }
    return false;
}

void Machine::registerClass(const std::string& exportName, Object* constructor) {
    // Up to SWF 6 a name differing only in case is the same name: its class and its spelling
    // become the new ones.
    auto& classes = realm().registeredClasses;
    for (auto& [name, ctor] : classes)
        if (namesEqual(name, exportName)) {
            name = exportName;
            ctor = constructor;
            return;
        }
    classes.emplace_back(exportName, Rooted<Object>(heap_, constructor));
}

const std::string* Machine::registeredName(const Object* constructor) const {
    const auto& classes = realm().registeredClasses;
    for (auto it = classes.rbegin(); constructor && it != classes.rend(); ++it)
        if (it->second == constructor) return &it->first;
    return nullptr;
}

Object* Machine::registeredClass(std::string_view exportName, int movieVersion) const {
    // Names are matched as the movie's version matches names: ignoring case up to SWF 6.
    const bool later = laterFamily(movieVersion);
    for (const auto& [name, ctor] : (later ? laterRealm_ : earlierRealm_).registeredClasses)
        if (later ? name == exportName : equalsIgnoringCase(name, exportName)) return ctor;
    return nullptr;
}

void Machine::watch(Object* object, const std::string& name, Object* callback, const Value& data) {
    for (Watch& w : watches_)
        if (w.object == object && namesEqual(w.name, name)) {
            w.callback = callback;
            w.data = data;
            return;
        }
    watches_.push_back(Watch{object, name, callback, data, newAccessorId()});
}

bool Machine::unwatch(Object* object, const std::string& name) {
    // A getter/setter pair holds on to its watch: only deleting the pair frees it.
    if (const Property* p = object->findOwn(name); p && p->isVirtual()) return false;
    auto it = std::find_if(watches_.begin(), watches_.end(), [&](const Watch& w) {
        return w.object == object && namesEqual(w.name, name);
    });
    if (it == watches_.end()) return false;
    watches_.erase(it);
    return true;
}

// ---- collection

void Machine::collectGarbageIfDue() {
    if (heap_.collectionDue()) collectGarbage();
}

void Machine::collectGarbage() {
    // Stage objects whose display object is gone are no longer roots of their own; while it
    // exists it points back at its stage object, which must stay.
    std::erase_if(stageObjects_, [](StageObject* s) { return !s->exists(); });
    heap_.collect();
}

void Machine::markRoots(Marker& marker) const {
    for (StageObject* s : stageObjects_) marker.mark(s);
    for (const Value& v : stack_) marker.mark(v);
    timers_.traceRoots(marker);
    for (const Watch& w : watches_) {
        marker.mark(w.object);
        marker.mark(w.callback);
        marker.mark(w.data);
    }
}

}  // namespace swf::avm1
