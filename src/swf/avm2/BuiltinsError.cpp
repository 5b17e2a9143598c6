// Error and its subclasses: the message, the error code and the player's printing.
#include "swf/avm2/Builtins.h"
#include "swf/avm2/Machine.h"

namespace swf::avm2 {

namespace {

// Error(...) called as a function makes an error as `new` does.
void constructWhenCalled(ClassObject* cls) {
    cls->call = [cls](Machine& m, const Value&, std::span<const Value> args) {
        return m.construct(Value::object(cls), args);
    };
}

}  // namespace

void installErrorClasses(Machine& m) {
    ClassObject* error = m.defineClass("", "Error", m.builtins().object);
    constructWhenCalled(error);
    auto initialize = [](Machine& m, const Value& self, std::span<const Value> args) {
        Object* o = self.asObject();
        if (!o) return Value();
        Value message = argAt(args, 0);
        o->setOwn("message", Value::string(message.isUndefined() ? "" : m.toString(message)));
        o->setEnumerable("message", false);
        o->setOwn("errorID", Value::number(args.size() > 1 ? m.toInt(args[1]) : 0));
        o->setEnumerable("errorID", false);
        ClassObject* c = o->classObject();
        // The player's flash.errors classes keep the base's name on their instances.
        bool flashError = c && c->name.starts_with("flash.errors::");
        o->setOwn("name", Value::string(c && !flashError ? c->localName : "Error"));
        o->setEnumerable("name", false);
        return Value();
    };
    error->nativeInitializer = initialize;
    error->setOwn("length", Value::number(1));
    m.defineMethod(error->prototype, "toString", [](Machine& m, const Value& self, std::span<const Value>) {
        Name nameKey = Name::qualified(m.namespaces().publicNs(), "name");
        Name messageKey = Name::qualified(m.namespaces().publicNs(), "message");
        std::string name = m.toString(m.getProperty(self, nameKey));
        std::string message = m.toString(m.getProperty(self, messageKey));
        return Value::string(message.empty() ? name : name + ": " + message);
    });
    m.defineMethod(error->prototype, "getStackTrace", [](Machine&, const Value&, std::span<const Value>) {
        return Value::null();
    });
    error->prototype->setOwn("name", Value::string("Error"));
    error->prototype->setEnumerable("name", false);
    error->prototype->setOwn("message", Value::string(""));
    error->prototype->setEnumerable("message", false);
    m.defineMethod(error, "throwError", [](Machine& m, const Value& self, std::span<const Value> args) -> Value {
        Value e = m.construct(self, args.subspan(0, std::min<size_t>(args.size(), 2)));
        throw ScriptThrow{e};
    }, 2);
    for (const char* name : {"TypeError", "ReferenceError", "RangeError", "ArgumentError", "VerifyError", "EvalError",
                             "SyntaxError", "URIError", "SecurityError", "DefinitionError", "UninitializedError"}) {
        ClassObject* sub = m.defineClass("", name, error);
        constructWhenCalled(sub);
        sub->prototype->setOwn("name", Value::string(name));
        sub->prototype->setEnumerable("name", false);
        sub->setOwn("length", Value::number(1));
    }
    for (const char* name : {"IOError", "EOFError", "IllegalOperationError", "MemoryError", "StackOverflowError",
                             "ScriptTimeoutError", "InvalidSWFError"}) {
        ClassObject* sub = m.defineClass("flash.errors", name, error);
        constructWhenCalled(sub);
        sub->prototype->setOwn("name", Value::string(name));
        sub->prototype->setEnumerable("name", false);
    }
}

}  // namespace swf::avm2
