// XMLNode and XML. Node properties are getters and setters on XMLNode.prototype over the
// node's own state; XML's (status, loaded, ignoreWhite, ...) are added to XML.prototype by
// the first XML constructed, as the player does, and are looked up along the prototype chain,
// so that the common `XML.prototype.ignoreWhite = true` reaches every document. load and
// sendAndLoad read local files beside the movie only; send is refused.

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/LoadRequests.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
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
    explicit XmlState(script::Heap& heap) : nodeClass(heap), xmlPrototype(heap) {}
    Rooted<Function> nodeClass;
    Rooted<XmlNodeObject> xmlPrototype;
    bool xmlPropertiesAdded = false;
};

XmlState& xmlState(Machine& m) {
    return m.realmState<XmlState>();
}

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

// A member of nodes only; on anything else it answers undefined.
template <Value (*get)(Machine&, XmlNodeObject&)>
Value onNode(Machine& m, Object* self, std::span<const Value>) {
    XmlNodeObject* node = asNode(self);
    return node ? get(m, *node) : Value();
}

Value nodeAttributes(Machine&, XmlNodeObject& n) {
    return Value(n.attributes());
}
Value nodeChildNodes(Machine& m, XmlNodeObject& n) {
    return Value(static_cast<Object*>(n.childNodes(m)));
}
Value nodeFirstChild(Machine&, XmlNodeObject& n) {
    return nodeOrNull(n.children().empty() ? nullptr : n.children().front());
}
Value nodeLastChild(Machine&, XmlNodeObject& n) {
    return nodeOrNull(n.children().empty() ? nullptr : n.children().back());
}
Value nodeNextSibling(Machine&, XmlNodeObject& n) {
    return nodeOrNull(n.nextSibling());
}
Value nodePreviousSibling(Machine&, XmlNodeObject& n) {
    return nodeOrNull(n.previousSibling());
}
Value nodeParent(Machine&, XmlNodeObject& n) {
    return nodeOrNull(n.parent());
}
Value nodeType(Machine&, XmlNodeObject& n) {
    return Value(n.nodeType());
}
Value nodePrefix(Machine&, XmlNodeObject& n) {
    return textOrNull(n.prefix());
}
Value nodeLocalName(Machine&, XmlNodeObject& n) {
    return textOrNull(n.localName());
}
Value nodeNamespaceUri(Machine&, XmlNodeObject& n) {
    return textOrNull(n.namespaceUri());
}
Value nodeName(Machine&, XmlNodeObject& n) {
    return textOrNull(n.nodeName());
}
Value nodeValue(Machine&, XmlNodeObject& n) {
    return textOrNull(n.nodeValue());
}
Value nodeHasChildNodes(Machine&, XmlNodeObject& n) {
    return Value(!n.children().empty());
}

Value setNodeName(Machine& m, Object* self, std::span<const Value> args) {
    if (XmlNodeObject* node = asNode(self)) node->setNodeName(textOf(m, arg(args, 0)));
    return Value();
}

Value setNodeValue(Machine& m, Object* self, std::span<const Value> args) {
    if (XmlNodeObject* node = asNode(self)) node->setNodeValue(textOf(m, arg(args, 0)));
    return Value();
}

Value appendChild(Machine& m, Object* self, std::span<const Value> args) {
    if (XmlNodeObject* node = asNode(self)) node->appendChild(m, asNode(arg(args, 0)));
    return Value();
}

Value insertBefore(Machine& m, Object* self, std::span<const Value> args) {
    if (XmlNodeObject* node = asNode(self))
        node->insertBefore(m, asNode(arg(args, 0)), asNode(arg(args, 1)));
    return Value();
}

Value removeNode(Machine& m, Object* self, std::span<const Value>) {
    if (XmlNodeObject* node = asNode(self)) node->removeFromParent(m);
    return Value();
}

Value cloneNode(Machine& m, Object* self, std::span<const Value> args) {
    XmlNodeObject* node = asNode(self);
    if (!node) return Value();
    bool deep = m.toBoolean(arg(args, 0));
    return Value(node->clone(m, deep, nodePrototype(m, xmlState(m))));
}

Value nodeToString(Machine& m, Object* self, std::span<const Value>) {
    XmlNodeObject* node = asNode(self);
    return node ? Value(node->toXmlString(m)) : Value("");
}

Value getNamespaceForPrefix(Machine& m, Object* self, std::span<const Value> args) {
    XmlNodeObject* node = asNode(self);
    if (!node || args.empty()) return Value(Null{});
    return textOrNull(node->namespaceForPrefix(m, m.toString(args[0])));
}

Value getPrefixForNamespace(Machine& m, Object* self, std::span<const Value> args) {
    XmlNodeObject* node = asNode(self);
    if (!node || args.empty()) return Value(Null{});
    return textOrNull(node->prefixForNamespace(m, m.toString(args[0])));
}

Value nodeConstruct(Machine& m, Object* self, std::span<const Value> args) {
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
}

Object* makeElement(Machine& m, Object* prototype) {
    return m.heap().make<XmlNodeObject>(prototype, XmlNodeObject::kElement);
}

// Enumerable, as the player's own script made them, in the order it made them.
constexpr uint16_t kNodeMethodFlags = kDontDelete;
constexpr NativeMember nodeMethod(std::string_view name, NativeCode code) {
    return native::method(name, code, kNodeMethodFlags);
}
constexpr NativeMember nodeAccessor(std::string_view name, NativeCode getter, NativeCode setter) {
    return native::accessor(name, getter, setter, 0);
}

constexpr NativeMember kNodeMembers[] = {
    nodeMethod("cloneNode", cloneNode),
    nodeMethod("removeNode", removeNode),
    nodeMethod("insertBefore", insertBefore),
    nodeMethod("appendChild", appendChild),
    nodeMethod("hasChildNodes", onNode<nodeHasChildNodes>),
    nodeMethod("toString", nodeToString),
    nodeMethod("getNamespaceForPrefix", getNamespaceForPrefix),
    nodeMethod("getPrefixForNamespace", getPrefixForNamespace),
    nodeAccessor("attributes", onNode<nodeAttributes>, nullptr),
    nodeAccessor("childNodes", onNode<nodeChildNodes>, nullptr),
    nodeAccessor("firstChild", onNode<nodeFirstChild>, nullptr),
    nodeAccessor("lastChild", onNode<nodeLastChild>, nullptr),
    nodeAccessor("nextSibling", onNode<nodeNextSibling>, nullptr),
    nodeAccessor("nodeName", onNode<nodeName>, setNodeName),
    nodeAccessor("nodeType", onNode<nodeType>, nullptr),
    nodeAccessor("nodeValue", onNode<nodeValue>, setNodeValue),
    nodeAccessor("parentNode", onNode<nodeParent>, nullptr),
    nodeAccessor("previousSibling", onNode<nodePreviousSibling>, nullptr),
    nodeAccessor("prefix", onNode<nodePrefix>, nullptr),
    nodeAccessor("localName", onNode<nodeLocalName>, nullptr),
    nodeAccessor("namespaceURI", onNode<nodeNamespaceUri>, nullptr),
};

// The document properties, read up the prototype chain; the prototype itself answers with
// the defaults.
Value fieldDefault(Field field) {
    switch (field) {
        case Field::ContentType:
            return Value("application/x-www-form-urlencoded");
        case Field::IgnoreWhite:
            return Value(false);
        default:
            return Value();
    }
}

template <Field field>
Value documentField(Machine&, Object* self, std::span<const Value>) {
    Object* o = self;
    for (int depth = 0; o && depth < Machine::kMaxPrototypeChain; ++depth, o = o->proto())
        if (XmlNodeObject* node = asNode(o))
            if (const Value* value = node->field(field)) return *value;
    return fieldDefault(field);
}

Value asText(Machine& m, const Value& v) {
    return Value(m.toString(v));
}
Value asFlag(Machine& m, const Value& v) {
    return Value(m.toBoolean(v));
}
Value asInteger(Machine& m, const Value& v) {
    return Value(m.toInt32(v));
}

template <Field field, Value (*convert)(Machine&, const Value&)>
Value setDocumentField(Machine& m, Object* self, std::span<const Value> args) {
    if (XmlNodeObject* node = asNode(self)) node->setField(field, convert(m, arg(args, 0)));
    return Value();
}

template <Field field, Value (*convert)(Machine&, const Value&)>
constexpr NativeMember documentProperty(std::string_view name) {
    return nodeAccessor(name, documentField<field>, setDocumentField<field, convert>);
}

constexpr NativeMember kDocumentProperties[] = {
    documentProperty<Field::ContentType, asText>("contentType"),
    documentProperty<Field::DocTypeDecl, asText>("docTypeDecl"),
    documentProperty<Field::IgnoreWhite, asFlag>("ignoreWhite"),
    documentProperty<Field::Loaded, asFlag>("loaded"),
    documentProperty<Field::Status, asInteger>("status"),
    documentProperty<Field::XmlDecl, asText>("xmlDecl"),
};

// Added by the first document made, as the player does.
void addXmlProperties(Machine& m, XmlState& state) {
    if (state.xmlPropertiesAdded) return;
    state.xmlPropertiesAdded = true;
    for (const NativeMember& property : kDocumentProperties) {
        // A value the movie stored before the first document stays as it is.
        if (state.xmlPrototype->findOwn(property.name)) continue;
        installMembers(m, state.xmlPrototype, {&property, 1});
    }
}

// loaded is the document's own field; the byte counts are kept where scripts cannot delete them.
void setLoadField(Machine& m, Object* target, std::string_view name, const Value& value) {
    if (name == "loaded")
        m.set(Value(target), name, value);
    else
        target->defineOwn(name, Property{value, nullptr, nullptr, kDontEnum | kDontDelete});
}

Value createElement(Machine& m, Object*, std::span<const Value> args) {
    XmlNodeObject* node = makeNode(m, xmlState(m), XmlNodeObject::kElement);
    node->setNodeName(textOf(m, arg(args, 0)));
    node->settleNamespace(m);
    return Value(static_cast<Object*>(node));
}

Value createTextNode(Machine& m, Object*, std::span<const Value> args) {
    XmlNodeObject* node = makeNode(m, xmlState(m), XmlNodeObject::kText);
    node->setNodeValue(textOf(m, arg(args, 0)));
    return Value(static_cast<Object*>(node));
}

Value parseXml(Machine& m, Object* self, std::span<const Value> args) {
    if (XmlNodeObject* document = asNode(self))
        parseInto(m, xmlState(m), *document, m.toString(arg(args, 0)));
    return Value();
}

Value xmlBytesLoaded(Machine& m, Object* self, std::span<const Value>) {
    return m.get(Value(self), "_bytesLoaded");
}

Value xmlBytesTotal(Machine& m, Object* self, std::span<const Value>) {
    return m.get(Value(self), "_bytesTotal");
}

// Local files only, answered as the frame ends through onData.
Value xmlLoad(Machine& m, Object* self, std::span<const Value> args) {
    return Value(loadTextFor(m, self, arg(args, 0), setLoadField));
}

Value xmlSend(Machine& m, Object*, std::span<const Value> args) {
    m.trace("Kinetrope: not sending XML to '" + m.toString(arg(args, 0)) +
            "': nothing leaves the machine");
    return Value(false);
}

Value xmlSendAndLoad(Machine& m, Object*, std::span<const Value> args) {
    return Value(loadTextFor(m, arg(args, 1).asObject(), arg(args, 0), setLoadField));
}

Value xmlAddRequestHeader(Machine& m, Object* self, std::span<const Value> args) {
    return addRequestHeader(m, self, args, 0);
}

// What a finished load calls: parses the text and reports to onLoad.
Value xmlOnData(Machine& m, Object* self, std::span<const Value> args) {
    return finishTextLoad(m, self, arg(args, 0), "parseXML", [](Machine& m, Object* loaded) {
        m.set(Value(loaded), "loaded", Value(true));
    });
}

Value xmlConstruct(Machine& m, Object* self, std::span<const Value> args) {
    if (!m.constructing()) return Value();
    XmlState& state = xmlState(m);
    addXmlProperties(m, state);
    XmlNodeObject* document = asNode(self);
    if (!document) return Value();
    document->setField(Field::Status, Value(0));
    Value text = arg(args, 0);
    if (!text.isNullish()) parseInto(m, state, *document, m.toString(text));
    return Value();
}

constexpr NativeMember kXmlMethods[] = {
    nodeMethod("createElement", createElement),
    nodeMethod("createTextNode", createTextNode),
    nodeMethod("parseXML", parseXml),
    nodeMethod("load", xmlLoad),
    nodeMethod("send", xmlSend),
    nodeMethod("sendAndLoad", xmlSendAndLoad),
    nodeMethod("onLoad", native::nothing),
    nodeMethod("onData", xmlOnData),
    nodeMethod("getBytesLoaded", xmlBytesLoaded),
    nodeMethod("getBytesTotal", xmlBytesTotal),
    nodeMethod("addRequestHeader", xmlAddRequestHeader),
};

}  // namespace

void installXmlClasses(Machine& m) {
    XmlState& state = xmlState(m);
    Object* nodeProto = m.newObject();
    state.nodeClass = installClass(m, m.global(), nodeProto,
                                   {"XMLNode", nodeConstruct, makeElement, {}, {}, kNodeMembers});
    // XML.prototype is itself a (nameless) node, so that what a movie sets on it, such as
    // ignoreWhite, has somewhere to live and reaches every document.
    state.xmlPrototype = m.heap().make<XmlNodeObject>(nodeProto, XmlNodeObject::kElement);
    installClass(m, m.global(), state.xmlPrototype,
                 {"XML", xmlConstruct, makeElement, {}, {}, kXmlMethods});
}

}  // namespace swf::avm1
