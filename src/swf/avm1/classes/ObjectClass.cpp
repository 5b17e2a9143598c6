// Object: the root of every prototype chain, with the reflection methods of ActionScript 2.

#include <cmath>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/display/DisplayObject.h"

namespace swf::avm1 {
namespace {

// ASSetPropFlags(object, names, set, clear): names as an array, a comma list or null (all).
Value setPropFlags(Machine& m, Object*, std::span<const Value> args) {
    Object* object = m.liveObject(arg(args, 0).asObject());
    if (!object) return Value();
    Value names = arg(args, 1);
    uint16_t set = static_cast<uint16_t>(m.toInt32(arg(args, 2)));
    uint16_t clear = args.size() > 3 ? static_cast<uint16_t>(m.toInt32(args[3])) : 0;
    if (names.isNull()) {
        object->changeFlags(nullptr, set, clear);
        return Value();
    }
    std::vector<std::string> list;
    if (auto* a = dynamic_cast<ArrayObject*>(names.asObject())) {
        for (uint32_t i = 0; i < a->length() && i < ArrayObject::kMaxLength; ++i)
            list.push_back(m.toString(a->at(i)));
    } else {
        // Anything else is a comma list by its text (an object's toString included).
        std::string text = m.toString(names);
        size_t start = 0;
        while (start <= text.size()) {
            size_t comma = text.find(',', start);
            if (comma == std::string::npos) comma = text.size();
            list.push_back(text.substr(start, comma - start));
            start = comma + 1;
        }
    }
    object->changeFlags(&list, set, clear);
    return Value();
}

// Object(x) boxes x; new Object() is the fresh object.
Value objectConstruct(Machine& m, Object* self, std::span<const Value> args) {
    if (!args.empty() && !args[0].isNullish()) return Value(m.toObject(args[0]));
    if (m.constructing()) return Value(self);
    // Called without new and nothing to box: an object with no prototype at all.
    return Value(m.heap().make<Object>(nullptr));
}

// Needs a name and a second argument: a function is the name's class; anything else forgets
// the class the name had (true for null, false otherwise).
Value objectRegisterClass(Machine& m, Object*, std::span<const Value> args) {
    if (args.size() < 2) return Value(false);
    Object* constructor = args[1].asObject();
    bool function = constructor && constructor->asFunction();
    m.registerClass(m.toString(args[0]), function ? constructor : nullptr);
    return Value(function || args[1].isNull());
}

Value objectToString(Machine&, Object* self, std::span<const Value>) {
    if (self && self->asFunction()) return Value("[type Function]");
    return Value("[object Object]");
}

Value objectToLocaleString(Machine& m, Object* self, std::span<const Value>) {
    return m.callMethod(Value(self), "toString", {});
}

Value objectValueOf(Machine&, Object* self, std::span<const Value>) {
    Value primitive;
    if (self && self->primitiveValue(primitive)) return primitive;
    return Value(self);
}

Value objectHasOwnProperty(Machine& m, Object* self, std::span<const Value> args) {
    if (!self) return Value(false);
    std::string name = m.toString(arg(args, 0));
    // Properties hidden from the movie's version count; __proto__ is an own property.
    if (m.namesEqual(name, "__proto__"))
        return Value(self->hasProtoLink() || self->hasOwnAnyVersion(name));
    if (self->hasOwnAnyVersion(name)) return Value(true);
    // A clip's children are found through it but are not its own, nor are the display
    // properties (_alpha, _x, ...) of a text field or a video.
    if (StageObject* stage = self->asStageObject()) {
        if (stage->holdsChild(m, name)) return Value(false);
        const DisplayObject* object = stage->displayObject();
        if (object && (object->isEditText() || object->isVideo())) return Value(false);
    }
    Value special;
    return Value(self->getSpecial(m, name, special));
}

Value objectIsPropertyEnumerable(Machine& m, Object* self, std::span<const Value> args) {
    if (!self) return Value(false);
    Property* p = self->findOwn(m.toString(arg(args, 0)));
    return Value(p && !(p->flags & kDontEnum));
}

Value objectIsPrototypeOf(Machine& m, Object* self, std::span<const Value> args) {
    Object* o = m.liveObject(arg(args, 0).asObject());
    for (int d = 0; o && d < Machine::kMaxPrototypeChain; ++d) {
        o = o->proto();
        if (o == self) return Value(true);
    }
    return Value(false);
}

Value objectAddProperty(Machine& m, Object* self, std::span<const Value> args) {
    std::string name = m.toString(arg(args, 0));
    Object* getter = arg(args, 1).asObject();
    Object* setter = arg(args, 2).asObject();
    if (!self || name.empty() || !getter || !getter->asFunction()) return Value(false);
    // The setter is a function, or null for a read-only property; anything else, a missing
    // one included, adds nothing.
    if (setter ? !setter->asFunction() : !arg(args, 2).isNull()) return Value(false);
    Property p;
    p.getter = getter;
    p.setter = setter;
    p.accessorId = m.newAccessorId();
    // The value it replaces stays with the property: a watcher sees it as the old value.
    Property* old = self->findOwn(name);
    if (old) p.value = old->value;
    // Turning a plain or missing property into a pair assigns it through its watcher, which
    // sees undefined as the new value; what it answers is the value the pair keeps.
    if (!(old && old->isVirtual())) {
        Value kept;
        if (m.runWatcher(self, name, kept)) p.value = kept;
        // The watcher may have changed the property; the flags are those it has now.
        old = self->findOwn(name);
    }
    if (old) p.flags = old->flags;
    self->defineOwn(name, p);
    return Value(true);
}

Value objectWatch(Machine& m, Object* self, std::span<const Value> args) {
    std::string name = m.toString(arg(args, 0));
    Object* callback = arg(args, 1).asObject();
    if (!self || !callback || !callback->asFunction()) return Value(false);
    m.watch(self, name, callback, arg(args, 2));
    return Value(true);
}

Value objectUnwatch(Machine& m, Object* self, std::span<const Value> args) {
    return Value(self && m.unwatch(self, m.toString(arg(args, 0))));
}

using native::method;

constexpr NativeMember kObjectStatics[] = {
    method("registerClass", objectRegisterClass),
};

// The methods Flash Player 6 brought are hidden from SWF 5 movies until a script unhides them.
constexpr NativeMember kObjectMethods[] = {
    method("toString", objectToString).numbered(101, 4),
    method("toLocaleString", objectToLocaleString),
    method("valueOf", objectValueOf).numbered(101, 3),
    method("hasOwnProperty", objectHasOwnProperty).numbered(101, 5).since(6),
    method("isPropertyEnumerable", objectIsPropertyEnumerable).numbered(101, 7).since(6),
    method("isPrototypeOf", objectIsPrototypeOf).numbered(101, 6).since(6),
    method("addProperty", objectAddProperty).numbered(101, 2).since(6),
    method("watch", objectWatch).numbered(101, 0).since(6),
    method("unwatch", objectUnwatch).numbered(101, 1).since(6),
};

constexpr NativeMember kObjectGlobals[] = {
    method("ASSetPropFlags", setPropFlags).numbered(1, 0),
};

}  // namespace

void installObjectClass(Machine& m) {
    Function* ctor =
        installClass(m, m.global(), m.prototypes().object,
                     {"Object", objectConstruct, nullptr, {}, kObjectStatics, kObjectMethods});
    // Unlike the other classes' prototypes, Object's cannot be replaced.
    const std::vector<std::string> prototypeName{"prototype"};
    ctor->changeFlags(&prototypeName, kReadOnly, 0);
    installMembers(m, m.global(), kObjectGlobals);
}

}  // namespace swf::avm1
