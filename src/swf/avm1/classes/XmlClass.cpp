// XMLNode and XML. Node properties are getters and setters on XMLNode.prototype over the
// node's own state; XML's (status, loaded, ignoreWhite, ...) are added to XML.prototype by
// the first XML constructed, as the player does, and are looked up along the prototype chain,
// so that the common `XML.prototype.ignoreWhite = true` reaches every document. load and
// sendAndLoad read local files beside the movie only; send is refused.

#include <memory>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/LoadRequests.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/classes/XmlNodeObject.h"
#include "swf/avm1/classes/XmlParser.h"

namespace swf::avm1 {
namespace {

using Field = XmlNodeObject::Field;

XmlNodeObject* asNode(Object* object) {
    auto* node = dynamic_cast<XmlNodeObject*>(object);
    return node && node->isNode() ? node : nullptr;
}

XmlNodeObject* asNode(const Value& value) {
    return asNode(value.asObject());
}

Value nodeOrNull(XmlNodeObject* node) {
    return node ? Value(static_cast<Object*>(node)) : Value(Null{});
}

Value textOrNull(const std::optional<std::string>& text) {
    return text ? Value(*text) : Value(Null{});
}

// A name or value given by a script: null and undefined make a null one.
std::optional<std::string> textOf(Machine& m, const Value& value) {
    if (value.isNullish()) return std::nullopt;
    return m.toString(value);
}

// The natives hold these; a movie replacing the globals must not free them.
struct XmlState {
    explicit XmlState(Heap& heap) : nodeClass(heap), xmlPrototype(heap) {}
    Rooted<Function> nodeClass;
    Rooted<XmlNodeObject> xmlPrototype;
    bool xmlPropertiesAdded = false;
};

// New nodes get what XMLNode.prototype is now (a movie may have replaced it).
Object* nodePrototype(Machine& m, const XmlState& state) {
    return m.get(Value(static_cast<Object*>(state.nodeClass)), "prototype").asObject();
}

XmlNodeObject* makeNode(Machine& m, const XmlState& state, int32_t type) {
    return m.heap().make<XmlNodeObject>(nodePrototype(m, state), type);
}

// The namespace of a parsed element: the declarations of the parsed elements around it
// (walking only those that declare any), then those of the document and above.
class NamespaceResolver {
  public:
    explicit NamespaceResolver(const XmlParseResult& parsed)
        : parsed_(parsed), declaring_(parsed.nodes.size(), -1) {}

    void settle(Machine& m, size_t index, XmlNodeObject& node, XmlNodeObject& document) {
        const XmlParsedNode& parsed = parsed_.nodes[index];
        bool declares = false;
        for (const auto& attribute : parsed.attributes)
            declares = declares || XmlNodeObject::declaredPrefix(attribute.first).has_value();
        declaring_[index] = declares ? static_cast<int32_t>(index) : declaringAbove(parsed);
        std::string_view prefix = XmlNodeObject::prefixOf(parsed.text);
        for (int32_t at = declaring_[index]; at >= 0; at = declaringAbove(parsed_.nodes[at])) {
            for (const auto& [name, value] : parsed_.nodes[at].attributes) {
                auto declared = XmlNodeObject::declaredPrefix(name);
                if (declared && *declared == prefix) {
                    node.setNamespaceUri(value);
                    return;
                }
            }
        }
        node.setNamespaceUri(document.namespaceForPrefix(m, prefix).value_or(std::string()));
    }

  private:
    int32_t declaringAbove(const XmlParsedNode& node) const {
        return node.parent < 0 ? -1 : declaring_[node.parent];
    }

    const XmlParseResult& parsed_;
    std::vector<int32_t> declaring_;
};

// Replaces the document's children with those of `text`.
void parseInto(Machine& m, const XmlState& state, XmlNodeObject& document,
               const std::string& text) {
    bool ignoreWhite = m.toBoolean(m.get(Value(static_cast<Object*>(&document)), "ignoreWhite"));
    XmlParseResult parsed = XmlParser::parse(text, ignoreWhite, m.swfVersion());
    document.removeAllChildren(m);
    document.setField(Field::XmlDecl, parsed.xmlDecl ? Value(*parsed.xmlDecl) : Value());
    document.setField(Field::DocTypeDecl,
                      parsed.docTypeDecl ? Value(*parsed.docTypeDecl) : Value());
    document.setField(Field::Status, Value(parsed.status));
    Object* proto = nodePrototype(m, state);
    NamespaceResolver namespaces(parsed);
    std::vector<XmlNodeObject*> made;
    made.reserve(parsed.nodes.size());
    for (size_t i = 0; i < parsed.nodes.size(); ++i) {
        XmlParsedNode& p = parsed.nodes[i];
        auto* node = m.heap().make<XmlNodeObject>(
            proto, p.isElement ? XmlNodeObject::kElement : XmlNodeObject::kText);
        (p.parent < 0 ? document : *made[p.parent]).adoptParsedChild(node);
        made.push_back(node);
        if (!p.isElement) {
            node->setNodeValue(std::move(p.text));
            continue;
        }
        // Made last to first, so that for..in (newest first) lists them in source order.
        if (!p.attributes.empty()) {
            Object* attributes = node->attributes();
            for (auto it = p.attributes.rbegin(); it != p.attributes.rend(); ++it)
                attributes->setOwn(it->first, Value(it->second));
        }
        namespaces.settle(m, i, *node, document);
        node->setNodeName(std::move(p.text));
    }
    document.refreshChildNodes(m);
}

void defineNodeProperties(Machine& m, Object* proto) {
    using Getter = Value (*)(Machine&, XmlNodeObject&);
    auto getter = [](Getter get) {
        return [get](Machine& m, Object* self, std::span<const Value>) {
            XmlNodeObject* node = asNode(self);
            return node ? get(m, *node) : Value();
        };
    };
    m.defineAccessor(proto, "attributes",
                     getter([](Machine&, XmlNodeObject& n) { return Value(n.attributes()); }));
    m.defineAccessor(proto, "childNodes", getter([](Machine& m, XmlNodeObject& n) {
                         return Value(static_cast<Object*>(n.childNodes(m)));
                     }));
    m.defineAccessor(proto, "firstChild", getter([](Machine&, XmlNodeObject& n) {
                         return nodeOrNull(n.children().empty() ? nullptr : n.children().front());
                     }));
    m.defineAccessor(proto, "lastChild", getter([](Machine&, XmlNodeObject& n) {
                         return nodeOrNull(n.children().empty() ? nullptr : n.children().back());
                     }));
    m.defineAccessor(proto, "nextSibling", getter([](Machine&, XmlNodeObject& n) {
                         return nodeOrNull(n.nextSibling());
                     }));
    m.defineAccessor(proto, "previousSibling", getter([](Machine&, XmlNodeObject& n) {
                         return nodeOrNull(n.previousSibling());
                     }));
    m.defineAccessor(proto, "parentNode",
                     getter([](Machine&, XmlNodeObject& n) { return nodeOrNull(n.parent()); }));
    m.defineAccessor(proto, "nodeType",
                     getter([](Machine&, XmlNodeObject& n) { return Value(n.nodeType()); }));
    m.defineAccessor(proto, "prefix",
                     getter([](Machine&, XmlNodeObject& n) { return textOrNull(n.prefix()); }));
    m.defineAccessor(proto, "localName",
                     getter([](Machine&, XmlNodeObject& n) { return textOrNull(n.localName()); }));
    m.defineAccessor(proto, "namespaceURI", getter([](Machine&, XmlNodeObject& n) {
                         return textOrNull(n.namespaceUri());
                     }));
    m.defineAccessor(proto, "nodeName",
                     getter([](Machine&, XmlNodeObject& n) { return textOrNull(n.nodeName()); }),
                     [](Machine& m, Object* self, std::span<const Value> args) {
                         if (XmlNodeObject* node = asNode(self))
                             node->setNodeName(textOf(m, arg(args, 0)));
                         return Value();
                     });
    m.defineAccessor(proto, "nodeValue",
                     getter([](Machine&, XmlNodeObject& n) { return textOrNull(n.nodeValue()); }),
                     [](Machine& m, Object* self, std::span<const Value> args) {
                         if (XmlNodeObject* node = asNode(self))
                             node->setNodeValue(textOf(m, arg(args, 0)));
                         return Value();
                     });
}

void defineNodeMethods(Machine& m, Object* proto, std::shared_ptr<XmlState> state) {
    m.defineMethod(proto, "appendChild", [](Machine& m, Object* self, std::span<const Value> args) {
        if (XmlNodeObject* node = asNode(self)) node->appendChild(m, asNode(arg(args, 0)));
        return Value();
    });
    m.defineMethod(proto, "insertBefore",
                   [](Machine& m, Object* self, std::span<const Value> args) {
                       if (XmlNodeObject* node = asNode(self))
                           node->insertBefore(m, asNode(arg(args, 0)), asNode(arg(args, 1)));
                       return Value();
                   });
    m.defineMethod(proto, "removeNode", [](Machine& m, Object* self, std::span<const Value>) {
        if (XmlNodeObject* node = asNode(self)) node->removeFromParent(m);
        return Value();
    });
    m.defineMethod(proto, "cloneNode",
                   [state](Machine& m, Object* self, std::span<const Value> args) {
                       XmlNodeObject* node = asNode(self);
                       if (!node) return Value();
                       bool deep = m.toBoolean(arg(args, 0));
                       return Value(node->clone(m, deep, nodePrototype(m, *state)));
                   });
    m.defineMethod(proto, "hasChildNodes", [](Machine&, Object* self, std::span<const Value>) {
        XmlNodeObject* node = asNode(self);
        return node ? Value(!node->children().empty()) : Value();
    });
    m.defineMethod(proto, "toString", [](Machine& m, Object* self, std::span<const Value>) {
        XmlNodeObject* node = asNode(self);
        return node ? Value(node->toXmlString(m)) : Value("");
    });
    m.defineMethod(proto, "getNamespaceForPrefix",
                   [](Machine& m, Object* self, std::span<const Value> args) {
                       XmlNodeObject* node = asNode(self);
                       if (!node || args.empty()) return Value(Null{});
                       return textOrNull(node->namespaceForPrefix(m, m.toString(args[0])));
                   });
    m.defineMethod(proto, "getPrefixForNamespace",
                   [](Machine& m, Object* self, std::span<const Value> args) {
                       XmlNodeObject* node = asNode(self);
                       if (!node || args.empty()) return Value(Null{});
                       return textOrNull(node->prefixForNamespace(m, m.toString(args[0])));
                   });
}

// The document properties; the prototype itself answers with the defaults.
void addXmlProperties(Machine& m, XmlState& state) {
    if (state.xmlPropertiesAdded) return;
    state.xmlPropertiesAdded = true;
    using Convert = Value (*)(Machine&, const Value&);
    auto add = [&](const char* name, Field field, Value fallback, Convert convert) {
        Object* proto = state.xmlPrototype;
        // A value the movie stored before the first document stays as it is.
        if (proto->findOwn(name)) return;
        m.defineAccessor(
            proto, name,
            [field, fallback](Machine&, Object* self, std::span<const Value>) {
                Object* o = self;
                for (int depth = 0; o && depth < Machine::kMaxPrototypeChain;
                     ++depth, o = o->proto())
                    if (XmlNodeObject* node = asNode(o))
                        if (const Value* value = node->field(field)) return *value;
                return fallback;
            },
            [field, convert](Machine& m, Object* self, std::span<const Value> args) {
                if (XmlNodeObject* node = asNode(self))
                    node->setField(field, convert(m, arg(args, 0)));
                return Value();
            });
    };
    Convert toText = [](Machine& m, const Value& v) { return Value(m.toString(v)); };
    Convert toFlag = [](Machine& m, const Value& v) { return Value(m.toBoolean(v)); };
    add("docTypeDecl", Field::DocTypeDecl, Value(), toText);
    add("xmlDecl", Field::XmlDecl, Value(), toText);
    add("contentType", Field::ContentType, Value("application/x-www-form-urlencoded"), toText);
    add("ignoreWhite", Field::IgnoreWhite, Value(false), toFlag);
    add("status", Field::Status, Value(),
        [](Machine& m, const Value& v) { return Value(m.toInt32(v)); });
    add("loaded", Field::Loaded, Value(), toFlag);
}

// loaded is the document's own field; the byte counts are kept where scripts cannot delete them.
void setLoadField(Machine& m, Object* target, std::string_view name, const Value& value) {
    if (name == "loaded")
        m.set(Value(target), name, value);
    else
        target->defineOwn(name, Property{value, nullptr, nullptr, kDontEnum | kDontDelete});
}

void defineXmlMethods(Machine& m, Object* proto, std::shared_ptr<XmlState> state) {
    m.defineMethod(proto, "createElement",
                   [state](Machine& m, Object*, std::span<const Value> args) {
                       XmlNodeObject* node = makeNode(m, *state, XmlNodeObject::kElement);
                       node->setNodeName(textOf(m, arg(args, 0)));
                       node->settleNamespace(m);
                       return Value(static_cast<Object*>(node));
                   });
    m.defineMethod(proto, "createTextNode",
                   [state](Machine& m, Object*, std::span<const Value> args) {
                       XmlNodeObject* node = makeNode(m, *state, XmlNodeObject::kText);
                       node->setNodeValue(textOf(m, arg(args, 0)));
                       return Value(static_cast<Object*>(node));
                   });
    m.defineMethod(proto, "parseXML",
                   [state](Machine& m, Object* self, std::span<const Value> args) {
                       if (XmlNodeObject* document = asNode(self))
                           parseInto(m, *state, *document, m.toString(arg(args, 0)));
                       return Value();
                   });
    m.defineMethod(proto, "getBytesLoaded", [](Machine& m, Object* self, std::span<const Value>) {
        return m.get(Value(self), "_bytesLoaded");
    });
    m.defineMethod(proto, "getBytesTotal", [](Machine& m, Object* self, std::span<const Value>) {
        return m.get(Value(self), "_bytesTotal");
    });
    // Local files only, answered as the frame ends through onData.
    m.defineMethod(proto, "load", [](Machine& m, Object* self, std::span<const Value> args) {
        return Value(loadTextFor(m, self, arg(args, 0), setLoadField));
    });
    m.defineMethod(proto, "send", [](Machine& m, Object*, std::span<const Value> args) {
        m.trace("Kinetrope: not sending XML to '" + m.toString(arg(args, 0)) +
                "': nothing leaves the machine");
        return Value(false);
    });
    m.defineMethod(proto, "sendAndLoad", [](Machine& m, Object*, std::span<const Value> args) {
        return Value(loadTextFor(m, arg(args, 1).asObject(), arg(args, 0), setLoadField));
    });
    m.defineMethod(proto, "addRequestHeader",
                   [](Machine& m, Object* self, std::span<const Value> args) {
                       return addRequestHeader(m, self, args, 0);
                   });
    m.defineMethod(proto, "onLoad",
                   [](Machine&, Object*, std::span<const Value>) { return Value(); });
    // What a finished load calls: parses the text and reports to onLoad.
    m.defineMethod(proto, "onData", [](Machine& m, Object* self, std::span<const Value> args) {
        return finishTextLoad(m, self, arg(args, 0), "parseXML", [](Machine& m, Object* loaded) {
            m.set(Value(loaded), "loaded", Value(true));
        });
    });
}

}  // namespace

void installXmlClasses(Machine& m) {
    auto state = std::make_shared<XmlState>(m.heap());

    Object* nodeProto = m.newObject();
    state->nodeClass = m.defineClass(
        m.global(), "XMLNode", nodeProto,
        [](Machine& m, Object* self, std::span<const Value> args) {
            XmlNodeObject* node = m.constructing() ? asNode(self) : nullptr;
            if (!node) return Value();
            if (args.size() < 2) {
                node->setIsNode(false);
                return Value();
            }
            node->setNodeType(m.toInt32(arg(args, 0)));
            std::optional<std::string> text = textOf(m, arg(args, 1));
            if (node->nodeType() == XmlNodeObject::kElement)
                node->setNodeName(std::move(text));
            else
                node->setNodeValue(std::move(text));
            node->settleNamespace(m);
            return Value();
        },
        [](Machine& m, Object* prototype) -> Object* {
            return m.heap().make<XmlNodeObject>(prototype, XmlNodeObject::kElement);
        });
    defineNodeProperties(m, nodeProto);
    defineNodeMethods(m, nodeProto, state);

    // XML.prototype is itself a (nameless) node, so that what a movie sets on it, such as
    // ignoreWhite, has somewhere to live and reaches every document.
    state->xmlPrototype = m.heap().make<XmlNodeObject>(nodeProto, XmlNodeObject::kElement);
    m.defineClass(
        m.global(), "XML", state->xmlPrototype,
        [state](Machine& m, Object* self, std::span<const Value> args) {
            if (!m.constructing()) return Value();
            addXmlProperties(m, *state);
            XmlNodeObject* document = asNode(self);
            if (!document) return Value();
            document->setField(Field::Status, Value(0));
            Value text = arg(args, 0);
            if (!text.isNullish()) parseInto(m, *state, *document, m.toString(text));
            return Value();
        },
        [](Machine& m, Object* prototype) -> Object* {
            return m.heap().make<XmlNodeObject>(prototype, XmlNodeObject::kElement);
        });
    defineXmlMethods(m, state->xmlPrototype, state);
}

}  // namespace swf::avm1
