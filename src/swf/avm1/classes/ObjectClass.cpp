// Object: the root of every prototype chain, with the reflection methods of ActionScript 2.

#include <cmath>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/StageObject.h"

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

}  // namespace

void installObjectClass(Machine& m) {
    Object* proto = m.prototypes().object;
    Function* ctor = m.defineClass(
        m.global(), "Object", proto, [](Machine& m, Object* self, std::span<const Value> args) {
            // Object(x) boxes x; new Object() is the fresh object.
            if (!args.empty() && !args[0].isNullish()) return Value(m.toObject(args[0]));
            if (m.constructing()) return Value(self);
            // Called without new and nothing to box: an object with no prototype at all.
            return Value(m.heap().make<Object>(nullptr));
        });
    m.defineMethod(ctor, "registerClass", [](Machine& m, Object*, std::span<const Value> args) {
        // Needs a name and a constructor (or null, which forgets the name's class).
        if (args.size() < 2) return Value(false);
        Object* constructor = args[1].asObject();
        if (!args[1].isNull() && !(constructor && constructor->asFunction())) return Value(false);
        m.registerClass(m.toString(args[0]), constructor);
        return Value(true);
    });
    m.defineMethod(proto, "toString", [](Machine&, Object* self, std::span<const Value>) {
        if (self && self->asFunction()) return Value("[type Function]");
        return Value("[object Object]");
    });
    m.defineMethod(proto, "toLocaleString", [](Machine& m, Object* self, std::span<const Value>) {
        return m.callMethod(Value(self), "toString", {});
    });
    m.defineMethod(proto, "valueOf", [](Machine&, Object* self, std::span<const Value>) {
        Value primitive;
        if (self && self->primitiveValue(primitive)) return primitive;
        return Value(self);
    });
    m.defineMethod(proto, "hasOwnProperty", [](Machine& m, Object* self, std::span<const Value> args) {
        if (!self) return Value(false);
        std::string name = m.toString(arg(args, 0));
        // Properties hidden from the movie's version count; __proto__ is an own property.
        if (m.namesEqual(name, "__proto__"))
            return Value(self->proto() != nullptr || self->hasOwnAnyVersion(name));
        if (self->hasOwnAnyVersion(name)) return Value(true);
        // A clip's children are found through it but are not its own.
        if (StageObject* stage = self->asStageObject(); stage && stage->holdsChild(m, name))
            return Value(false);
        Value special;
        return Value(self->getSpecial(m, name, special));
    });
    m.defineMethod(proto, "isPropertyEnumerable",
                   [](Machine& m, Object* self, std::span<const Value> args) {
                       if (!self) return Value(false);
                       Property* p = self->findOwn(m.toString(arg(args, 0)));
                       return Value(p && !(p->flags & kDontEnum));
                   });
    m.defineMethod(proto, "isPrototypeOf", [](Machine& m, Object* self, std::span<const Value> args) {
        Object* o = m.liveObject(arg(args, 0).asObject());
        for (int d = 0; o && d < Machine::kMaxPrototypeChain; ++d) {
            o = o->proto();
            if (o == self) return Value(true);
        }
        return Value(false);
    });
    m.defineMethod(proto, "addProperty", [](Machine& m, Object* self, std::span<const Value> args) {
        std::string name = m.toString(arg(args, 0));
        Object* getter = arg(args, 1).asObject();
        Object* setter = arg(args, 2).asObject();
        if (!self || name.empty() || !getter || !getter->asFunction()) return Value(false);
        // The setter is a function, or null for a read-only property; anything else, a
        // missing one included, adds nothing.
        if (setter ? !setter->asFunction() : !arg(args, 2).isNull()) return Value(false);
        Property p;
        p.getter = getter;
        p.setter = setter;
        if (Property* old = self->findOwn(name)) p.flags = old->flags;
        self->defineOwn(name, p);
        return Value(true);
    });
    m.defineMethod(proto, "watch", [](Machine& m, Object* self, std::span<const Value> args) {
        std::string name = m.toString(arg(args, 0));
        Object* callback = arg(args, 1).asObject();
        if (!self || !callback || !callback->asFunction()) return Value(false);
        m.watch(self, name, callback, arg(args, 2));
        return Value(true);
    });
    m.defineMethod(proto, "unwatch", [](Machine& m, Object* self, std::span<const Value> args) {
        return Value(self && m.unwatch(self, m.toString(arg(args, 0))));
    });
    m.defineMethod(m.global(), "ASSetPropFlags", setPropFlags);
}

}  // namespace swf::avm1
