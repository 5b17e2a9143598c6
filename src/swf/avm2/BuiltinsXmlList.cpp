// XMLList, and the methods it shares with XML.
#include "swf/avm2/BuiltinsXml.h"
#include "swf/avm2/NativeSupport.h"
#include "swf/avm2/XmlPrinter.h"

namespace swf::avm2 {

namespace {

// The nodes of `o`: an XML value is a list of itself.
std::vector<XmlObject*> nodesOf(Object* o) {
    if (XmlObject* x = o->asXml()) return {x};
    return o->asXmlList()->items;
}

XmlName anyName(bool attribute) {
    XmlName n;
    n.anyLocal = true;
    n.anyUri = true;
    n.attribute = attribute;
    return n;
}

// The children of each node that `keep` takes, as a list read from `o`.
template <class Keep>
Value selectChildren(Machine& m, Object* o, const XmlName& name, Keep keep) {
    XmlListObject* list = newXmlList(m, o, &name);
    for (XmlObject* node : nodesOf(o))
        for (XmlObject* c : node->children)
            if (keep(*c)) list->items.push_back(c);
    return Value::object(list);
}

void normalize(XmlObject& root) {
    std::vector<XmlObject*> pending{&root};
    while (!pending.empty()) {
        XmlObject* node = pending.back();
        pending.pop_back();
        std::vector<XmlObject*> kept;
        for (XmlObject* c : node->children) {
            if (c->kind == XmlObject::Kind::Text && !kept.empty() && kept.back()->kind == XmlObject::Kind::Text) {
                kept.back()->value += c->value;
                c->parent = nullptr;
                continue;
            }
            kept.push_back(c);
            if (c->kind == XmlObject::Kind::Element) pending.push_back(c);
        }
        std::erase_if(kept, [](XmlObject* c) {
            bool empty = c->kind == XmlObject::Kind::Text && !c->cdata && trimXmlSpace(c->value).empty();
            if (empty) c->parent = nullptr;
            return empty;
        });
        node->children = std::move(kept);
    }
}

}  // namespace

Object* xmlSelf(Machine& m, const Value& self, const char* method) {
    Object* o = self.asObject();
    if (o && (o->asXml() || o->asXmlList())) return o;
    m.throwError("TypeError", 1034, "Type Coercion failed: cannot convert " + m.describeForError(self) + " to XML (in " + method + ").");
}

std::vector<XmlObject*> xmlNodesFromValue(Machine& m, const XmlSettings& settings, const Value& v) {
    if (isXmlValue(v)) return xmlNodesOf(m, v);
    if (v.isNullish()) return {};
    std::vector<XmlNamespace> inScope;
    if (!m.defaultXmlNamespace().empty()) inScope.push_back({"", m.defaultXmlNamespace()});
    std::vector<XmlObject*> nodes = XmlParser(m, settings).parse(m.toString(v), inScope);
    for (XmlObject* n : nodes) n->parent = nullptr;
    return nodes;
}

void defineXmlMethod(Machine& m, ClassObject* cls, const std::string& name, NativeFunction function, uint32_t arity) {
    defineNativeMethod(m, cls, name, function, arity);
    m.defineMethod(cls->prototype, name, std::move(function), arity);
}

void defineXmlCommonMethods(Machine& m, ClassObject* cls, const XmlSettingsRef& settings) {
    defineXmlMethod(m, cls, "attribute", [](Machine& m, const Value& self, std::span<const Value> args) {
        return Value::object(xmlChildren(m, xmlSelf(m, self, "attribute"), xmlNameFromValue(m, argAt(args, 0), true)));
    }, 1);
    defineXmlMethod(m, cls, "attributes", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::object(xmlChildren(m, xmlSelf(m, self, "attributes"), anyName(true)));
    });
    defineXmlMethod(m, cls, "child", [](Machine& m, const Value& self, std::span<const Value> args) {
        Object* o = xmlSelf(m, self, "child");
        Value which = argAt(args, 0);
        std::string s = m.toString(which);
        double index = m.toNumber(which);
        if (!s.empty() && isUintValue(index) && numberToString(index) == s) {
            XmlListObject* list = newXmlList(m, o);
            for (XmlObject* node : nodesOf(o))
                if (static_cast<size_t>(index) < node->children.size()) list->items.push_back(node->children[static_cast<size_t>(index)]);
            return Value::object(list);
        }
        return Value::object(xmlChildren(m, o, xmlNameFromValue(m, which, false)));
    }, 1);
    defineXmlMethod(m, cls, "children", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::object(xmlChildren(m, xmlSelf(m, self, "children"), anyName(false)));
    });
    defineXmlMethod(m, cls, "comments", [](Machine& m, const Value& self, std::span<const Value>) {
        return selectChildren(m, xmlSelf(m, self, "comments"), anyName(false),
                              [](const XmlObject& c) { return c.kind == XmlObject::Kind::Comment; });
    });
    defineXmlMethod(m, cls, "processingInstructions", [](Machine& m, const Value& self, std::span<const Value> args) {
        XmlName name = args.empty() ? anyName(false) : xmlNameFromValue(m, args[0], false);
        return selectChildren(m, xmlSelf(m, self, "processingInstructions"), anyName(false), [&](const XmlObject& c) {
            return c.kind == XmlObject::Kind::Instruction && (name.anyLocal || c.local == name.local);
        });
    });
    defineXmlMethod(m, cls, "elements", [](Machine& m, const Value& self, std::span<const Value> args) {
        XmlName name = args.empty() ? anyName(false) : xmlNameFromValue(m, args[0], false);
        return selectChildren(m, xmlSelf(m, self, "elements"), name,
                              [&](const XmlObject& c) { return c.kind == XmlObject::Kind::Element && name.matches(c); });
    });
    defineXmlMethod(m, cls, "text", [](Machine& m, const Value& self, std::span<const Value>) {
        return selectChildren(m, xmlSelf(m, self, "text"), anyName(false),
                              [](const XmlObject& c) { return c.kind == XmlObject::Kind::Text; });
    });
    defineXmlMethod(m, cls, "descendants", [](Machine& m, const Value& self, std::span<const Value> args) {
        XmlName name = args.empty() ? anyName(false) : xmlNameFromValue(m, args[0], false);
        return Value::object(xmlDescendants(m, Value::object(xmlSelf(m, self, "descendants")), name));
    });
    defineXmlMethod(m, cls, "contains", [](Machine& m, const Value& self, std::span<const Value> args) {
        for (XmlObject* node : nodesOf(xmlSelf(m, self, "contains")))
            if (m.looseEquals(Value::object(node), argAt(args, 0))) return Value::boolean(true);
        return Value::boolean(false);
    }, 1);
    defineXmlMethod(m, cls, "copy", [](Machine& m, const Value& self, std::span<const Value>) {
        Object* o = xmlSelf(m, self, "copy");
        if (XmlObject* x = o->asXml()) return Value::object(copyXml(m, *x));
        XmlListObject* from = o->asXmlList();
        XmlListObject* list = newXmlList(m, from->target);
        list->targetHasName = from->targetHasName;
        list->targetLocal = from->targetLocal;
        list->targetUri = from->targetUri;
        list->targetAttribute = from->targetAttribute;
        for (XmlObject* item : from->items) list->items.push_back(copyXml(m, *item));
        return Value::object(list);
    });
    auto simple = [](Machine& m, const Value& self) {
        Object* o = xmlSelf(m, self, "hasSimpleContent");
        return o->asXml() ? o->asXml()->hasSimpleContent() : o->asXmlList()->hasSimpleContent();
    };
    defineXmlMethod(m, cls, "hasSimpleContent", [simple](Machine& m, const Value& self, std::span<const Value>) {
        return Value::boolean(simple(m, self));
    });
    defineXmlMethod(m, cls, "hasComplexContent", [](Machine& m, const Value& self, std::span<const Value>) {
        for (XmlObject* node : nodesOf(xmlSelf(m, self, "hasComplexContent"))) {
            if (node->kind != XmlObject::Kind::Element) continue;
            if (self.asObject()->asXmlList() && self.asObject()->asXmlList()->items.size() > 1) return Value::boolean(true);
            for (XmlObject* c : node->children)
                if (c->kind == XmlObject::Kind::Element) return Value::boolean(true);
        }
        return Value::boolean(false);
    });
    defineXmlMethod(m, cls, "length", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(static_cast<double>(nodesOf(xmlSelf(m, self, "length")).size()));
    });
    defineXmlMethod(m, cls, "normalize", [](Machine& m, const Value& self, std::span<const Value>) {
        Object* o = xmlSelf(m, self, "normalize");
        if (XmlObject* x = o->asXml()) {
            if (x->kind == XmlObject::Kind::Element) normalize(*x);
            return self;
        }
        // A list merges its own adjacent texts too, and drops its empty ones.
        std::vector<XmlObject*> kept;
        for (XmlObject* item : o->asXmlList()->items) {
            if (item->kind == XmlObject::Kind::Element) normalize(*item);
            if (item->kind == XmlObject::Kind::Text && !kept.empty() && kept.back()->kind == XmlObject::Kind::Text) {
                kept.back()->value += item->value;
                xmlRemoveChild(*item);
                continue;
            }
            kept.push_back(item);
        }
        std::erase_if(kept, [](XmlObject* item) {
            bool empty = item->kind == XmlObject::Kind::Text && item->value.empty();
            if (empty) xmlRemoveChild(*item);
            return empty;
        });
        o->asXmlList()->items = std::move(kept);
        return self;
    });
    defineXmlMethod(m, cls, "parent", [](Machine& m, const Value& self, std::span<const Value>) {
        std::vector<XmlObject*> nodes = nodesOf(xmlSelf(m, self, "parent"));
        if (nodes.empty()) return Value();
        XmlObject* parent = nodes[0]->parent;
        for (XmlObject* node : nodes)
            if (node->parent != parent) return Value();
        return parent ? Value::object(parent) : Value();
    });
    defineXmlMethod(m, cls, "hasOwnProperty", [](Machine& m, const Value& self, std::span<const Value> args) {
        Name name = Name::qualified(m.namespaces().publicNs(), m.toString(argAt(args, 0)));
        Object* o = self.asObject();
        // The prototypes answer as other objects do.
        if (o && !o->asXml() && !o->asXmlList()) return Value::boolean(o->findOwn(name.local) != nullptr);
        if (name.local.size() > 1 && name.local[0] == '@') {
            name.local.erase(0, 1);
            name.attribute = true;
        }
        return Value::boolean(xmlHasProperty(m, xmlSelf(m, self, "hasOwnProperty"), name, false));
    }, 1);
    defineXmlMethod(m, cls, "toString", [settings](Machine& m, const Value& self, std::span<const Value>) {
        Object* o = xmlSelf(m, self, "toString");
        return Value::string(o->asXml() ? xmlToString(*o->asXml(), *settings) : xmlListToString(*o->asXmlList(), *settings));
    });
    defineXmlMethod(m, cls, "toXMLString", [settings](Machine& m, const Value& self, std::span<const Value>) {
        Object* o = xmlSelf(m, self, "toXMLString");
        return Value::string(o->asXml() ? xmlToXmlString(*o->asXml(), *settings) : xmlListToXmlString(*o->asXmlList(), *settings));
    });
    defineXmlMethod(m, cls, "valueOf", [](Machine&, const Value& self, std::span<const Value>) { return self; });
    defineXmlMethod(m, cls, "toJSON", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(xmlSelf(m, self, "toJSON")->asXml() ? "XML" : "XMLList");
    }, 1);
}

void installXmlListClass(Machine& m, const XmlSettingsRef& settings) {
    ClassObject* cls = m.defineClass("", "XMLList", m.builtins().object);
    cls->sealed = true;
    defineXmlCommonMethods(m, cls, settings);
    // XMLList(value) gives a list as it is; new XMLList(value) copies one.
    auto make = [settings](Machine& m, const Value& v, bool copy) {
        XmlListObject* list = newXmlList(m);
        if (XmlListObject* from = v.asObject() ? v.asObject()->asXmlList() : nullptr; from && !copy) return Value::object(from);
        for (XmlObject* node : xmlNodesFromValue(m, *settings, v)) list->items.push_back(copy ? copyXml(m, *node) : node);
        return Value::object(list);
    };
    cls->call = [make](Machine& m, const Value&, std::span<const Value> args) { return make(m, argAt(args, 0), false); };
    cls->construct = [make](Machine& m, std::span<const Value> args) {
        return make(m, argAt(args, 0), isXmlValue(argAt(args, 0)));
    };
    cls->setOwn("length", Value::number(1));
    cls->setEnumerable("length", false);
}

}  // namespace swf::avm2
