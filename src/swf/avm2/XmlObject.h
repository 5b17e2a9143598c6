#pragma once
// An E4X XML value: one node of a tree (element, attribute, text, comment or processing
// instruction). Each node is an object of the heap, so a node's identity is its object and
// the collector keeps a tree alive through its parent and children.

#include <string>
#include <utility>
#include <vector>

#include "swf/avm2/Object.h"

namespace swf::avm2 {

// A namespace as XML declares it: a prefix ("" for the default one) bound to a URI.
struct XmlNamespace {
    std::string prefix;
    std::string uri;
    bool operator==(const XmlNamespace&) const = default;
};

class XmlObject : public Object {
  public:
    enum class Kind : uint8_t { Element, Attribute, Text, Comment, Instruction };

    XmlObject(ClassObject* xmlClass, Object* proto, Kind kind) : Object(xmlClass, proto), kind(kind) {}

    XmlObject* asXml() override { return this; }
    void trace(Marker& marker) const override;
    // A node enumerates as a list of itself.
    size_t indexedLength() const override { return 1; }
    Value indexedItem(size_t) const override { return Value::object(const_cast<XmlObject*>(this)); }

    // E4X's nodeKind().
    const char* kindName() const;
    bool isElement() const { return kind == Kind::Element; }
    // Elements with no element among their children (and texts and attributes).
    bool hasSimpleContent() const;
    // The position among its parent's children, or -1.
    int childIndex() const;
    // The URI `prefix` stands for here (searching the ancestors), or null when unbound.
    const std::string* resolvePrefix(const std::string& prefix) const;
    // The text of simple content: the values of the text children, in order.
    std::string textContent() const;

    Kind kind;
    std::string uri;     // elements and attributes
    std::string prefix;  // as written, for printing
    std::string local;   // elements, attributes and the target of an instruction
    std::string value;   // text, comment, instruction and attribute values
    bool cdata = false;
    XmlObject* parent = nullptr;
    std::vector<XmlObject*> attributes;
    std::vector<XmlObject*> children;
    std::vector<XmlNamespace> declarations;
};

}  // namespace swf::avm2
