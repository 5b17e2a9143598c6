// QName and Namespace: the names E4X gives and takes.
#include "swf/avm2/Builtins.h"
#include "swf/avm2/BuiltinsXml.h"
#include "swf/avm2/Machine.h"

namespace swf::avm2 {

namespace {

void setHidden(Object* o, const char* name, const Value& v) {
    o->setOwn(name, v);
    o->setEnumerable(name, false);
}

Value own(Object* o, const char* name) {
    Value* v = o ? o->findOwn(name) : nullptr;
    return v ? *v : Value();
}

}  // namespace

Value newQName(Machine& m, const Value& uri, const std::string& local) {
    ClassObject* c = m.builtins().qname;
    Object* q = m.heap().make<Object>(c, c->prototype);
    setHidden(q, "uri", uri);
    setHidden(q, "localName", Value::string(local));
    return Value::object(q);
}

Value newNamespace(Machine& m, const Value& prefix, const std::string& uri) {
    ClassObject* c = m.builtins().namespaceClass;
    Object* ns = m.heap().make<Object>(c, c->prototype);
    setHidden(ns, "prefix", prefix);
    setHidden(ns, "uri", Value::string(uri));
    return Value::object(ns);
}

void installXmlNameClasses(Machine& m) {
    const Machine::Builtins& b = m.builtins();
    auto isA = [](Machine&, const Value& v, ClassObject* c) { return v.asObject() && v.asObject()->classObject() == c; };
    // new QName(name), new QName(uri or Namespace, name)
    b.qname->construct = [isA](Machine& m, std::span<const Value> args) {
        Value nameArg = args.size() >= 2 ? args[1] : argAt(args, 0);
        if (args.size() < 2 && isA(m, nameArg, m.builtins().qname)) return newQName(m, own(nameArg.asObject(), "uri"), m.toString(own(nameArg.asObject(), "localName")));
        std::string local = nameArg.isUndefined() ? std::string() : isA(m, nameArg, m.builtins().qname) ? m.toString(own(nameArg.asObject(), "localName")) : m.toString(nameArg);
        Value uri = Value::string("");
        if (args.size() >= 2) {
            const Value& ns = args[0];
            if (ns.isNull()) uri = Value::null();
            else if (isA(m, ns, m.builtins().namespaceClass)) uri = Value::string(m.toString(own(ns.asObject(), "uri")));
            else if (!ns.isUndefined()) uri = Value::string(m.toString(ns));
        }
        if (local == "*" && args.size() < 2) uri = Value::null();
        return newQName(m, uri, local);
    };
    b.qname->call = [](Machine& m, const Value&, std::span<const Value> args) {
        if (args.size() == 1 && args[0].asObject() && args[0].asObject()->classObject() == m.builtins().qname) return args[0];
        return m.construct(Value::object(m.builtins().qname), args);
    };
    m.defineMethod(b.qname->prototype, "toString", [](Machine& m, const Value& self, std::span<const Value>) {
        Object* o = self.asObject();
        Value uri = own(o, "uri");
        std::string local = m.toString(own(o, "localName"));
        if (uri.isNull()) return Value::string("*::" + local);
        std::string u = m.toString(uri);
        return Value::string(u.empty() ? local : u + "::" + local);
    });
    // new Namespace(uri), new Namespace(prefix, uri)
    b.namespaceClass->construct = [isA](Machine& m, std::span<const Value> args) {
        if (args.empty()) return newNamespace(m, Value::string(""), "");
        const Value& last = args.size() >= 2 ? args[1] : args[0];
        std::string uri = isA(m, last, m.builtins().namespaceClass) ? m.toString(own(last.asObject(), "uri"))
                          : isA(m, last, m.builtins().qname)        ? m.toString(own(last.asObject(), "uri"))
                                                                    : m.toString(last);
        if (args.size() < 2) {
            if (isA(m, last, m.builtins().namespaceClass)) return newNamespace(m, own(last.asObject(), "prefix"), uri);
            return newNamespace(m, uri.empty() ? Value::string("") : Value(), uri);
        }
        std::string prefix = args[0].isUndefined() ? std::string() : m.toString(args[0]);
        if (uri.empty() && !prefix.empty())
            m.throwError("TypeError", 1098, "Illegal prefix " + prefix + " for no namespace.");
        if (!prefix.empty() && !isXmlNcName(prefix)) return newNamespace(m, Value(), uri);
        return newNamespace(m, Value::string(prefix), uri);
    };
    b.namespaceClass->call = [](Machine& m, const Value&, std::span<const Value> args) {
        if (args.size() == 1 && args[0].asObject() && args[0].asObject()->classObject() == m.builtins().namespaceClass)
            return args[0];
        return m.construct(Value::object(m.builtins().namespaceClass), args);
    };
    m.defineMethod(b.namespaceClass->prototype, "valueOf", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(m.toString(own(self.asObject(), "uri")));
    });
}

}  // namespace swf::avm2
