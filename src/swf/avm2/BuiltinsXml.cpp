// XML: the class, its settings and the methods of single nodes.
#include "swf/avm2/BuiltinsXml.h"

#include "swf/avm2/LanguageClasses.h"
#include "swf/avm2/NativeSupport.h"
#include "swf/avm2/XmlPrinter.h"

namespace swf::avm2 {

namespace {

XmlObject& nodeSelf(Machine& m, const Value& self, const char* method) {
    Object* o = xmlSelf(m, self, method);
    if (XmlObject* x = o->asXml()) return *x;
    XmlListObject* list = o->asXmlList();
    if (list->items.size() != 1)
        m.throwError("TypeError", 1086, std::string("The ") + method + " method only works on lists containing one item.");
    return *list->items[0];
}

// The one node XML(value) stands for: markup parsed, an XML value as it is (or copied).
Value toXml(Machine& m, const XmlSettings& settings, const Value& v, bool copy) {
    if (Object* o = v.asObject()) {
        if (XmlObject* x = o->asXml()) return Value::object(copy ? copyXml(m, *x, &settings) : x);
        if (XmlListObject* list = o->asXmlList()) {
            if (list->items.size() != 1)
                m.throwError("TypeError", 1088, "The markup in the document following the root element must be well-formed.");
            return Value::object(copy ? copyXml(m, *list->items[0], &settings) : list->items[0]);
        }
    }
    std::vector<XmlObject*> nodes = xmlNodesFromValue(m, settings, v);
    if (nodes.size() > 1)
        m.throwError("TypeError", 1088, "The markup in the document following the root element must be well-formed.");
    if (nodes.empty()) return Value::object(newXmlNode(m, XmlObject::Kind::Text));
    return Value::object(nodes[0]);
}

// The index of `ref` among the children of `x`, -1 when it is none of them.
int childPosition(Machine& m, XmlObject& x, const Value& ref) {
    Object* o = ref.asObject();
    XmlObject* node = o ? o->asXml() : nullptr;
    if (!node && o && o->asXmlList() && o->asXmlList()->items.size() == 1) node = o->asXmlList()->items[0];
    (void)m;
    for (size_t i = 0; i < x.children.size(); ++i)
        if (x.children[i] == node) return static_cast<int>(i);
    return -1;
}

// A name for setName and setLocalName: a QName's, or a string that must be an XML name.
XmlName validName(Machine& m, const Value& v) {
    XmlName name = xmlNameFromValue(m, v, false);
    bool qname = v.asObject() && v.asObject()->classObject() == m.builtins().qname;
    std::string written = qname ? name.local : m.toString(v);
    if (!isXmlNcName(written)) m.throwError("TypeError", 1117, "Invalid XML name: " + written + ".");
    return name;
}

// Movies of SWF 10 and later insert strings as text rather than reading them as markup.
constexpr int kTextInsertVersion = 10;

void insertNodes(Machine& m, const XmlSettings& settings, XmlObject& x, size_t at, const Value& v) {
    if (x.kind != XmlObject::Kind::Element) return;
    if (!isXmlValue(v) && m.swfVersion() >= kTextInsertVersion) {
        for (XmlObject* n : xmlNodesOf(m, v)) xmlInsertChild(m, x, at, n);
        return;
    }
    // A string that is no markup (or blank, with whitespace ignored) goes in as text.
    std::vector<XmlObject*> nodes;
    try {
        nodes = xmlNodesFromValue(m, settings, v);
    } catch (const ScriptThrow&) {
        if (!v.isString()) throw;
        nodes = xmlNodesOf(m, v);
    }
    if (nodes.empty() && v.isString() && !v.asString().empty() && trimXmlSpace(v.asString()).empty())
        nodes = xmlNodesOf(m, v);
    for (size_t i = 0; i < nodes.size(); ++i) xmlInsertChild(m, x, at + i, nodes[i]);
}

void defineSetting(Machine& m, ClassObject* cls, const std::string& name, NativeFunction get, NativeFunction set) {
    Binding b;
    b.kind = Binding::Kind::Accessor;
    b.getter = m.newNative(std::move(get));
    b.setter = m.newNative(std::move(set), 1);
    cls->classTraits->bind(m.namespaces().publicNs(), name, b);
}

void defineSettings(Machine& m, ClassObject* cls, const XmlSettingsRef& s) {
    struct Flag {
        const char* name;
        bool XmlSettings::*field;
    };
    for (Flag f : {Flag{"ignoreComments", &XmlSettings::ignoreComments},
                   Flag{"ignoreProcessingInstructions", &XmlSettings::ignoreProcessingInstructions},
                   Flag{"ignoreWhitespace", &XmlSettings::ignoreWhitespace},
                   Flag{"prettyPrinting", &XmlSettings::prettyPrinting}}) {
        auto field = f.field;
        defineSetting(m, cls, f.name, [s, field](Machine&, const Value&, std::span<const Value>) { return Value::boolean((*s).*field); },
                      [s, field](Machine&, const Value&, std::span<const Value> args) {
                          (*s).*field = Machine::toBoolean(argAt(args, 0));
                          return Value();
                      });
    }
    defineSetting(m, cls, "prettyIndent", [s](Machine&, const Value&, std::span<const Value>) { return Value::number(s->prettyIndent); },
                  [s](Machine& m, const Value&, std::span<const Value> args) {
                      s->prettyIndent = m.toInt(argAt(args, 0));
                      return Value();
                  });
    auto asObject = [](Machine& m, const XmlSettings& settings) {
        Object* o = m.newObject();
        o->setOwn("ignoreComments", Value::boolean(settings.ignoreComments));
        o->setOwn("ignoreProcessingInstructions", Value::boolean(settings.ignoreProcessingInstructions));
        o->setOwn("ignoreWhitespace", Value::boolean(settings.ignoreWhitespace));
        o->setOwn("prettyIndent", Value::number(settings.prettyIndent));
        o->setOwn("prettyPrinting", Value::boolean(settings.prettyPrinting));
        return Value::object(o);
    };
    m.defineMethod(cls, "settings", [s, asObject](Machine& m, const Value&, std::span<const Value>) { return asObject(m, *s); });
    m.defineMethod(cls, "defaultSettings", [asObject](Machine& m, const Value&, std::span<const Value>) {
        return asObject(m, XmlSettings{});
    });
    m.defineMethod(cls, "setSettings", [s](Machine& m, const Value&, std::span<const Value> args) {
        Object* o = argAt(args, 0).asObject();
        if (!o) {
            *s = XmlSettings{};
            return Value();
        }
        auto flag = [&](const char* name, bool& field) {
            if (Value* v = o->findOwn(name); v && v->isBoolean()) field = v->asBoolean();
        };
        flag("ignoreComments", s->ignoreComments);
        flag("ignoreProcessingInstructions", s->ignoreProcessingInstructions);
        flag("ignoreWhitespace", s->ignoreWhitespace);
        flag("prettyPrinting", s->prettyPrinting);
        if (Value* v = o->findOwn("prettyIndent"); v && v->isNumber()) s->prettyIndent = m.toInt(*v);
        return Value();
    });
}

void defineNodeMethods(Machine& m, ClassObject* cls, const XmlSettingsRef& settings) {
    defineXmlMethod(m, cls, "appendChild", [settings](Machine& m, const Value& self, std::span<const Value> args) {
        XmlObject& x = nodeSelf(m, self, "appendChild");
        Value child = argAt(args, 0);
        // As E4X puts a value after the last child: text after text, an element named like
        // a last element.
        if (!isXmlValue(child) && m.swfVersion() >= kTextInsertVersion && !x.children.empty() &&
            x.children.back()->kind == XmlObject::Kind::Element) {
            XmlObject* element = newXmlNode(m, XmlObject::Kind::Element);
            element->local = x.children.back()->local;
            element->uri = x.children.back()->uri;
            element->prefix = x.children.back()->prefix;
            insertNodes(m, *settings, *element, 0, child);
            child = Value::object(element);
        }
        insertNodes(m, *settings, x, x.children.size(), child);
        return Value::object(&x);
    }, 1);
    defineXmlMethod(m, cls, "prependChild", [settings](Machine& m, const Value& self, std::span<const Value> args) {
        XmlObject& x = nodeSelf(m, self, "prependChild");
        insertNodes(m, *settings, x, 0, argAt(args, 0));
        return Value::object(&x);
    }, 1);
    for (bool after : {true, false}) {
        const char* name = after ? "insertChildAfter" : "insertChildBefore";
        defineXmlMethod(m, cls, name, [settings, after, name](Machine& m, const Value& self, std::span<const Value> args) {
            XmlObject& x = nodeSelf(m, self, name);
            if (x.kind != XmlObject::Kind::Element) return Value();
            Value ref = argAt(args, 0);
            size_t at = after ? 0 : x.children.size();
            if (!ref.isNullish()) {
                int position = childPosition(m, x, ref);
                if (position < 0) return Value();
                at = static_cast<size_t>(position) + (after ? 1 : 0);
            }
            insertNodes(m, *settings, x, at, argAt(args, 1));
            return Value::object(&x);
        }, 2);
    }
    defineXmlMethod(m, cls, "childIndex", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(nodeSelf(m, self, "childIndex").childIndex());
    });
    defineXmlMethod(m, cls, "localName", [](Machine& m, const Value& self, std::span<const Value>) {
        XmlObject& x = nodeSelf(m, self, "localName");
        if (x.kind == XmlObject::Kind::Text || x.kind == XmlObject::Kind::Comment) return Value::null();
        return Value::string(x.local);
    });
    defineXmlMethod(m, cls, "name", [](Machine& m, const Value& self, std::span<const Value>) {
        XmlObject& x = nodeSelf(m, self, "name");
        if (x.kind == XmlObject::Kind::Text || x.kind == XmlObject::Kind::Comment) return Value::null();
        return newQName(m, Value::string(x.uri), x.local);
    });
    defineXmlMethod(m, cls, "namespace", [](Machine& m, const Value& self, std::span<const Value> args) {
        XmlObject& x = nodeSelf(m, self, "namespace");
        if (!args.empty()) {
            std::string prefix = m.toString(args[0]);
            const std::string* uri = x.resolvePrefix(prefix);
            return uri ? newNamespace(m, Value::string(prefix), *uri) : Value();
        }
        if (x.kind != XmlObject::Kind::Element && x.kind != XmlObject::Kind::Attribute) return Value::null();
        return newNamespace(m, Value::string(x.prefix), x.uri);
    });
    defineXmlMethod(m, cls, "namespaceDeclarations", [](Machine& m, const Value& self, std::span<const Value>) {
        std::vector<Value> out;
        for (const XmlNamespace& ns : nodeSelf(m, self, "namespaceDeclarations").declarations)
            out.push_back(newNamespace(m, Value::string(ns.prefix), ns.uri));
        return Value::object(m.newArray(std::move(out)));
    });
    defineXmlMethod(m, cls, "inScopeNamespaces", [](Machine& m, const Value& self, std::span<const Value>) {
        std::vector<Value> out;
        std::vector<std::string> seen;
        for (XmlObject* p = &nodeSelf(m, self, "inScopeNamespaces"); p; p = p->parent)
            for (const XmlNamespace& ns : p->declarations)
                if (std::find(seen.begin(), seen.end(), ns.prefix) == seen.end()) {
                    seen.push_back(ns.prefix);
                    out.push_back(newNamespace(m, Value::string(ns.prefix), ns.uri));
                }
        if (out.empty()) out.push_back(newNamespace(m, Value::string(""), ""));
        return Value::object(m.newArray(std::move(out)));
    });
    defineXmlMethod(m, cls, "addNamespace", [](Machine& m, const Value& self, std::span<const Value> args) {
        XmlObject& x = nodeSelf(m, self, "addNamespace");
        Object* ns = argAt(args, 0).asObject();
        Value* prefix = ns ? ns->findOwn("prefix") : nullptr;
        Value* uri = ns ? ns->findOwn("uri") : nullptr;
        if (x.kind == XmlObject::Kind::Element && uri && prefix && !prefix->isUndefined()) {
            XmlNamespace declared{m.toString(*prefix), m.toString(*uri)};
            std::erase_if(x.declarations, [&](const XmlNamespace& d) { return d.prefix == declared.prefix; });
            x.declarations.push_back(declared);
        }
        return Value::object(&x);
    }, 1);
    defineXmlMethod(m, cls, "removeNamespace", [](Machine& m, const Value& self, std::span<const Value> args) {
        XmlObject& x = nodeSelf(m, self, "removeNamespace");
        Object* ns = argAt(args, 0).asObject();
        Value* uri = ns ? ns->findOwn("uri") : nullptr;
        std::string removed = uri ? m.toString(*uri) : m.toString(argAt(args, 0));
        // A namespace the element's own name uses stays declared.
        std::erase_if(x.declarations, [&](const XmlNamespace& d) { return d.uri == removed && d.uri != x.uri; });
        return Value::object(&x);
    }, 1);
    defineXmlMethod(m, cls, "nodeKind", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(nodeSelf(m, self, "nodeKind").kindName());
    });
    defineXmlMethod(m, cls, "replace", [settings](Machine& m, const Value& self, std::span<const Value> args) {
        XmlObject& x = nodeSelf(m, self, "replace");
        if (x.kind != XmlObject::Kind::Element) return Value::object(&x);
        Value which = argAt(args, 0);
        double index = m.toNumber(which);
        int at = -1;
        if (which.isNumber() || (index >= 0 && numberToString(index) == m.toString(which))) {
            if (!isUintValue(index)) return Value::object(&x);
            at = static_cast<int>(std::min<double>(index, static_cast<double>(x.children.size())));
            if (static_cast<size_t>(at) < x.children.size()) xmlRemoveChild(*x.children[static_cast<size_t>(at)]);
        } else {
            XmlName name = xmlNameFromValue(m, which, false);
            for (size_t i = x.children.size(); i-- > 0;)
                if (name.matches(*x.children[i])) {
                    at = static_cast<int>(i);
                    xmlRemoveChild(*x.children[i]);
                }
            if (at < 0) return Value::object(&x);
        }
        insertNodes(m, *settings, x, static_cast<size_t>(at), argAt(args, 1));
        return Value::object(&x);
    }, 2);
    defineXmlMethod(m, cls, "setChildren", [settings](Machine& m, const Value& self, std::span<const Value> args) {
        XmlObject& x = nodeSelf(m, self, "setChildren");
        if (x.kind != XmlObject::Kind::Element) return Value::object(&x);
        std::vector<XmlObject*> nodes = xmlNodesFromValue(m, *settings, argAt(args, 0));
        while (!x.children.empty()) xmlRemoveChild(*x.children.back());
        for (XmlObject* n : nodes) xmlInsertChild(m, x, x.children.size(), n);
        return Value::object(&x);
    }, 1);
    defineXmlMethod(m, cls, "setLocalName", [](Machine& m, const Value& self, std::span<const Value> args) {
        XmlObject& x = nodeSelf(m, self, "setLocalName");
        XmlName name = validName(m, argAt(args, 0));
        if (x.kind == XmlObject::Kind::Element || x.kind == XmlObject::Kind::Attribute || x.kind == XmlObject::Kind::Instruction)
            x.local = name.local;
        return Value();
    }, 1);
    defineXmlMethod(m, cls, "setName", [](Machine& m, const Value& self, std::span<const Value> args) {
        XmlObject& x = nodeSelf(m, self, "setName");
        XmlName name = validName(m, argAt(args, 0));
        if (x.kind == XmlObject::Kind::Text || x.kind == XmlObject::Kind::Comment) return Value();
        x.local = name.local;
        if (!name.anyUri && !name.uris.empty() && x.kind != XmlObject::Kind::Instruction) x.uri = name.uris.front();
        return Value();
    }, 1);
    defineXmlMethod(m, cls, "setNamespace", [](Machine& m, const Value& self, std::span<const Value> args) {
        XmlObject& x = nodeSelf(m, self, "setNamespace");
        Object* ns = argAt(args, 0).asObject();
        Value* uri = ns ? ns->findOwn("uri") : nullptr;
        Value* prefix = ns ? ns->findOwn("prefix") : nullptr;
        if (x.kind != XmlObject::Kind::Element && x.kind != XmlObject::Kind::Attribute) return Value();
        x.uri = uri ? m.toString(*uri) : m.toString(argAt(args, 0));
        x.prefix = prefix && prefix->isString() ? prefix->asString() : std::string();
        return Value();
    }, 1);
}

}  // namespace

void installXmlClasses(Machine& m) {
    auto settings = std::make_shared<XmlSettings>();
    installXmlNameClasses(m);
    ClassObject* cls = m.defineClass("", "XML", m.builtins().object);
    cls->sealed = true;
    defineXmlCommonMethods(m, cls, settings);
    defineNodeMethods(m, cls, settings);
    defineSettings(m, cls, settings);
    cls->call = [settings](Machine& m, const Value&, std::span<const Value> args) {
        return toXml(m, *settings, argAt(args, 0), false);
    };
    cls->construct = [settings](Machine& m, std::span<const Value> args) {
        return toXml(m, *settings, argAt(args, 0), true);
    };
    cls->setOwn("length", Value::number(1));
    cls->setEnumerable("length", false);
    installXmlListClass(m, settings);
    m.defineGlobal("", "isXMLName", Value::object(m.newNative([](Machine& m, const Value&, std::span<const Value> args) {
        return Value::boolean(!args.empty() && isXmlNcName(m.toString(args[0])));
    }, 1)));
}

}  // namespace swf::avm2
