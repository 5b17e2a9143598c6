// flash.utils' functions on classes, also found in the avmplus package where the player's own
// shell puts them; and Math's functions and constants as statics of Number, which the player
// declares with fixed parameters (a call with the wrong count is an ArgumentError).
#include "swf/avm2/Builtins.h"
#include "swf/avm2/LanguageClasses.h"
#include "swf/avm2/Machine.h"

namespace swf::avm2 {
namespace {

ClassObject* classFor(Machine& m, const Value& v) {
    Object* o = v.asObject();
    if (o && o->asClass()) return o->asClass();
    return m.classOf(v);
}

void installNumberStatics(Machine& m) {
    // Number's copies of Math came after SWF 15: older movies find none.
    if (m.swfVersion() <= 15) return;
    Name mathName = Name::qualified(m.namespaces().publicNs(), "Math");
    Object* math = m.getProperty(m.findProperty({}, {}, mathName, true), mathName).asObject();
    if (!math) return;
    ClassObject* number = m.builtins().number;
    // Constants of the class: read-only and never deleted.
    for (const char* name : {"E", "LN10", "LN2", "LOG10E", "LOG2E", "PI", "SQRT1_2", "SQRT2"}) {
        Value value = *math->findOwn(name);
        uint32_t slot = number->classTraits->addSlot(0, SlotType::Number, value);
        number->classTraits->bind(m.namespaces().publicNs(), name, Binding{Binding::Kind::Const, slot, nullptr, nullptr, nullptr});
        number->slots().resize(number->classTraits->slotCount());
        number->slots()[slot] = value;
    }
    struct Static {
        const char* name;
        int count;  // -1 for any
    };
    for (Static s : {Static{"abs", 1}, {"acos", 1}, {"asin", 1}, {"atan", 1}, {"ceil", 1}, {"cos", 1}, {"exp", 1},
                     {"floor", 1}, {"log", 1}, {"round", 1}, {"sin", 1}, {"sqrt", 1}, {"tan", 1}, {"atan2", 2},
                     {"pow", 2}, {"max", -1}, {"min", -1}, {"random", 0}}) {
        Value* f = math->findOwn(s.name);
        if (!f || !f->asObject()) continue;
        Value function = *f;
        std::string name = s.name;
        int count = s.count;
        m.defineMethod(number, name, [function, name, count](Machine& m, const Value&, std::span<const Value> args) {
            if (count >= 0 && args.size() != static_cast<size_t>(count))
                m.throwError("ArgumentError", 1063, "Argument count mismatch on Number/" + name + "(). Expected " +
                                                        std::to_string(count) + ", got " + std::to_string(args.size()) + ".");
            return m.call(function, Value::null(), args);
        }, count < 0 ? 2 : static_cast<uint32_t>(count));
    }
}

}  // namespace

void installUtilsClasses(Machine& m) {
    installNumberStatics(m);
    FunctionObject* name = m.newNative([](Machine& m, const Value&, std::span<const Value> args) {
        Value v = argAt(args, 0);
        if (v.isNull()) return Value::string("null");
        if (v.isUndefined()) return Value::string("void");
        return Value::string(classFor(m, v)->name);
    }, 1);
    FunctionObject* superName = m.newNative([](Machine& m, const Value&, std::span<const Value> args) {
        Value v = argAt(args, 0);
        if (v.isNullish()) return Value::null();
        ClassObject* base = classFor(m, v)->base;
        return base ? Value::string(base->name) : Value::null();
    }, 1);
    // "flash.display.Sprite" or "flash.display::Sprite": the definition the domain holds.
    FunctionObject* definition = m.newNative([](Machine& m, const Value&, std::span<const Value> args) {
        Value v = argAt(args, 0);
        if (v.isNullish()) m.throwError("TypeError", 2007, "Parameter name must be non-null.");
        std::string text = m.toString(v);
        std::string package, local = text;
        if (size_t colon = text.rfind("::"); colon != std::string::npos) {
            package = text.substr(0, colon);
            local = text.substr(colon + 2);
        } else if (size_t dot = text.rfind('.'); dot != std::string::npos) {
            package = text.substr(0, dot);
            local = text.substr(dot + 1);
        }
        Name qualified = Name::qualified(m.namespaces().intern(Ns::Group::Public, package), local);
        Value holder = m.findProperty({}, {}, qualified, false);
        if (local.empty() || !m.hasProperty(holder, qualified))
            m.throwError("ReferenceError", 1065, "Variable " + text + " is not defined.");
        return m.getProperty(holder, qualified);
    }, 1);
    for (const char* package : {"flash.utils", "avmplus"}) {
        m.defineGlobal(package, "getQualifiedClassName", Value::object(name));
        m.defineGlobal(package, "getQualifiedSuperclassName", Value::object(superName));
        m.defineGlobal(package, "getDefinitionByName", Value::object(definition));
    }
}

}  // namespace swf::avm2
