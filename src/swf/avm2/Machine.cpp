#include "swf/avm2/Machine.h"

#include <cmath>

#include "swf/abc/AbcParser.h"
#include "swf/avm2/Interpreter.h"
#include "swf/avm2/Utf16.h"
#include "swf/avm2/VectorObject.h"
#include "swf/avm2/XmlAccess.h"

namespace swf::avm2 {

Machine::Machine(TraceSink trace, int swfVersion) : trace_(std::move(trace)), swfVersion_(swfVersion) {
    installBuiltins();
}

Machine::~Machine() = default;

void Machine::trace(const std::string& line) const {
    if (!trace_) return;
    // The player's log drops NUL characters a string may hold.
    std::string printable = printableText(line);
    std::erase(printable, '\0');
    trace_(printable);
}

void Machine::markRoots(Marker& marker) const {
    marker.mark(builtinGlobal_);
    marker.mark(domainMemory_);
    if (builtinTraits_) builtinTraits_->trace(marker);
    for (const ScriptEnv& s : scripts_) marker.mark(s.global);
    for (const auto& file : files_)
        for (ClassObject* c : file->classes) marker.mark(static_cast<Object*>(c));
    for (ClassObject* c : {builtins_.object, builtins_.classClass, builtins_.function, builtins_.array,
                           builtins_.string, builtins_.number, builtins_.intClass, builtins_.uintClass,
                           builtins_.boolean, builtins_.error, builtins_.namespaceClass, builtins_.qname,
                           builtins_.voidClass, builtins_.xml, builtins_.xmlList})
        marker.mark(static_cast<Object*>(c));
}

void Machine::runGuarded(const std::function<void()>& body) {
    stepsOfFinishedRuns_ += steps_;
    steps_ = 0;
    try {
        body();
    } catch (const ScriptThrow& thrown) {
        // The debugger player prints an uncaught error with its stack; the text is its first line.
        try {
            trace(toString(thrown.value));
        } catch (const ScriptThrow&) {
            trace("Error: an uncaught error could not be printed");
        } catch (const ScriptLimitError&) {
        }
    } catch (const ScriptLimitError& limit) {
        trace(limit.what());
    }
    depth_ = 0;
}

void Machine::loadAbc(std::span<const uint8_t> data, bool lazy) {
    std::string error;
    auto file = abc::AbcParser::parse(data, error);
    if (!file) {
        trace(error);
        return;
    }
    auto loaded = std::make_shared<LoadedAbc>();
    loaded->file = file;
    loaded->verified.assign(file->bodies.size(), 0);
    loaded->verifyErrors.assign(file->bodies.size(), std::string());
    loaded->classes.assign(file->classes.size(), nullptr);
    for (const abc::Namespace& ns : file->namespaces) {
        const std::string& uri = file->strings[ns.name];
        switch (ns.kind) {
            case abc::NamespaceKind::Private: loaded->namespaces.push_back(namespaces_.freshPrivate(uri)); break;
            case abc::NamespaceKind::PackageInternal:
                loaded->namespaces.push_back(namespaces_.intern(Ns::Group::Internal, uri));
                break;
            case abc::NamespaceKind::Protected:
            case abc::NamespaceKind::StaticProtected:
                loaded->namespaces.push_back(namespaces_.intern(Ns::Group::Protected, uri));
                break;
            case abc::NamespaceKind::Explicit:
                loaded->namespaces.push_back(namespaces_.intern(Ns::Group::Explicit, uri));
                break;
            default: loaded->namespaces.push_back(namespaces_.intern(Ns::Group::Public, uri)); break;
        }
    }
    for (const auto& set : file->namespaceSets) {
        std::vector<const Ns*> resolved;
        for (uint32_t i : set) resolved.push_back(loaded->namespaces[i]);
        loaded->sets.push_back(std::move(resolved));
    }
    files_.push_back(loaded);
    size_t first = scripts_.size();
    for (uint32_t i = 0; i < file->scripts.size(); ++i) {
        ScriptEnv env;
        env.abc = loaded;
        env.index = i;
        Object* global = heap_.make<Object>(builtins_.object, builtins_.object->prototype);
        env.global = global;
        scripts_.push_back(env);
    }
    // Traits come after every global exists: methods close over their own script's global.
    for (size_t i = first; i < scripts_.size(); ++i) {
        ScriptEnv& env = scripts_[i];
        auto traits = std::make_unique<Traits>();
        ScopeChain scope{{Value::object(env.global), false}};
        runGuarded([&] { buildTraits(*traits, loaded, file->scripts[env.index].traits, scope, nullptr); });
        env.global->setTraits(traits.get());
        globalTraits_.push_back(std::move(traits));
    }
    if (!lazy && scripts_.size() > first) runGuarded([&] { runScript(scripts_.back()); });
}

Value Machine::runScript(ScriptEnv& script) {
    if (script.state != ScriptEnv::State::Pending) return Value();
    script.state = ScriptEnv::State::Running;
    const abc::Script& info = script.abc->file->scripts[script.index];
    FunctionObject* init = newMethodClosure(script.abc, info.initializer,
                                            ScopeChain{}, nullptr);
    Value result = invoke(init, Value::object(script.global), {});
    script.state = ScriptEnv::State::Done;
    return result;
}

Object* Machine::scriptDefining(const Name& name) {
    for (ScriptEnv& script : scripts_) {
        const Traits* traits = script.global->traits();
        if (!traits) continue;
        const Binding* b = name.single ? traits->find(name.single, name.local)
                                       : name.set.empty() ? traits->findAnyNamespace(name.local)
                                                          : traits->find(name.set, name.local);
        if (!b) continue;
        if (script.state == ScriptEnv::State::Pending) runScript(script);
        return script.global;
    }
    return nullptr;
}

ClassObject* Machine::findClass(const std::string& qualifiedName) {
    std::string package, local = qualifiedName;
    size_t colon = qualifiedName.rfind("::");
    size_t dot = qualifiedName.rfind('.');
    if (colon != std::string::npos) {
        package = qualifiedName.substr(0, colon);
        local = qualifiedName.substr(colon + 2);
    } else if (dot != std::string::npos) {
        package = qualifiedName.substr(0, dot);
        local = qualifiedName.substr(dot + 1);
    }
    Name name = Name::qualified(namespaces_.intern(Ns::Group::Public, package), local);
    ClassObject* found = nullptr;
    runGuarded([&] {
        Value v;
        if (Object* global = scriptDefining(name)) {
            v = getProperty(Value::object(global), name);
        } else {
            bool ok = false;
            v = findInBuiltins(name, ok);
        }
        if (Object* o = v.asObject()) found = o->asClass();
    });
    return found;
}

Object* Machine::prototypeChainOf(const Value& v) {
    if (Object* o = v.asObject()) return o->proto();
    return v.isNullish() ? nullptr : classOf(v)->prototype;
}

bool Machine::isGlobal(const Object* o) const {
    if (o == builtinGlobal_) return true;
    for (const ScriptEnv& s : scripts_)
        if (s.global == o) return true;
    return false;
}

// --- property access -------------------------------------------------------------------------

bool Machine::isArrayIndex(const Name& name, uint32_t& index) const {
    return name.arrayIndex(index) && name.isPublic(namespaces_);
}

namespace {

// E4X attribute names are never traits.
const Binding* findBinding(const Traits* traits, const Name& name) {
    if (!traits || name.attribute) return nullptr;
    if (name.single) return traits->find(name.single, name.local);
    if (name.set.empty()) return traits->findAnyNamespace(name.local);
    return traits->find(name.set, name.local);
}

}  // namespace

Value Machine::getOnObject(Object* o, const Value& receiver, const Name& name, bool& found) {
    found = true;
    if (std::optional<Value> keyed = o->getKeyed(*this, name)) return *keyed;
    if (ArrayObject* array = o->asArray()) {
        uint32_t index;
        if (isArrayIndex(name, index)) {
            if (auto* vector = dynamic_cast<VectorObject*>(array)) return vectorLoad(*this, *vector, index);
            if (Value* v = array->elementThroughPrototypes(index, name.local)) return *v;
            found = false;
            return Value();
        }
        if (auto* vector = dynamic_cast<VectorObject*>(array)) vectorRefuseNumber(*this, *vector, name);
    }
    if (const Binding* b = findBinding(o->traits(), name)) {
        switch (b->kind) {
            case Binding::Kind::Slot:
            case Binding::Kind::Const: return o->slots()[b->slot];
            case Binding::Kind::Method: return Value::object(bind(b->method->asFunction(), receiver));
            case Binding::Kind::Accessor:
                if (!b->getter)
                    throwError("ReferenceError", 1077,
                               "Illegal read of write-only property " + name.local + " on " + describeForError(receiver) + ".");
                return invoke(b->getter->asFunction(), receiver, {});
        }
    }
    if (name.isPublic(namespaces_)) {
        int depth = 0;
        for (Object* p = o; p && depth < 1024; p = p->proto(), ++depth)
            if (Value* v = p->findOwn(name.local)) return *v;
    }
    found = false;
    return Value();
}

Value Machine::getProperty(const Value& object, const Name& name) {
    if (object.isNullish())
        throwError("TypeError", object.isNull() ? 1009 : 1010,
                   object.isNull() ? "Cannot access a property or method of a null object reference."
                                   : "A term is undefined and has no properties.");
    bool found = false;
    if (Object* o = object.asObject()) {
        if (o->asXml() || o->asXmlList()) return xmlGetProperty(*this, o, name);
        Value v = getOnObject(o, object, name, found);
        if (!found && !o->isDynamic() && !o->asArray())
            throwError("ReferenceError", 1069,
                       "Property " + name.local + " not found on " + describeForError(object) +
                           " and there is no default value.");
        return v;
    }
    if (object.isString() && name.local == "length" && name.isPublic(namespaces_))
        return Value::number(static_cast<double>(utf16Length(object.asString())));
    ClassObject* cls = classOf(object);
    if (const Binding* b = findBinding(cls->instanceTraits.get(), name)) {
        if (b->kind == Binding::Kind::Method) return Value::object(bind(b->method->asFunction(), object));
        if (b->kind == Binding::Kind::Accessor && b->getter) return invoke(b->getter->asFunction(), object, {});
    }
    Value v = getOnObject(cls->prototype, object, name, found);
    if (!found) {
        throwError("ReferenceError", 1069,
                   "Property " + name.local + " not found on " + cls->name + " and there is no default value.");
    }
    return v;
}

void Machine::setProperty(const Value& object, const Name& name, const Value& value, bool initialize) {
    if (object.isNullish())
        throwError("TypeError", object.isNull() ? 1009 : 1010,
                   object.isNull() ? "Cannot access a property or method of a null object reference."
                                   : "A term is undefined and has no properties.");
    Object* o = object.asObject();
    if (!o) {
        // A primitive's class says whether the name is read-only, a method or not there at all.
        const Binding* b = findBinding(classOf(object)->instanceTraits.get(), name);
        if (b && b->kind == Binding::Kind::Accessor && !b->setter)
            throwError("ReferenceError", 1074,
                       "Illegal write to read-only property " + name.local + " on " + classOf(object)->name + ".");
        if (b && b->kind == Binding::Kind::Method)
            throwError("ReferenceError", 1037,
                       "Cannot assign to a method " + name.local + " on " + classOf(object)->name + ".");
        throwError("ReferenceError", 1056,
                   "Cannot create property " + name.local + " on " + classOf(object)->name + ".");
    }
    if (o->asXml() || o->asXmlList()) return xmlSetProperty(*this, o, name, value);
    if (o->setKeyed(*this, name, value)) return;
    if (ArrayObject* array = o->asArray()) {
        uint32_t index;
        if (isArrayIndex(name, index)) {
            if (auto* vector = dynamic_cast<VectorObject*>(array)) return vectorStore(*this, *vector, index, value);
            array->setElement(index, value);
            return;
        }
        if (auto* vector = dynamic_cast<VectorObject*>(array)) vectorRefuseNumber(*this, *vector, name);
    }
    if (const Binding* b = findBinding(o->traits(), name)) {
        switch (b->kind) {
            case Binding::Kind::Const:
                if (!initialize)
                    throwError("ReferenceError", 1074,
                               "Illegal write to read-only property " + name.local + " on " + describeForError(object) + ".");
                [[fallthrough]];
            case Binding::Kind::Slot: {
                o->slots()[b->slot] = coerceToSlot(o->traits()->slotType(b->slot), value);
                return;
            }
            case Binding::Kind::Method:
                throwError("ReferenceError", 1037,
                           "Cannot assign to a method " + name.local + " on " + describeForError(object) + ".");
            case Binding::Kind::Accessor:
                if (!b->setter)
                    throwError("ReferenceError", 1074,
                               "Illegal write to read-only property " + name.local + " on " + describeForError(object) + ".");
                invoke(b->setter->asFunction(), object, std::span<const Value>(&value, 1));
                return;
        }
    }
    if (!o->isDynamic() || !name.isPublic(namespaces_))
        throwError("ReferenceError", 1056,
                   "Cannot create property " + name.local + " on " + describeForError(object) + ".");
    if (ArrayObject* array = o->asArray(); array && name.local == "length") {
        double n = toNumber(value);
        if (n < 0 || n != std::floor(n) || n > 4294967295.0)
            throwError("RangeError", 1005, "Array index is not a positive integer (" + numberToString(n) + ").");
        array->setLength(static_cast<size_t>(n));
        return;
    }
    o->setOwn(name.local, value);
}

bool Machine::deleteProperty(const Value& object, const Name& name) {
    Object* o = object.asObject();
    if (!o) {
        // A primitive has nothing of its own to lose.
        if (object.isNullish()) return false;
        throwError("ReferenceError", 1120, "Cannot delete property " + name.local + " on " + classOf(object)->name + ".");
    }
    if (o->asXml() || o->asXmlList()) return xmlDeleteProperty(*this, o, name);
    if (std::optional<bool> deleted = o->deleteKeyed(name)) return *deleted;
    if (ArrayObject* array = o->asArray()) {
        uint32_t index;
        if (isArrayIndex(name, index)) {
            // A vector's elements cannot be deleted, though the player says they were.
            if (dynamic_cast<VectorObject*>(array)) return true;
            if (index < array->items.size()) array->items[index] = Value::hole();
            else array->deleteOwn(name.local);
            return true;
        }
    }
    if (findBinding(o->traits(), name)) return false;
    // A sealed object has no dynamic properties to lose.
    if (!name.isPublic(namespaces_) || !o->isDynamic()) return false;
    o->deleteOwn(name.local);
    return true;
}

bool Machine::hasProperty(const Value& object, const Name& name) {
    Object* o = object.asObject();
    if (!o) {
        if (object.isNullish()) return false;
        o = classOf(object)->prototype;
    }
    if (o->asXml() || o->asXmlList()) return xmlHasProperty(*this, o, name);
    if (std::optional<bool> has = o->hasKeyed(name)) return *has;
    if (findBinding(o->traits(), name)) return true;
    if (ArrayObject* array = o->asArray()) {
        uint32_t index;
        if (isArrayIndex(name, index)) return array->elementThroughPrototypes(index, name.local) != nullptr;
    }
    if (!name.isPublic(namespaces_)) return false;
    int depth = 0;
    for (Object* p = o; p && depth < 1024; p = p->proto(), ++depth)
        if (p->findOwn(name.local)) return true;
    return false;
}

Name Machine::keyName(const Value& key, const Value& receiver) {
    Name name = Name::qualified(namespaces_.publicNs(), std::string());
    Object* target = receiver.asObject();
    if (key.isObject() && target && target->keysByIdentity()) name.keyObject = key.asObject();
    else name.local = toString(key);
    return name;
}

Value Machine::callValueOrThrow(const Value& f, const Value& thisValue, std::span<const Value> args,
                                const Name& name) {
    Object* o = f.asObject();
    if (!o || (!o->asFunction() && !o->asClass()))
        throwError("TypeError", 1006, name.local + " is not a function.");
    return call(f, thisValue, args);
}

Value Machine::callProperty(const Value& object, const Name& name, std::span<const Value> args) {
    if (Object* o = object.asObject()) {
        if (const Binding* b = findBinding(o->traits(), name); b && b->kind == Binding::Kind::Method)
            return invoke(b->method->asFunction(), object, args);
        if (o->asXml() || o->asXmlList()) return xmlCallFallback(*this, o, name, args);
    } else if (!object.isNullish()) {
        ClassObject* cls = classOf(object);
        if (const Binding* b = findBinding(cls->instanceTraits.get(), name); b && b->kind == Binding::Kind::Method)
            return invoke(b->method->asFunction(), object, args);
    }
    Value f = getProperty(object, name);
    return callValueOrThrow(f, object, args, name);
}

Value Machine::call(const Value& function, const Value& thisValue, std::span<const Value> args) {
    Object* o = function.asObject();
    if (o) {
        if (FunctionObject* f = o->asFunction()) return invoke(f, thisValue, args);
        if (ClassObject* c = o->asClass()) {
            if (c->call) return c->call(*this, thisValue, args);
            if (args.size() != 1)
                throwError("ArgumentError", 1112,
                           "Argument count mismatch on class coercion.  Expected 1, got " + std::to_string(args.size()) + ".");
            return coerceTo(args[0], c);
        }
    }
    throwError("TypeError", 1006, "value is not a function.");
}

Value Machine::invoke(FunctionObject* f, const Value& thisValue, std::span<const Value> args) {
    if (depth_ >= kMaxCallDepth) throwError("Error", 1023, "Stack overflow occurred.");
    struct Depth {
        int& d;
        explicit Depth(int& depth) : d(depth) { ++d; }
        ~Depth() { --d; }
    } guard(depth_);
    const Value& receiver = f->bound ? f->boundThis : thisValue;
    if (f->native) return f->native(*this, receiver, args);
    if (!f->abc) return Value();
    return Interpreter(*this, *f).run(receiver, args);
}

Value Machine::construct(const Value& constructor, std::span<const Value> args) {
    Object* o = constructor.asObject();
    if (ClassObject* c = o ? o->asClass() : nullptr) {
        if (c->isInterface)
            throwError("TypeError", 1115, c->name + " is not a constructor.");
        if (c->construct) return c->construct(*this, args);
        Object* instance = nullptr;
        for (ClassObject* k = c; k && !instance; k = k->base)
            if (k->allocate) instance = k->allocate(*this, c);
        if (!instance) instance = heap_.make<Object>(c, c->prototype);
        instance->setProto(c->prototype);
        instance->setTraits(c->instanceTraits.get());
        instance->setDynamic(!c->sealed);
        Value result = Value::object(instance);
        constructSuper(c, instance, args);
        return result;
    }
    if (FunctionObject* f = o ? o->asFunction() : nullptr) {
        Value proto = getProperty(constructor, Name::qualified(namespaces_.publicNs(), "prototype"));
        Object* instance = newObject();
        if (Object* p = proto.asObject()) instance->setProto(p);
        Value result = invoke(f, Value::object(instance), args);
        return result.isObject() ? result : Value::object(instance);
    }
    throwError("TypeError", 1007, "Instantiation attempted on a non-constructor.");
}

void Machine::constructSuper(ClassObject* cls, Object* instance, std::span<const Value> args) {
    if (!cls) return;
    if (cls->initializer) {
        invoke(cls->initializer, Value::object(instance), args);
        return;
    }
    if (cls->nativeInitializer) {
        cls->nativeInitializer(*this, Value::object(instance), args);
        return;
    }
    constructSuper(cls->base, instance, args);
}

Value Machine::findInBuiltins(const Name& name, bool& found) {
    found = false;
    if (const Binding* b = findBinding(builtinTraits_.get(), name)) {
        found = true;
        return builtinGlobal_->slots()[b->slot];
    }
    return Value();
}

Value Machine::findProperty(const ScopeChain& outer, const ScopeChain& local, const Name& name, bool strict) {
    auto search = [&](const ScopeChain& chain, bool outermostIsGlobal) -> Object* {
        for (size_t i = chain.size(); i-- > 0;) {
            Object* o = chain[i].value.asObject();
            if (!o) continue;
            if (findBinding(o->traits(), name)) return o;
            if ((chain[i].with || (outermostIsGlobal && i == 0)) && hasProperty(chain[i].value, name)) return o;
        }
        return nullptr;
    };
    if (Object* o = search(local, outer.empty())) return Value::object(o);
    if (Object* o = search(outer, true)) return Value::object(o);
    if (Object* global = scriptDefining(name)) return Value::object(global);
    bool found = false;
    findInBuiltins(name, found);
    if (found) return Value::object(builtinGlobal_);
    if (strict) throwError("ReferenceError", 1065, "Variable " + name.local + " is not defined.");
    const ScopeChain& base = outer.empty() ? local : outer;
    return base.empty() ? Value::object(builtinGlobal_) : base.front().value;
}

}  // namespace swf::avm2
