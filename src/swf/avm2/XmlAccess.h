#pragma once
// E4X's operations on XML and XMLList values as the machine reaches them: reading, writing,
// deleting and testing properties (children by name or index, attributes with @), the
// descendants operator, the filter check, comparison and concatenation. Trees may be deeper
// than the C++ stack allows, so every walk keeps its own stack.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "swf/avm2/Name.h"
#include "swf/avm2/XmlListObject.h"
#include "swf/avm2/XmlParser.h"

namespace swf::avm2 {

class Machine;

// What a property name selects: attributes or children, by local name and namespace URI.
struct XmlName {
    std::string local;
    bool anyLocal = false;
    bool attribute = false;
    bool anyUri = false;
    std::vector<std::string> uris;

    bool matches(const XmlObject& node) const;
    // The URI a new child or attribute of this name takes.
    std::string createUri() const { return anyUri || uris.empty() ? std::string() : uris.front(); }
};

bool isXmlValue(const Value& v);
XmlName xmlNameOf(Machine& m, const Name& name);
// A name given to a method (child("b"), attribute(qname)...): a string, a QName or "*".
XmlName xmlNameFromValue(Machine& m, const Value& v, bool attribute);

XmlListObject* newXmlList(Machine& m, Object* target = nullptr, const XmlName* targetName = nullptr);
// A copy of `node` and everything under it, without a parent; with `filter`, leaving out the
// comments and instructions its settings ignore.
XmlObject* copyXml(Machine& m, const XmlObject& node, const XmlSettings* filter = nullptr);
// The nodes a value stands for when added to a tree: XML as itself, a list's items, anything
// else as a text node of its string.
std::vector<XmlObject*> xmlNodesOf(Machine& m, const Value& v);

Value xmlGetProperty(Machine& m, Object* o, const Name& name);
void xmlSetProperty(Machine& m, Object* o, const Name& name, const Value& value);
bool xmlDeleteProperty(Machine& m, Object* o, const Name& name);
// The `in` test; hasOwnProperty leaves out what the prototypes hold.
bool xmlHasProperty(Machine& m, Object* o, const Name& name, bool withPrototypes = true);
// A call of a name that no method of XML or XMLList answers: a function on the prototype,
// the one item of a list, or the string of simple content.
Value xmlCallFallback(Machine& m, Object* o, const Name& name, std::span<const Value> args);
// The matching children (or attributes) of the node or of each item of the list.
XmlListObject* xmlChildren(Machine& m, Object* o, const XmlName& name);
XmlListObject* xmlDescendants(Machine& m, const Value& v, const XmlName& name);
Value xmlDescendantsOperator(Machine& m, const Value& v, const Name& name);
// checkfilter: only XML and XMLList may be filtered.
void xmlCheckFilter(Machine& m, const Value& v);
// `==` when either side is XML or an XMLList; nothing when neither is.
std::optional<bool> xmlLooseEquals(Machine& m, const Value& a, const Value& b);
// `+` of two XML values: a list of both.
XmlListObject* xmlConcat(Machine& m, const Value& a, const Value& b);
// Two nodes equal in kind, name, value, attributes and children.
bool xmlDeepEquals(const XmlObject& a, const XmlObject& b);
// Adds `child` to `parent` at `index` (the end when past it), refusing loops.
void xmlInsertChild(Machine& m, XmlObject& parent, size_t index, XmlObject* child);
void xmlRemoveChild(XmlObject& child);
// esc_xelem: XML as its markup, anything else as escaped text.
std::string escapeXmlElement(Machine& m, const Value& v);

}  // namespace swf::avm2
