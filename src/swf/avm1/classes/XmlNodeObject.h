#pragma once
// An XMLNode (and an XML document, which is a node without a name): its type, name and value,
// its place in a tree, an attributes object without prototype, and the childNodes array,
// which is made when first asked for and rewritten whenever the children change. The tree
// never has cycles: a node cannot become a child of itself or of one of its descendants.
// XML documents also carry the values of the XML class's properties (status, xmlDecl, ...).

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "swf/avm1/machine/Object.h"

namespace swf::avm1 {

class ArrayObject;

class XmlNodeObject : public Object {
  public:
    static constexpr int32_t kElement = 1;
    static constexpr int32_t kText = 3;

    // What XML.prototype's properties read and write, per document.
    enum class Field { Status, Loaded, IgnoreWhite, ContentType, XmlDecl, DocTypeDecl, Count };
    static constexpr size_t kFieldCount = static_cast<size_t>(Field::Count);

    XmlNodeObject(Object* proto, int32_t type) : Object(proto), type_(type) {}

    // False for what `new XMLNode` made without both a type and a value: the player leaves
    // that a plain object, so the node properties and methods do nothing with it.
    bool isNode() const { return isNode_; }
    void setIsNode(bool isNode) { isNode_ = isNode; }

    int32_t nodeType() const { return type_; }
    void setNodeType(int32_t type) { type_ = type; }
    const std::optional<std::string>& nodeName() const { return name_; }
    void setNodeName(std::optional<std::string> name) { name_ = std::move(name); }
    const std::optional<std::string>& nodeValue() const { return value_; }
    void setNodeValue(std::optional<std::string> value) { value_ = std::move(value); }
    // Worked out when the node was made, from the declarations in force there.
    const std::optional<std::string>& namespaceUri() const { return namespaceUri_; }
    void setNamespaceUri(std::optional<std::string> uri) { namespaceUri_ = std::move(uri); }
    // "a:b": "a" and "b"; a name without a colon or ending with one has the prefix "".
    std::optional<std::string> prefix() const;
    std::optional<std::string> localName() const;
    // The prefix of a qualified name ("" without one).
    static std::string_view prefixOf(std::string_view name);
    // The prefix an attribute of this name declares a namespace for, if it is a declaration.
    static std::optional<std::string_view> declaredPrefix(std::string_view attributeName);
    // The namespace an element's name stands in, as it is fixed when the element is made:
    // its prefix's declaration, or "" without one. Null for nameless nodes and text.
    void settleNamespace(Machine& machine);

    XmlNodeObject* parent() const { return parent_; }
    const std::vector<XmlNodeObject*>& children() const { return children_; }
    XmlNodeObject* previousSibling() const;
    XmlNodeObject* nextSibling() const;

    // The attributes object, made on first use.
    Object* attributes();
    Object* existingAttributes() const { return attributes_; }
    // The childNodes array, made on first use; the same array from then on.
    ArrayObject* childNodes(Machine& machine);

    // False when refused: `child` is this node, one of its ancestors or already its child
    // (the player leaves the tree as it is then). A child with another parent moves.
    bool appendChild(Machine& machine, XmlNodeObject* child);
    // As appendChild; `before` must be a child of this node.
    bool insertBefore(Machine& machine, XmlNodeObject* child, XmlNodeObject* before);
    void removeFromParent(Machine& machine);
    void removeAllChildren(Machine& machine);
    // Appends while building a parsed tree: no checks, childNodes is not touched (call
    // refreshChildNodes once at the end).
    void adoptParsedChild(XmlNodeObject* child);
    void refreshChildNodes(Machine& machine);

    // The attributes' names (newest first, as for..in lists them) and values.
    std::vector<std::pair<std::string, Value>> attributeList(Machine& machine) const;

    // getNamespaceForPrefix / getPrefixForNamespace: the xmlns attributes of the node and its
    // ancestors, nearest first, each node's in enumeration order. "xmlns:p" declares prefix
    // "p"; "xmlns", "xmlns:" and any other name starting with "xmlns" the prefix "".
    std::optional<std::string> namespaceForPrefix(Machine& machine, std::string_view prefix);
    std::optional<std::string> prefixForNamespace(Machine& machine, std::string_view uri);

    // The markup toString gives: elements with their attributes and children (empty ones as
    // "<name />"), text escaped; a document's XML and DOCTYPE declarations first.
    std::string toXmlString(Machine& machine);
    // A copy of the node (with its subtree when `deep`) without parent; `proto` for every copy.
    XmlNodeObject* clone(Machine& machine, bool deep, Object* proto);

    // The XML properties' values; null when never set on this object (an undefined value
    // counts as never set).
    const Value* field(Field f) const;
    void setField(Field f, Value value);

    void trace(Marker& marker) const override;

  private:
    bool isSelfOrAncestorOf(const XmlNodeObject* node) const;
    void insertAt(Machine& machine, XmlNodeObject* child, size_t index);
    // Rewrites childNodes after the children from `from` on changed; `oldCount` children
    // were there before.
    void childrenChanged(Machine& machine, size_t from, size_t oldCount);

    int32_t type_;
    bool isNode_ = true;
    std::optional<std::string> name_;
    std::optional<std::string> value_;
    std::optional<std::string> namespaceUri_;
    XmlNodeObject* parent_ = nullptr;
    size_t indexInParent_ = 0;
    std::vector<XmlNodeObject*> children_;
    Object* attributes_ = nullptr;
    ArrayObject* childNodes_ = nullptr;
    std::unique_ptr<std::array<Value, kFieldCount>> fields_;
};

}  // namespace swf::avm1
