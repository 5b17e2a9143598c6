#include "swf/avm2/Interpreter.h"

#include <cmath>

#include "swf/abc/Instruction.h"
#include "swf/abc/Opcode.h"
#include "swf/abc/Verifier.h"
#include "swf/avm2/DomainMemory.h"
#include "swf/avm2/XmlAccess.h"
#include "swf/avm2/XmlPrinter.h"

namespace swf::avm2 {

using namespace abc;

namespace {

// for-in's order: an array's elements, the dynamic names, then keys held apart (Dictionary's
// objects). Positions count from 1; 0 ends the loop.
size_t nextEnumerated(Object& o, size_t from) {
    size_t items = o.indexedLength();
    size_t names = o.ownCount();
    size_t total = items + names + o.keyedCount();
    for (size_t k = from; k < total; ++k) {
        if (k < items) {
            if (!o.indexedItem(k).isHole()) return k + 1;
            continue;
        }
        if (k < items + names) {
            const std::string* name = o.ownNameAt(k - items);
            if (name && o.isEnumerable(*name)) return k + 1;
        } else if (!o.keyedName(k - items - names).isUndefined()) {
            return k + 1;
        }
    }
    return 0;
}

// The name (or value) at position `i` of the for-in order; undefined past the end.
Value enumerated(Object& o, size_t i, bool value) {
    size_t items = o.indexedLength();
    if (i < items) {
        if (!value) return Value::string(numberToString(static_cast<double>(i)));
        return o.indexedItem(i).withoutHole();
    }
    if (i < items + o.ownCount()) {
        const std::string* key = o.ownNameAt(i - items);
        if (!key) return Value();
        return value ? *o.findOwn(*key) : Value::string(*key);
    }
    size_t keyed = i - items - o.ownCount();
    if (keyed < o.keyedCount()) return value ? o.keyedValue(keyed) : o.keyedName(keyed);
    return Value();
}

}  // namespace

Interpreter::Interpreter(Machine& machine, FunctionObject& function)
    : m_(machine),
      f_(function),
      abc_(*function.abc),
      file_(*function.abc->file),
      method_(file_.methods.at(function.method)) {}

Value Interpreter::run(const Value& thisValue, std::span<const Value> args) {
    if (method_.body < 0)
        m_.throwError("VerifyError", 1001, "The method " + file_.strings[method_.name] + " is not implemented.");
    uint32_t bodyIndex = static_cast<uint32_t>(method_.body);
    body_ = &file_.bodies[bodyIndex];
    int8_t& verified = abc_.verified[bodyIndex];
    if (verified == 0) {
        std::string error;
        verified = Verifier::verify(file_, *body_, error) ? 1 : -1;
        abc_.verifyErrors[bodyIndex] = error;
    }
    if (verified < 0) {
        // "VerifyError: Error #NNNN: text", thrown each time the method is called.
        const std::string& error = abc_.verifyErrors[bodyIndex];
        size_t hash = error.find('#');
        int code = hash == std::string::npos ? 1000 : std::atoi(error.c_str() + hash + 1);
        size_t text = error.find(": ", hash == std::string::npos ? 0 : hash);
        m_.throwError("VerifyError", code, text == std::string::npos ? error : error.substr(text + 2));
    }
    // A method's `default xml namespace` lasts until it returns.
    struct RestoreXmlNamespace {
        Machine& m;
        std::string saved;
        ~RestoreXmlNamespace() { m.setDefaultXmlNamespace(std::move(saved)); }
    } restore{m_, m_.defaultXmlNamespace()};
    setupRegisters(thisValue, args);
    stack_.reserve(body_->maxStack);
    scope_.reserve(body_->maxScopeDepth - body_->initScopeDepth);
    execute();
    return result_;
}

void Interpreter::setupRegisters(const Value& thisValue, std::span<const Value> args) {
    registers_.assign(body_->localCount, Value());
    Value self = thisValue;
    if (self.isNullish() && !f_.scope.empty()) self = f_.scope.front().value;
    registers_[0] = self;
    const size_t params = method_.parameterTypes.size();
    const size_t optional = method_.optionalValues.size();
    const bool rest = method_.flags & kNeedRest;
    const bool arguments = method_.flags & kNeedArguments;
    if (!f_.lenientArguments && (args.size() < params - optional || (args.size() > params && !rest && !arguments)))
        m_.throwError("ArgumentError", 1063,
                      "Argument count mismatch on " + (file_.strings[method_.name].empty() ? std::string("Function/<anonymous>()") : file_.strings[method_.name] + "()") + ". Expected " +
                          std::to_string(params - optional) + ", got " + std::to_string(args.size()) + ".");
    for (size_t i = 0; i < params; ++i) {
        Value v = i < args.size()                 ? args[i]
                  : i >= params - optional ? m_.constant(abc_, method_.optionalValues[i - (params - optional)])
                                           : Value();
        registers_[i + 1] = m_.coerceTo(v, type(method_.parameterTypes[i]));
    }
    if (rest) {
        std::vector<Value> extra;
        for (size_t i = params; i < args.size(); ++i) extra.push_back(args[i]);
        registers_[params + 1] = Value::object(m_.newArray(std::move(extra)));
    } else if (arguments) {
        ArrayObject* a = m_.newArray(std::vector<Value>(args.begin(), args.end()));
        a->setOwn("callee", Value::object(&f_));
        a->setEnumerable("callee", false);
        registers_[params + 1] = Value::object(a);
    }
}

std::vector<Value> Interpreter::popArgs(uint32_t count) {
    std::vector<Value> args(stack_.end() - count, stack_.end());
    stack_.resize(stack_.size() - count);
    return args;
}

Name Interpreter::readName(uint32_t index) {
    const Multiname& mn = file_.multinames[index];
    Name name;
    name.attribute = mn.isAttribute();
    // A QName given as a runtime name brings its own namespace (none for "*::name").
    const Value* qnameUri = nullptr;
    Value runtimeName;
    if (mn.needsRuntimeName()) {
        runtimeName = pop();
        Object* q = runtimeName.asObject();
        if (q && q->classObject() == m_.builtins().qname && !mn.needsRuntimeNamespace()) {
            Value* local = q->findOwn("localName");
            name.local = local ? m_.toString(*local) : std::string();
            qnameUri = q->findOwn("uri");
        } else {
            // The receiver lies under the name unless a runtime namespace comes between.
            Value receiver = mn.needsRuntimeNamespace() || stack_.empty() ? Value() : stack_.back();
            Name keyed = m_.keyName(runtimeName, receiver);
            name.local = std::move(keyed.local);
            name.keyObject = keyed.keyObject;
        }
    } else if (mn.kind != MultinameKind::TypeName) {
        name.local = file_.strings[mn.name];
        name.anyName = mn.name == 0;
    }
    if (mn.needsRuntimeNamespace()) {
        Value ns = pop();
        Object* o = ns.asObject();
        Value* uri = o ? o->findOwn("uri") : nullptr;
        runtimeNs_.push_back(m_.namespaces().intern(Ns::Group::Public, uri ? m_.toString(*uri) : ""));
        name.single = runtimeNs_.back();
    }
    switch (mn.kind) {
        case MultinameKind::QName:
        case MultinameKind::QNameA:
            // Namespace 0 is "*": any namespace.
            if (mn.ns != 0) name.single = abc_.namespaces[mn.ns];
            break;
        case MultinameKind::Multiname:
        case MultinameKind::MultinameA:
        case MultinameKind::MultinameL:
        case MultinameKind::MultinameLA: name.set = abc_.sets[mn.nsSet]; break;
        case MultinameKind::TypeName: {
            const Multiname& base = file_.multinames[mn.name];
            name.local = file_.strings[base.name];
            if (base.kind == MultinameKind::QName) name.single = abc_.namespaces[base.ns];
            break;
        }
        default: break;
    }
    if (qnameUri) {
        name.set = {};
        name.single = nullptr;
        if (!qnameUri->isNull()) {
            runtimeNs_.push_back(m_.namespaces().intern(Ns::Group::Public, m_.toString(*qnameUri)));
            name.single = runtimeNs_.back();
        }
    }
    return name;
}

ScopeChain Interpreter::fullScope() const {
    ScopeChain chain = f_.scope;
    chain.insert(chain.end(), scope_.begin(), scope_.end());
    return chain;
}

Object* Interpreter::activation(uint32_t bodyIndex) {
    auto& traits = abc_.activationTraits[bodyIndex];
    if (!traits) {
        traits = std::make_unique<Traits>();
        m_.buildTraits(*traits, f_.abc, body_->traits, {}, nullptr);
    }
    Object* o = m_.heap().make<Object>(nullptr, nullptr);
    o->setTraits(traits.get());
    o->setDynamic(false);
    return o;
}

Object* Interpreter::catchScope(uint32_t handler) {
    auto key = std::make_pair(static_cast<uint32_t>(method_.body), handler);
    auto& traits = abc_.catchTraits[key];
    if (!traits) {
        traits = std::make_unique<Traits>();
        const ExceptionHandler& e = body_->exceptions[handler];
        const Multiname& mn = file_.multinames[e.variable];
        if (e.variable != 0 && mn.kind == MultinameKind::QName) {
            uint32_t slot = traits->addSlot(0, SlotType::Any, Value());
            traits->bind(abc_.namespaces[mn.ns], file_.strings[mn.name], Binding{Binding::Kind::Slot, slot, nullptr, nullptr, nullptr});
        }
    }
    Object* o = m_.heap().make<Object>(nullptr, nullptr);
    o->setTraits(traits.get());
    o->setDynamic(false);
    return o;
}

bool Interpreter::handle(size_t pc, const Value& thrown) {
    for (const ExceptionHandler& e : body_->exceptions) {
        if (pc < e.from || pc >= e.to) continue;
        if (e.type != 0) {
            ClassObject* t = type(e.type);
            if (!t || !m_.isType(thrown, t)) continue;
        }
        stack_.clear();
        stack_.push_back(thrown);
        scope_.clear();
        pc_ = e.target;
        return true;
    }
    return false;
}

Value Interpreter::superLookup(const Value& receiver, const Name& name, bool& isMethod, Binding& binding) {
    ClassObject* base = f_.home ? f_.home->base : nullptr;
    isMethod = false;
    if (!base) m_.throwError("ReferenceError", 1070, "Method " + name.local + " not found on Object");
    const Traits* traits = base->instanceTraits.get();
    const Binding* b = name.single ? traits->find(name.single, name.local) : traits->find(name.set, name.local);
    if (!b) {
        Value v = m_.getProperty(Value::object(base->prototype), name);
        return v;
    }
    binding = *b;
    isMethod = true;
    (void)receiver;
    return Value();
}

void Interpreter::execute() {
    std::span<const uint8_t> code(body_->code);
    for (;;) {
        size_t start = pc_;
        try {
            for (;;) {
                m_.step();
                start = pc_;
                runtimeNs_.clear();
                Instruction in;
                decodeInstruction(code, pc_, in);
                pc_ = in.next;
                switch (in.op) {
                    case OP_nop: case OP_label: case OP_debug: case OP_debugline: case OP_debugfile:
                    case OP_bkpt: case OP_bkptline: case OP_timestamp:
                        break;
                    case OP_throw: throw ScriptThrow{pop()};
                    case OP_getsuper: {
                        Name name = readName(in.a);
                        Value obj = pop();
                        bool isMethod;
                        Binding b;
                        Value v = superLookup(obj, name, isMethod, b);
                        if (isMethod) {
                            if (b.kind == Binding::Kind::Accessor && b.getter) v = m_.invoke(b.getter->asFunction(), obj, {});
                            else if (b.kind == Binding::Kind::Method) v = Value::object(m_.bind(b.method->asFunction(), obj));
                            else v = m_.getProperty(obj, name);
                        }
                        stack_.push_back(v);
                        break;
                    }
                    case OP_setsuper: {
                        Value value = pop();
                        Name name = readName(in.a);
                        Value obj = pop();
                        bool isMethod;
                        Binding b;
                        superLookup(obj, name, isMethod, b);
                        if (isMethod && b.kind == Binding::Kind::Accessor && b.setter)
                            m_.invoke(b.setter->asFunction(), obj, std::span<const Value>(&value, 1));
                        else
                            m_.setProperty(obj, name, value);
                        break;
                    }
                    case OP_dxns: m_.setDefaultXmlNamespace(file_.strings[in.a]); break;
                    case OP_dxnslate: {
                        Value ns = pop();
                        Object* o = ns.asObject();
                        Value* uri = o ? o->findOwn("uri") : nullptr;
                        m_.setDefaultXmlNamespace(m_.toString(uri ? *uri : ns));
                        break;
                    }
                    case OP_kill: reg(in.a) = Value(); break;
                    case OP_ifnlt: case OP_ifnle: case OP_ifngt: case OP_ifnge: case OP_iflt:
                    case OP_ifle: case OP_ifgt: case OP_ifge: case OP_ifeq: case OP_ifne:
                    case OP_ifstricteq: case OP_ifstrictne: {
                        Value b = pop(), a = pop();
                        bool jump = false;
                        auto isTrue = [](const Value& r) { return r.isBoolean() && r.asBoolean(); };
                        auto isFalse = [](const Value& r) { return r.isBoolean() && !r.asBoolean(); };
                        switch (in.op) {
                            case OP_iflt: jump = isTrue(m_.lessThan(a, b)); break;
                            case OP_ifnlt: jump = !isTrue(m_.lessThan(a, b)); break;
                            case OP_ifle: jump = isFalse(m_.lessThan(b, a)); break;
                            case OP_ifnle: jump = !isFalse(m_.lessThan(b, a)); break;
                            case OP_ifgt: jump = isTrue(m_.lessThan(b, a)); break;
                            case OP_ifngt: jump = !isTrue(m_.lessThan(b, a)); break;
                            case OP_ifge: jump = isFalse(m_.lessThan(a, b)); break;
                            case OP_ifnge: jump = !isFalse(m_.lessThan(a, b)); break;
                            case OP_ifeq: jump = m_.looseEquals(a, b); break;
                            case OP_ifne: jump = !m_.looseEquals(a, b); break;
                            case OP_ifstricteq: jump = m_.strictEquals(a, b); break;
                            default: jump = !m_.strictEquals(a, b); break;
                        }
                        if (jump) pc_ = static_cast<size_t>(in.branchTarget());
                        break;
                    }
                    case OP_jump: pc_ = static_cast<size_t>(in.branchTarget()); break;
                    case OP_iftrue:
                        if (Machine::toBoolean(pop())) pc_ = static_cast<size_t>(in.branchTarget());
                        break;
                    case OP_iffalse:
                        if (!Machine::toBoolean(pop())) pc_ = static_cast<size_t>(in.branchTarget());
                        break;
                    case OP_lookupswitch: {
                        double index = m_.toNumber(pop());
                        int64_t c = (index >= 0 && index <= in.b && index == std::floor(index)) ? static_cast<int64_t>(index) : -1;
                        pc_ = static_cast<size_t>(switchTarget(code, in, c));
                        break;
                    }
                    case OP_pushwith:
                    case OP_pushscope: {
                        Value v = pop();
                        if (v.isNullish()) m_.throwError("TypeError", 1009, "Cannot access a property or method of a null object reference.");
                        scope_.push_back({v, in.op == OP_pushwith});
                        break;
                    }
                    case OP_popscope: scope_.pop_back(); break;
                    case OP_nextname:
                    case OP_nextvalue: {
                        double index = m_.toNumber(pop());
                        Value obj = pop();
                        Object* o = obj.asObject();
                        size_t i = index >= 1 ? static_cast<size_t>(index) - 1 : 0;
                        stack_.push_back(o ? enumerated(*o, i, in.op == OP_nextvalue) : Value());
                        break;
                    }
                    case OP_hasnext: {
                        double index = m_.toNumber(pop());
                        Value obj = pop();
                        Object* o = obj.asObject();
                        size_t i = index >= 0 ? static_cast<size_t>(index) : 0;
                        stack_.push_back(Value::number(o ? static_cast<double>(nextEnumerated(*o, i)) : 0.0));
                        break;
                    }
                    case OP_hasnext2: {
                        Value& objReg = reg(in.a);
                        Value& indexReg = reg(in.b);
                        double index = m_.toNumber(indexReg);
                        size_t i = index >= 0 ? static_cast<size_t>(index) : 0;
                        bool found = false;
                        for (int depth = 0; depth < 64 && !found; ++depth) {
                            Object* o = objReg.asObject();
                            if (!o) break;
                            if (size_t next = nextEnumerated(*o, i)) {
                                indexReg = Value::number(static_cast<double>(next));
                                found = true;
                                break;
                            }
                            objReg = Value::object(o->proto());
                            i = 0;
                        }
                        if (!found) {
                            objReg = Value::null();
                            indexReg = Value::number(0);
                        }
                        stack_.push_back(Value::boolean(found));
                        break;
                    }
                    case OP_pushnull: stack_.push_back(Value::null()); break;
                    case OP_pushundefined: stack_.push_back(Value()); break;
                    case OP_pushbyte: stack_.push_back(Value::number(static_cast<int32_t>(in.a))); break;
                    case OP_pushshort: stack_.push_back(Value::number(static_cast<int16_t>(in.a))); break;
                    case OP_pushtrue: stack_.push_back(Value::boolean(true)); break;
                    case OP_pushfalse: stack_.push_back(Value::boolean(false)); break;
                    case OP_pushnan: stack_.push_back(Value::number(NAN)); break;
                    case OP_pop: stack_.pop_back(); break;
                    case OP_dup: stack_.push_back(stack_.back()); break;
                    case OP_swap: std::swap(stack_[stack_.size() - 1], stack_[stack_.size() - 2]); break;
                    case OP_pushstring: stack_.push_back(Value::string(file_.strings[in.a])); break;
                    case OP_pushint: stack_.push_back(Value::number(file_.ints[in.a])); break;
                    case OP_pushuint: stack_.push_back(Value::number(file_.uints[in.a])); break;
                    case OP_pushdouble: stack_.push_back(Value::number(file_.doubles[in.a])); break;
                    case OP_pushnamespace:
                        stack_.push_back(m_.constant(abc_, Constant{ConstantKind::Namespace, in.a}));
                        break;
                    case OP_li8: case OP_li16: case OP_li32: case OP_lf32: case OP_lf64:
                        stack_.back() = domainLoad(m_, in.op, stack_.back());
                        break;
                    case OP_si8: case OP_si16: case OP_si32: case OP_sf32: case OP_sf64: {
                        Value address = pop();
                        Value value = pop();
                        domainStore(m_, in.op, value, address);
                        break;
                    }
                    case OP_newfunction: {
                        FunctionObject* fn = m_.newMethodClosure(f_.abc, in.a, fullScope(), nullptr);
                        fn->lenientArguments = true;
                        Object* proto = m_.newObject();
                        proto->setOwn("constructor", Value::object(fn));
                        proto->setEnumerable("constructor", false);
                        fn->setOwn("prototype", Value::object(proto));
                        fn->setEnumerable("prototype", false);
                        stack_.push_back(Value::object(fn));
                        break;
                    }
                    case OP_call: {
                        std::vector<Value> args = popArgs(in.a);
                        Value receiver = pop();
                        Value fn = pop();
                        stack_.push_back(m_.call(fn, receiver, args));
                        break;
                    }
                    case OP_construct: {
                        std::vector<Value> args = popArgs(in.a);
                        Value ctor = pop();
                        stack_.push_back(m_.construct(ctor, args));
                        break;
                    }
                    case OP_callmethod:
                        m_.throwError("VerifyError", 1051, "Illegal early binding access.");
                    case OP_callstatic: {
                        std::vector<Value> args = popArgs(in.b);
                        Value receiver = pop();
                        FunctionObject* fn = m_.newMethodClosure(f_.abc, in.a, f_.scope, f_.home);
                        stack_.push_back(m_.invoke(fn, receiver, args));
                        break;
                    }
                    case OP_callsuper:
                    case OP_callsupervoid: {
                        std::vector<Value> args = popArgs(in.b);
                        Name name = readName(in.a);
                        Value obj = pop();
                        bool isMethod;
                        Binding b;
                        Value v = superLookup(obj, name, isMethod, b);
                        Value result;
                        if (isMethod && b.kind == Binding::Kind::Method) result = m_.invoke(b.method->asFunction(), obj, args);
                        else if (isMethod && b.kind == Binding::Kind::Accessor && b.getter)
                            result = m_.call(m_.invoke(b.getter->asFunction(), obj, {}), obj, args);
                        else if (Object* f = v.asObject(); f && (f->asFunction() || f->asClass()))
                            result = m_.call(v, obj, args);
                        else
                            m_.throwError("ReferenceError", 1070, "Method " + name.local + " not found on " + f_.home->base->name + ".");
                        if (in.op == OP_callsuper) stack_.push_back(result);
                        break;
                    }
                    case OP_callproperty:
                    case OP_callproplex:
                    case OP_callpropvoid: {
                        std::vector<Value> args = popArgs(in.b);
                        Name name = readName(in.a);
                        Value obj = pop();
                        Value result;
                        if (in.op == OP_callproplex) {
                            Value fn = m_.getProperty(obj, name);
                            result = m_.call(fn, Value::null(), args);
                        } else {
                            result = m_.callProperty(obj, name, args);
                        }
                        if (in.op != OP_callpropvoid) stack_.push_back(result);
                        break;
                    }
                    case OP_returnvoid: result_ = Value(); return;
                    case OP_returnvalue: {
                        result_ = m_.coerceTo(pop(), type(method_.returnType));
                        return;
                    }
                    case OP_constructsuper: {
                        std::vector<Value> args = popArgs(in.a);
                        Value obj = pop();
                        if (Object* o = obj.asObject())
                            m_.constructSuper(f_.home ? f_.home->base : nullptr, o, args);
                        break;
                    }
                    case OP_constructprop: {
                        std::vector<Value> args = popArgs(in.b);
                        Name name = readName(in.a);
                        Value obj = pop();
                        Value ctor = m_.getProperty(obj, name);
                        stack_.push_back(m_.construct(ctor, args));
                        break;
                    }
                    case OP_sxi1: stack_.back() = Value::number((m_.toInt(stack_.back()) & 1) ? -1 : 0); break;
                    case OP_sxi8: stack_.back() = Value::number(static_cast<int8_t>(m_.toInt(stack_.back()))); break;
                    case OP_sxi16: stack_.back() = Value::number(static_cast<int16_t>(m_.toInt(stack_.back()))); break;
                    case OP_applytype: {
                        std::vector<Value> params = popArgs(in.a);
                        Object* o = pop().asObject();
                        ClassObject* generic = o ? o->asClass() : nullptr;
                        if (!generic || !generic->applyType)
                            m_.throwError("TypeError", 1127, "Type application attempted on a non-parameterized type.");
                        stack_.push_back(generic->applyType(m_, params));
                        break;
                    }
                    case OP_newobject: {
                        std::vector<Value> pairs = popArgs(in.a * 2);
                        Object* o = m_.newObject();
                        for (size_t i = 0; i + 1 < pairs.size(); i += 2) o->setOwn(m_.toString(pairs[i]), pairs[i + 1]);
                        stack_.push_back(Value::object(o));
                        break;
                    }
                    case OP_newarray: stack_.push_back(Value::object(m_.newArray(popArgs(in.a)))); break;
                    case OP_newactivation: stack_.push_back(Value::object(activation(static_cast<uint32_t>(method_.body)))); break;
                    case OP_newclass: {
                        Value base = pop();
                        Object* b = base.asObject();
                        stack_.push_back(Value::object(m_.newClass(f_.abc, in.a, b ? b->asClass() : nullptr, fullScope())));
                        break;
                    }
                    case OP_getdescendants: {
                        Name name = readName(in.a);
                        Value obj = pop();
                        stack_.push_back(xmlDescendantsOperator(m_, obj, name));
                        break;
                    }
                    case OP_checkfilter: xmlCheckFilter(m_, stack_.back()); break;
                    case OP_newcatch: stack_.push_back(Value::object(catchScope(in.a))); break;
                    case OP_findpropstrict:
                    case OP_findproperty: {
                        Name name = readName(in.a);
                        stack_.push_back(m_.findProperty(f_.scope, scope_, name, in.op == OP_findpropstrict));
                        break;
                    }
                    case OP_finddef: {
                        Name name = readName(in.a);
                        stack_.push_back(m_.findProperty({}, {}, name, true));
                        break;
                    }
                    case OP_getlex: {
                        Name name = readName(in.a);
                        Value obj = m_.findProperty(f_.scope, scope_, name, true);
                        stack_.push_back(m_.getProperty(obj, name));
                        break;
                    }
                    case OP_setproperty:
                    case OP_initproperty: {
                        Value value = pop();
                        Name name = readName(in.a);
                        Value obj = pop();
                        m_.setProperty(obj, name, value, in.op == OP_initproperty);
                        break;
                    }
                    case OP_getlocal: stack_.push_back(reg(in.a)); break;
                    case OP_setlocal: reg(in.a) = pop(); break;
                    case OP_getlocal0: case OP_getlocal1: case OP_getlocal2: case OP_getlocal3:
                        stack_.push_back(reg(in.op - OP_getlocal0));
                        break;
                    case OP_setlocal0: case OP_setlocal1: case OP_setlocal2: case OP_setlocal3:
                        reg(in.op - OP_setlocal0) = pop();
                        break;
                    case OP_getglobalscope: {
                        const ScopeChain& chain = f_.scope.empty() ? scope_ : f_.scope;
                        stack_.push_back(chain.empty() ? Value() : chain.front().value);
                        break;
                    }
                    case OP_getscopeobject: stack_.push_back(scope_[in.a].value); break;
                    case OP_getouterscope:
                        if (in.a >= f_.scope.size()) m_.throwError("VerifyError", 1019, "Getscopeobject " + std::to_string(in.a) + " is out of bounds.");
                        stack_.push_back(f_.scope[in.a].value);
                        break;
                    case OP_getproperty: {
                        Name name = readName(in.a);
                        Value obj = pop();
                        stack_.push_back(m_.getProperty(obj, name));
                        break;
                    }
                    case OP_deleteproperty: {
                        Name name = readName(in.a);
                        Value obj = pop();
                        stack_.push_back(Value::boolean(m_.deleteProperty(obj, name)));
                        break;
                    }
                    case OP_getslot:
                    case OP_setslot:
                    case OP_getglobalslot:
                    case OP_setglobalslot: {
                        Value value;
                        if (in.op == OP_setslot || in.op == OP_setglobalslot) value = pop();
                        Value obj;
                        if (in.op == OP_getslot || in.op == OP_setslot) {
                            obj = pop();
                        } else {
                            const ScopeChain& chain = f_.scope.empty() ? scope_ : f_.scope;
                            if (!chain.empty()) obj = chain.front().value;
                        }
                        Object* o = obj.asObject();
                        if (!o) m_.throwError("TypeError", 1009, "Cannot access a property or method of a null object reference.");
                        if (in.a == 0 || in.a > o->slots().size())
                            m_.throwError("VerifyError", 1026, "Slot " + std::to_string(in.a) + " exceeds slotCount=" + std::to_string(o->slots().size()) + " of " + m_.describeForError(obj) + ".");
                        if (in.op == OP_getslot || in.op == OP_getglobalslot) {
                            stack_.push_back(o->slots()[in.a - 1]);
                        } else {
                            SlotType t = o->traits() ? o->traits()->slotType(in.a - 1) : SlotType::Any;
                            o->slots()[in.a - 1] = m_.coerceToSlot(t, value);
                        }
                        break;
                    }
                    case OP_convert_s: stack_.back() = Value::string(m_.toString(stack_.back())); break;
                    case OP_esc_xelem: stack_.back() = Value::string(escapeXmlElement(m_, stack_.back())); break;
                    case OP_esc_xattr: stack_.back() = Value::string(escapeAttributeValue(m_.toString(stack_.back()))); break;
                    case OP_coerce_s: stack_.back() = m_.coerceString(stack_.back()); break;
                    case OP_convert_i: case OP_coerce_i: stack_.back() = Value::number(m_.toInt(stack_.back())); break;
                    case OP_convert_u: case OP_coerce_u: stack_.back() = Value::number(m_.toUint(stack_.back())); break;
                    case OP_convert_d: case OP_coerce_d: stack_.back() = Value::number(m_.toNumber(stack_.back())); break;
                    case OP_convert_b: case OP_coerce_b: stack_.back() = Value::boolean(Machine::toBoolean(stack_.back())); break;
                    case OP_convert_o:
                        if (stack_.back().isNullish())
                            m_.throwError("TypeError", stack_.back().isNull() ? 1009 : 1010,
                                          stack_.back().isNull() ? "Cannot access a property or method of a null object reference."
                                                                 : "A term is undefined and has no properties.");
                        break;
                    case OP_coerce_a: break;
                    case OP_coerce_o:
                        if (stack_.back().isUndefined()) stack_.back() = Value::null();
                        break;
                    case OP_coerce: stack_.back() = m_.coerceTo(stack_.back(), type(in.a)); break;
                    case OP_astype: {
                        ClassObject* t = type(in.a);
                        if (t && !m_.isType(stack_.back(), t)) stack_.back() = Value::null();
                        break;
                    }
                    case OP_astypelate: {
                        Value t = pop();
                        Object* to = t.asObject();
                        ClassObject* cls = to ? to->asClass() : nullptr;
                        if (!cls) m_.throwError("TypeError", 1041, "The right-hand side of operator must be a class.");
                        if (!m_.isType(stack_.back(), cls)) stack_.back() = Value::null();
                        break;
                    }
                    case OP_istype: stack_.back() = Value::boolean(m_.isType(stack_.back(), type(in.a))); break;
                    case OP_istypelate: {
                        Value t = pop();
                        Object* to = t.asObject();
                        ClassObject* cls = to ? to->asClass() : nullptr;
                        if (!cls) m_.throwError("TypeError", 1041, "The right-hand side of operator must be a class.");
                        stack_.back() = Value::boolean(m_.isType(stack_.back(), cls));
                        break;
                    }
                    case OP_instanceof: {
                        Value t = pop();
                        Value v = pop();
                        Object* to = t.asObject();
                        if (!to || (!to->asClass() && !to->asFunction()))
                            m_.throwError("TypeError", 1040, "The right-hand side of instanceof must be a class or function.");
                        Value proto = to->asClass() ? Value::object(to->asClass()->prototype)
                                                    : m_.getProperty(t, Name::qualified(m_.namespaces().publicNs(), "prototype"));
                        bool result = false;
                        int depth = 0;
                        for (Object* p = m_.prototypeChainOf(v); p && !result && depth < 1024; p = p->proto(), ++depth)
                            result = p == proto.asObject();
                        stack_.push_back(Value::boolean(result));
                        break;
                    }
                    case OP_in: {
                        Value obj = pop();
                        Value key = pop();
                        if (obj.isNullish()) m_.throwError("TypeError", 1009, "Cannot access a property or method of a null object reference.");
                        stack_.push_back(Value::boolean(m_.hasProperty(obj, m_.keyName(key, obj))));
                        break;
                    }
                    case OP_negate: stack_.back() = Value::number(-m_.toNumber(stack_.back())); break;
                    case OP_increment: stack_.back() = Value::number(m_.toNumber(stack_.back()) + 1); break;
                    case OP_decrement: stack_.back() = Value::number(m_.toNumber(stack_.back()) - 1); break;
                    case OP_inclocal: reg(in.a) = Value::number(m_.toNumber(reg(in.a)) + 1); break;
                    case OP_declocal: reg(in.a) = Value::number(m_.toNumber(reg(in.a)) - 1); break;
                    case OP_increment_i: stack_.back() = Value::number(static_cast<int32_t>(static_cast<uint32_t>(m_.toInt(stack_.back())) + 1u)); break;
                    case OP_decrement_i: stack_.back() = Value::number(static_cast<int32_t>(static_cast<uint32_t>(m_.toInt(stack_.back())) - 1u)); break;
                    case OP_inclocal_i: reg(in.a) = Value::number(static_cast<int32_t>(static_cast<uint32_t>(m_.toInt(reg(in.a))) + 1u)); break;
                    case OP_declocal_i: reg(in.a) = Value::number(static_cast<int32_t>(static_cast<uint32_t>(m_.toInt(reg(in.a))) - 1u)); break;
                    case OP_negate_i: stack_.back() = Value::number(static_cast<int32_t>(0u - static_cast<uint32_t>(m_.toInt(stack_.back())))); break;
                    case OP_typeof: stack_.back() = Value::string(m_.typeOf(stack_.back())); break;
                    case OP_not: stack_.back() = Value::boolean(!Machine::toBoolean(stack_.back())); break;
                    case OP_bitnot: stack_.back() = Value::number(~m_.toInt(stack_.back())); break;
                    case OP_add: {
                        Value b = pop();
                        stack_.back() = m_.add(stack_.back(), b);
                        break;
                    }
                    case OP_add_i: case OP_subtract_i: case OP_multiply_i: {
                        uint32_t b = static_cast<uint32_t>(m_.toInt(pop()));
                        uint32_t a = static_cast<uint32_t>(m_.toInt(stack_.back()));
                        uint32_t r = in.op == OP_add_i ? a + b : in.op == OP_subtract_i ? a - b : a * b;
                        stack_.back() = Value::number(static_cast<int32_t>(r));
                        break;
                    }
                    case OP_subtract: case OP_multiply: case OP_divide: case OP_modulo: {
                        Value bv = pop();
                        double a = m_.toNumber(stack_.back());
                        double b = m_.toNumber(bv);
                        double r = in.op == OP_subtract ? a - b : in.op == OP_multiply ? a * b
                                   : in.op == OP_divide ? a / b : std::fmod(a, b);
                        stack_.back() = Value::number(r);
                        break;
                    }
                    case OP_lshift: case OP_rshift: case OP_urshift: case OP_bitand: case OP_bitor:
                    case OP_bitxor: {
                        Value bv = pop();
                        int32_t a = m_.toInt(stack_.back());
                        uint32_t b = m_.toUint(bv);
                        double r = 0;
                        switch (in.op) {
                            case OP_lshift: r = static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31)); break;
                            case OP_rshift: r = a >> (b & 31); break;
                            case OP_urshift: r = static_cast<uint32_t>(a) >> (b & 31); break;
                            case OP_bitand: r = a & static_cast<int32_t>(b); break;
                            case OP_bitor: r = a | static_cast<int32_t>(b); break;
                            default: r = a ^ static_cast<int32_t>(b); break;
                        }
                        stack_.back() = Value::number(r);
                        break;
                    }
                    case OP_equals: {
                        Value b = pop();
                        stack_.back() = Value::boolean(m_.looseEquals(stack_.back(), b));
                        break;
                    }
                    case OP_strictequals: {
                        Value b = pop();
                        stack_.back() = Value::boolean(m_.strictEquals(stack_.back(), b));
                        break;
                    }
                    case OP_lessthan: case OP_lessequals: case OP_greaterthan: case OP_greaterequals: {
                        Value b = pop();
                        Value a = stack_.back();
                        Value r;
                        bool result = false;
                        switch (in.op) {
                            case OP_lessthan: r = m_.lessThan(a, b); result = r.isBoolean() && r.asBoolean(); break;
                            case OP_greaterthan: r = m_.lessThan(b, a); result = r.isBoolean() && r.asBoolean(); break;
                            case OP_lessequals: r = m_.lessThan(b, a); result = r.isBoolean() && !r.asBoolean(); break;
                            default: r = m_.lessThan(a, b); result = r.isBoolean() && !r.asBoolean(); break;
                        }
                        stack_.back() = Value::boolean(result);
                        break;
                    }
                    default:
                        m_.throwError("VerifyError", 1011, "Method contained illegal opcode " + std::to_string(in.op) + " at offset " + std::to_string(start) + ".");
                }
            }
        } catch (const ScriptThrow& thrown) {
            if (!handle(start, thrown.value)) throw;
        }
    }
}

}  // namespace swf::avm2
