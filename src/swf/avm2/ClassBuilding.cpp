// How the machine makes objects, functions and classes, and lays out traits.
#include <cmath>

#include "swf/avm2/Machine.h"

namespace swf::avm2 {

Object* Machine::newObject() {
    return heap_.make<Object>(builtins_.object, builtins_.object ? builtins_.object->prototype : nullptr);
}

ArrayObject* Machine::newArray(std::vector<Value> items) {
    auto* a = heap_.make<ArrayObject>(builtins_.array, builtins_.array->prototype);
    a->setTraits(builtins_.array->instanceTraits.get());
    a->items = std::move(items);
    return a;
}

FunctionObject* Machine::newNative(NativeFunction function, uint32_t arity) {
    auto* f = heap_.make<FunctionObject>(builtins_.function,
                                         builtins_.function ? builtins_.function->prototype : nullptr);
    f->native = std::move(function);
    f->arity = arity;
    // Functions made before Function itself (while it is being defined) go without `length`.
    if (builtins_.function) f->setTraits(builtins_.function->instanceTraits.get());
    return f;
}

FunctionObject* Machine::newMethodClosure(std::shared_ptr<LoadedAbc> abc, uint32_t method, ScopeChain scope,
                                          ClassObject* home) {
    auto* f = heap_.make<FunctionObject>(builtins_.function,
                                         builtins_.function ? builtins_.function->prototype : nullptr);
    f->arity = method < abc->file->methods.size()
                   ? static_cast<uint32_t>(abc->file->methods[method].parameterTypes.size())
                   : 0;
    f->abc = std::move(abc);
    f->method = method;
    f->scope = std::move(scope);
    f->home = home;
    f->setTraits(builtins_.function->instanceTraits.get());
    return f;
}

FunctionObject* Machine::bind(FunctionObject* method, const Value& receiver) {
    if (!method) return nullptr;
    auto* f = heap_.make<FunctionObject>(builtins_.function, builtins_.function->prototype);
    f->native = method->native;
    f->abc = method->abc;
    f->method = method->method;
    f->scope = method->scope;
    f->home = method->home;
    f->arity = method->arity;
    f->lenientArguments = method->lenientArguments;
    f->bound = true;
    f->boundThis = receiver;
    f->setTraits(builtins_.function->instanceTraits.get());
    return f;
}

ClassObject* Machine::defineClass(const std::string& package, const std::string& name, ClassObject* base) {
    auto* c = heap_.make<ClassObject>(builtins_.classClass,
                                      builtins_.classClass ? builtins_.classClass->prototype : nullptr);
    c->ns = namespaces_.intern(Ns::Group::Public, package);
    c->localName = name;
    c->name = package.empty() ? name : package + "::" + name;
    c->base = base;
    c->instanceTraits = std::make_unique<Traits>(base ? base->instanceTraits.get() : nullptr);
    c->classTraits = std::make_unique<Traits>();
    c->prototype = heap_.make<Object>(builtins_.object, base ? base->prototype : nullptr);
    c->prototype->setOwn("constructor", Value::object(c));
    c->prototype->setEnumerable("constructor", false);
    bindPrototype(c);
    defineGlobal(package, name, Value::object(c));
    return c;
}

void Machine::bindPrototype(ClassObject* c) {
    // A class's prototype is a constant of the class: never replaced, never deleted.
    uint32_t slot = c->classTraits->addSlot(0, SlotType::Any, Value::object(c->prototype));
    c->classTraits->bind(namespaces_.publicNs(), "prototype", Binding{Binding::Kind::Const, slot, nullptr, nullptr, nullptr});
    c->setTraits(c->classTraits.get());
}

void Machine::replacePrototype(ClassObject* c, Object* prototype) {
    prototype->setOwn("constructor", Value::object(c));
    prototype->setEnumerable("constructor", false);
    c->prototype = prototype;
    c->slots()[c->classTraits->find(namespaces_.publicNs(), "prototype")->slot] = Value::object(prototype);
}

void Machine::defineGlobal(const std::string& package, const std::string& name, const Value& value) {
    const Ns* ns = namespaces_.intern(Ns::Group::Public, package);
    if (const Binding* b = builtinTraits_->find(ns, name)) {
        builtinGlobal_->slots()[b->slot] = value;
        return;
    }
    uint32_t slot = builtinTraits_->addSlot(0, SlotType::Any, Value());
    builtinTraits_->bind(ns, name, Binding{Binding::Kind::Const, slot, nullptr, nullptr, nullptr});
    builtinGlobal_->slots().resize(builtinTraits_->slotCount());
    builtinGlobal_->slots()[slot] = value;
}

void Machine::defineMethod(Object* target, const std::string& name, NativeFunction function, uint32_t arity) {
    target->setOwn(name, Value::object(newNative(std::move(function), arity)));
    target->setEnumerable(name, false);
}

void Machine::defineAccessor(ClassObject* cls, const std::string& name, NativeFunction getter, NativeFunction setter) {
    Binding b;
    b.kind = Binding::Kind::Accessor;
    if (getter) b.getter = newNative(std::move(getter));
    if (setter) b.setter = newNative(std::move(setter), 1);
    cls->instanceTraits->bind(namespaces_.publicNs(), name, b);
}

const Ns* Machine::traitNamespace(const LoadedAbc& abc, uint32_t multiname) const {
    return abc.namespaces[abc.file->multinames[multiname].ns];
}

Value Machine::constant(const LoadedAbc& abc, const abc::Constant& c) {
    const abc::AbcFile& f = *abc.file;
    switch (c.kind) {
        case abc::ConstantKind::Int: return Value::number(f.ints[c.index]);
        case abc::ConstantKind::UInt: return Value::number(f.uints[c.index]);
        case abc::ConstantKind::Double: return Value::number(f.doubles[c.index]);
        case abc::ConstantKind::Utf8: return Value::string(f.strings[c.index]);
        case abc::ConstantKind::True: return Value::boolean(true);
        case abc::ConstantKind::False: return Value::boolean(false);
        case abc::ConstantKind::Null: return Value::null();
        case abc::ConstantKind::Undefined: return Value();
        default: {
            Object* ns = heap_.make<Object>(builtins_.namespaceClass, builtins_.namespaceClass->prototype);
            ns->setOwn("uri", Value::string(abc.namespaces[c.index]->uri));
            return Value::object(ns);
        }
    }
}

ClassObject* Machine::resolveType(const LoadedAbc& abc, uint32_t multiname) {
    if (multiname == 0 || multiname >= abc.file->multinames.size()) return nullptr;
    const abc::Multiname& m = abc.file->multinames[multiname];
    if (m.kind != abc::MultinameKind::QName) return nullptr;
    Name name = Name::qualified(abc.namespaces[m.ns], abc.file->strings[m.name]);
    bool found = false;
    Value v = findInBuiltins(name, found);
    if (!found) {
        // A class of a script: only when that script has run (types never start scripts).
        for (const ScriptEnv& s : scripts_) {
            if (!s.global->traits() || !s.global->traits()->find(name.single, name.local)) continue;
            if (s.state == ScriptEnv::State::Pending) return nullptr;
            v = s.global->slots()[s.global->traits()->find(name.single, name.local)->slot];
            break;
        }
    }
    Object* o = v.asObject();
    return o ? o->asClass() : nullptr;
}

SlotType Machine::slotTypeOf(ClassObject* type) const {
    if (!type) return SlotType::Any;
    if (type == builtins_.intClass) return SlotType::Int;
    if (type == builtins_.uintClass) return SlotType::UInt;
    if (type == builtins_.number) return SlotType::Number;
    if (type == builtins_.boolean) return SlotType::Boolean;
    if (type == builtins_.string) return SlotType::String;
    return SlotType::Object;
}

namespace {

Value defaultFor(SlotType type) {
    switch (type) {
        case SlotType::Int:
        case SlotType::UInt: return Value::number(0);
        case SlotType::Number: return Value::number(NAN);
        case SlotType::Boolean: return Value::boolean(false);
        case SlotType::String:
        case SlotType::Object: return Value::null();
        default: return Value();
    }
}

}  // namespace

void Machine::buildTraits(Traits& traits, const std::shared_ptr<LoadedAbc>& abc,
                          const std::vector<abc::Trait>& list, const ScopeChain& scope, ClassObject* home) {
    const abc::AbcFile& f = *abc->file;
    for (const abc::Trait& t : list) {
        const Ns* ns = traitNamespace(*abc, t.name);
        const std::string& local = f.strings[f.multinames[t.name].name];
        Binding b;
        switch (t.kind) {
            case abc::TraitKind::Slot:
            case abc::TraitKind::Const: {
                SlotType type = slotTypeOf(resolveType(*abc, t.typeName));
                Value initial = t.value.kind == abc::ConstantKind::Undefined && t.value.index == 0
                                    ? defaultFor(type)
                                    : constant(*abc, t.value);
                if (t.value.index == 0 && t.value.kind == abc::ConstantKind::Undefined && type == SlotType::Any)
                    initial = Value();
                b.kind = t.kind == abc::TraitKind::Const ? Binding::Kind::Const : Binding::Kind::Slot;
                b.slot = traits.addSlot(t.slotId, type, initial);
                break;
            }
            case abc::TraitKind::Class:
                b.kind = Binding::Kind::Const;
                b.slot = traits.addSlot(t.slotId, SlotType::Any, Value::null());
                break;
            case abc::TraitKind::Function:
                b.kind = Binding::Kind::Slot;
                b.slot = traits.addSlot(t.slotId, SlotType::Any,
                                        Value::object(newMethodClosure(abc, t.method, scope, home)));
                break;
            case abc::TraitKind::Method:
                b.kind = Binding::Kind::Method;
                b.method = newMethodClosure(abc, t.method, scope, home);
                break;
            case abc::TraitKind::Getter:
                b.kind = Binding::Kind::Accessor;
                b.getter = newMethodClosure(abc, t.method, scope, home);
                break;
            case abc::TraitKind::Setter:
                b.kind = Binding::Kind::Accessor;
                b.setter = newMethodClosure(abc, t.method, scope, home);
                break;
        }
        traits.bind(ns, local, b);
    }
}

ClassObject* Machine::newClass(const std::shared_ptr<LoadedAbc>& abc, uint32_t index, ClassObject* base,
                               const ScopeChain& scope) {
    const abc::AbcFile& f = *abc->file;
    const abc::Instance& inst = f.instances[index];
    const abc::Multiname& mn = f.multinames[inst.name];
    auto* c = heap_.make<ClassObject>(builtins_.classClass, builtins_.classClass->prototype);
    c->ns = mn.kind == abc::MultinameKind::QName ? abc->namespaces[mn.ns] : namespaces_.publicNs();
    c->localName = f.strings[mn.name];
    c->name = c->ns->uri.empty() || c->ns->group == Ns::Group::Private ? c->localName : c->ns->uri + "::" + c->localName;
    c->base = base;
    c->sealed = (inst.flags & abc::kClassSealed) != 0;
    c->isInterface = (inst.flags & abc::kClassInterface) != 0;
    for (uint32_t i : inst.interfaces) {
        const abc::Multiname& im = f.multinames[i];
        Name iname;
        iname.local = f.strings[im.name];
        if (im.kind == abc::MultinameKind::QName) iname.single = abc->namespaces[im.ns];
        else if (im.nsSet < abc->sets.size()) iname.set = abc->sets[im.nsSet];
        Value found = findProperty({}, scope, iname, false);
        Value iv = found.isObject() ? getProperty(found, iname) : Value();
        if (Object* io = iv.asObject(); io && io->asClass()) c->interfaces.push_back(io->asClass());
    }
    abc->classes[index] = c;
    c->prototype = heap_.make<Object>(builtins_.object, base ? base->prototype : builtins_.object->prototype);
    c->prototype->setOwn("constructor", Value::object(c));
    c->prototype->setEnumerable("constructor", false);
    ScopeChain classScope = scope;
    classScope.push_back({Value::object(c), false});
    c->instanceTraits = std::make_unique<Traits>(base ? base->instanceTraits.get() : nullptr);
    buildTraits(*c->instanceTraits, abc, inst.traits, classScope, c);
    c->classTraits = std::make_unique<Traits>();
    buildTraits(*c->classTraits, abc, f.classes[index].traits, classScope, c);
    bindPrototype(c);
    c->initializer = newMethodClosure(abc, inst.initializer, classScope, c);
    FunctionObject* cinit = newMethodClosure(abc, f.classes[index].initializer, classScope, c);
    invoke(cinit, Value::object(c), {});
    return c;
}

}  // namespace swf::avm2
