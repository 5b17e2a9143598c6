// flash.utils' functions on classes, also found in the avmplus package where the player's own
// shell puts them.
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

}  // namespace

void installUtilsClasses(Machine& m) {
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
    for (const char* package : {"flash.utils", "avmplus"}) {
        m.defineGlobal(package, "getQualifiedClassName", Value::object(name));
        m.defineGlobal(package, "getQualifiedSuperclassName", Value::object(superName));
    }
}

}  // namespace swf::avm2
