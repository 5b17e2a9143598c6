// Object, Function, Class, Boolean, Namespace and the global functions.
#include <cmath>

#include "swf/avm2/Builtins.h"
#include "swf/avm2/Machine.h"
#include "swf/avm2/SoundClasses.h"

namespace swf::avm2 {

void Machine::installBuiltins() {
    builtinTraits_ = std::make_unique<Traits>();
    builtinGlobal_ = heap_.make<Object>(nullptr, nullptr);
    builtinGlobal_->setTraits(builtinTraits_.get());
    builtins_.object = defineClass("", "Object", nullptr);
    builtins_.classClass = defineClass("", "Class", builtins_.object);
    builtins_.function = defineClass("", "Function", builtins_.object);
    builtins_.namespaceClass = defineClass("", "Namespace", builtins_.object);
    builtins_.qname = defineClass("", "QName", builtins_.object);
    builtins_.boolean = defineClass("", "Boolean", builtins_.object);
    builtins_.number = defineClass("", "Number", builtins_.object);
    builtins_.intClass = defineClass("", "int", builtins_.object);
    builtins_.uintClass = defineClass("", "uint", builtins_.object);
    builtins_.string = defineClass("", "String", builtins_.object);
    builtins_.array = defineClass("", "Array", builtins_.object);
    // Object and Class were made before Class: they are classes all the same.
    for (ClassObject* early : {builtins_.object, builtins_.classClass}) {
        early->setClassObject(builtins_.classClass);
        early->setProto(builtins_.classClass->prototype);
    }
    // Function.prototype is a function that does nothing; Array.prototype an empty array.
    auto* functionPrototype = heap_.make<FunctionObject>(builtins_.function, builtins_.object->prototype);
    functionPrototype->native = [](Machine&, const Value&, std::span<const Value>) { return Value(); };
    functionPrototype->setTraits(builtins_.function->instanceTraits.get());
    replacePrototype(builtins_.function, functionPrototype);
    auto* arrayPrototype = heap_.make<ArrayObject>(builtins_.array, builtins_.object->prototype);
    arrayPrototype->setTraits(builtins_.array->instanceTraits.get());
    replacePrototype(builtins_.array, arrayPrototype);
    for (ClassObject* c : {builtins_.boolean, builtins_.number, builtins_.intClass, builtins_.uintClass,
                           builtins_.string, builtins_.classClass, builtins_.function, builtins_.namespaceClass,
                           builtins_.qname})
        c->sealed = true;
    installObjectClasses(*this);
    installNumberClasses(*this);
    installStringClass(*this);
    installArrayClass(*this);
    installErrorClasses(*this);
    builtins_.error = findClass("Error");
    installLanguageClasses(*this);
    builtins_.xml = findClass("XML");
    builtins_.xmlList = findClass("XMLList");
    installDisplayClasses(*this);
    installSoundClasses(*this);
    // The primitive classes declare their prototype's methods again as methods of the class in
    // the AS3 namespace: a name open to it finds these, whatever the prototype holds later.
    for (ClassObject* c : {builtins_.boolean, builtins_.number, builtins_.intClass, builtins_.uintClass, builtins_.string}) {
        for (size_t i = 0; i < c->prototype->ownCount(); ++i) {
            const std::string* name = c->prototype->ownNameAt(i);
            Object* f = name && *name != "constructor" ? c->prototype->findOwn(*name)->asObject() : nullptr;
            if (f && f->asFunction())
                c->instanceTraits->bind(namespaces_.as3(), *name, Binding{Binding::Kind::Method, 0, f, nullptr, nullptr});
        }
    }
}

namespace {

std::string objectToString(Machine& m, const Value& self) {
    if (Object* o = self.asObject()) {
        if (ClassObject* c = o->asClass()) return "[class " + c->localName + "]";
        if (FunctionObject* f = o->asFunction()) return "[object Function-" + std::to_string(f->method) + "]";
        if (m.isGlobal(o)) return "[object global]";
        ClassObject* c = o->classObject();
        return "[object " + (c ? c->localName : std::string("Object")) + "]";
    }
    // int and uint are kinds of Number, not classes a number reports.
    return "[object " + (self.isNumber() ? std::string("Number") : m.classOf(self)->localName) + "]";
}

}  // namespace

void installObjectClasses(Machine& m) {
    const Machine::Builtins& b = m.builtins();
    Namespaces& ns = m.namespaces();
    Object* op = b.object->prototype;
    m.defineMethod(op, "hasOwnProperty", [](Machine& m, const Value& self, std::span<const Value> args) {
        Name name = Name::qualified(m.namespaces().publicNs(), m.toString(argAt(args, 0)));
        Object* o = self.asObject();
        if (!o) return Value::boolean(self.isString() && name.local == "length");
        uint32_t index = 0;
        if (ArrayObject* a = o->asArray(); a && name.arrayIndex(index) && a->ownElement(index, name.local))
            return Value::boolean(true);
        if (o->traits() && o->traits()->find(m.namespaces().publicNs(), name.local)) return Value::boolean(true);
        return Value::boolean(o->findOwn(name.local) != nullptr);
    }, 1);
    m.defineMethod(op, "propertyIsEnumerable", [](Machine& m, const Value& self, std::span<const Value> args) {
        Object* o = self.asObject();
        Name key = m.keyName(argAt(args, 0), self);
        if (std::optional<bool> has = o ? o->hasKeyed(key) : std::nullopt) return Value::boolean(*has);
        const std::string& name = key.local;
        uint32_t index = 0;
        if (ArrayObject* a = o ? o->asArray() : nullptr; a && key.arrayIndex(index))
            return Value::boolean(a->ownElement(index, name) != nullptr);
        return Value::boolean(o && o->isEnumerable(name));
    }, 1);
    m.defineMethod(op, "setPropertyIsEnumerable", [](Machine& m, const Value& self, std::span<const Value> args) {
        // A Dictionary's keys all stay enumerable.
        if (Object* o = self.asObject(); o && !o->keysByIdentity()) o->setEnumerable(m.toString(argAt(args, 0)), Machine::toBoolean(argAt(args, 1)));
        return Value();
    }, 2);
    m.defineMethod(op, "isPrototypeOf", [](Machine& m, const Value& self, std::span<const Value> args) {
        int depth = 0;
        for (Object* p = m.prototypeChainOf(argAt(args, 0)); p && depth < 1024; p = p->proto(), ++depth)
            if (p == self.asObject()) return Value::boolean(true);
        return Value::boolean(false);
    }, 1);
    m.defineMethod(op, "toString", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(objectToString(m, self));
    });
    m.defineMethod(op, "toLocaleString", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(objectToString(m, self));
    });
    m.defineMethod(op, "valueOf", [](Machine&, const Value& self, std::span<const Value>) { return self; });
    // Object(v) and new Object(v) give v itself, or a new object for null and undefined.
    auto toObject = [](Machine& m, std::span<const Value> args) {
        Value v = argAt(args, 0);
        return v.isNullish() ? Value::object(m.newObject()) : v;
    };
    b.object->call = [toObject](Machine& m, const Value&, std::span<const Value> args) { return toObject(m, args); };
    b.object->construct = toObject;
    b.object->setOwn("length", Value::number(1));

    // Function.prototype: call and apply; a function prints as the player prints it.
    Object* fp = b.function->prototype;
    m.defineMethod(fp, "call", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::span<const Value> rest = args.empty() ? args : args.subspan(1);
        return m.call(self, argAt(args, 0), rest);
    }, 1);
    m.defineMethod(fp, "apply", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::vector<Value> list;
        Value a = argAt(args, 1);
        if (Object* o = a.asObject()) {
            if (ArrayObject* arr = o->asArray()) {
                list = arrayElements(arr);
                for (Value& v : list) v = v.withoutHole();
            }
            else m.throwError("TypeError", 1116, "second argument to Function.prototype.apply must be an array.");
        } else if (!a.isNullish()) {
            m.throwError("TypeError", 1116, "second argument to Function.prototype.apply must be an array.");
        }
        return m.call(self, argAt(args, 0), list);
    }, 2);
    // A function prints alike for toString and toLocaleString.
    for (const char* name : {"toString", "toLocaleString"})
        m.defineMethod(fp, name, [](Machine&, const Value&, std::span<const Value>) {
            return Value::string("function Function() {}");
        });
    m.defineAccessor(b.function, "length", [](Machine&, const Value& self, std::span<const Value>) {
        FunctionObject* f = self.asObject() ? self.asObject()->asFunction() : nullptr;
        return Value::number(f ? f->arity : 0);
    });
    // The player compiles no source at run time: Function() makes an empty function, and
    // Function("body") is refused.
    auto makeFunction = [](Machine& m, std::span<const Value> args) {
        if (!args.empty()) m.throwError("EvalError", 1066, "The form function('function body') is not supported.");
        return Value::object(m.newNative([](Machine&, const Value&, std::span<const Value>) { return Value(); }));
    };
    b.function->call = [makeFunction](Machine& m, const Value&, std::span<const Value> args) { return makeFunction(m, args); };
    b.function->construct = makeFunction;
    b.function->setOwn("length", Value::number(1));
    // Boolean: conversion, and `new Boolean(x)` is the primitive as the player gives it.
    auto toBool = [](Machine&, const Value&, std::span<const Value> args) {
        return Value::boolean(Machine::toBoolean(argAt(args, 0)));
    };
    b.boolean->call = toBool;
    b.boolean->construct = [](Machine&, std::span<const Value> args) {
        return Value::boolean(Machine::toBoolean(argAt(args, 0)));
    };
    auto checkBoolean = [](Machine& m, const Value& self, const char* method) {
        if (!self.isBoolean())
            m.throwError("TypeError", 1004, std::string("Method Boolean.prototype.") + method + " was invoked on an incompatible object.");
    };
    m.defineMethod(b.boolean->prototype, "toString", [checkBoolean](Machine& m, const Value& self, std::span<const Value>) {
        if (self.asObject() == m.builtins().boolean->prototype) return Value::string("false");
        checkBoolean(m, self, "toString");
        return Value::string(self.asBoolean() ? "true" : "false");
    });
    m.defineMethod(b.boolean->prototype, "valueOf", [checkBoolean](Machine& m, const Value& self, std::span<const Value>) {
        if (self.asObject() == m.builtins().boolean->prototype) return Value::boolean(false);
        checkBoolean(m, self, "valueOf");
        return self;
    });
    b.boolean->setOwn("length", Value::number(1));

    m.defineMethod(b.namespaceClass->prototype, "toString", [](Machine& m, const Value& self, std::span<const Value>) {
        Object* o = self.asObject();
        Value* uri = o ? o->findOwn("uri") : nullptr;
        return uri ? Value::string(m.toString(*uri)) : Value::string("");
    });

    // Global functions.
    m.defineGlobal("", "trace", Value::object(m.newNative([](Machine& m, const Value&, std::span<const Value> args) {
        std::string line;
        for (size_t i = 0; i < args.size(); ++i) {
            if (i) line += ' ';
            line += m.toString(args[i]);
        }
        m.trace(line);
        return Value();
    })));
    m.defineGlobal("", "isNaN", Value::object(m.newNative([](Machine& m, const Value&, std::span<const Value> args) {
        return Value::boolean(std::isnan(m.toNumber(argAt(args, 0))));
    }, 1)));
    m.defineGlobal("", "isFinite", Value::object(m.newNative([](Machine& m, const Value&, std::span<const Value> args) {
        return Value::boolean(std::isfinite(m.toNumber(argAt(args, 0))));
    }, 1)));
    m.defineGlobal("", "NaN", Value::number(NAN));
    m.defineGlobal("", "Infinity", Value::number(INFINITY));
    m.defineGlobal("", "undefined", Value());
    (void)ns;
}

}  // namespace swf::avm2
