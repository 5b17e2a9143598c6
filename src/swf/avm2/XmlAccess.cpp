#include "swf/avm2/XmlAccess.h"

#include <algorithm>

#include "swf/avm2/Machine.h"
#include "swf/avm2/XmlParser.h"
#include "swf/avm2/XmlPrinter.h"

namespace swf::avm2 {

namespace {

XmlObject* xmlOf(const Value& v) {
    Object* o = v.asObject();
    return o ? o->asXml() : nullptr;
}

XmlListObject* listOf(const Value& v) {
    Object* o = v.asObject();
    return o ? o->asXmlList() : nullptr;
}

void collectMatches(const XmlObject& node, const XmlName& name, std::vector<XmlObject*>& out) {
    for (XmlObject* c : name.attribute ? node.attributes : node.children)
        if (name.matches(*c)) out.push_back(c);
}

// Makes the child (or attribute) an empty list names on its target, for assignment through it.
XmlObject* createTarget(Machine& m, XmlListObject& list) {
    XmlObject* parent = list.target ? list.target->asXml() : nullptr;
    if (!parent && list.target && list.target->asXmlList()) {
        XmlListObject* outer = list.target->asXmlList();
        if (outer->items.size() == 1) parent = outer->items[0];
        else if (outer->items.empty()) parent = createTarget(m, *outer);
    }
    if (!parent || !list.targetHasName || list.targetLocal == "*" || parent->kind != XmlObject::Kind::Element)
        return nullptr;
    XmlObject* node = newXmlNode(m, list.targetAttribute ? XmlObject::Kind::Attribute : XmlObject::Kind::Element);
    node->local = list.targetLocal;
    node->uri = list.targetUri;
    if (list.targetAttribute) {
        node->parent = parent;
        parent->attributes.push_back(node);
    } else {
        xmlInsertChild(m, *parent, parent->children.size(), node);
    }
    list.items.push_back(node);
    return node;
}

// Sets what `node` holds to `value`: an element's children become the value's text, a leaf
// takes the string.
void assignContent(Machine& m, XmlObject& node, const Value& value) {
    if (node.kind != XmlObject::Kind::Element) {
        node.value = m.toString(value);
        return;
    }
    for (XmlObject* c : node.children) c->parent = nullptr;
    node.children.clear();
    std::string text = m.toString(value);
    if (text.empty()) return;
    XmlObject* t = newXmlNode(m, XmlObject::Kind::Text);
    t->value = std::move(text);
    xmlInsertChild(m, node, 0, t);
}

// Replaces `old` in its parent by copies of the nodes of `value` (XML) or by its text.
void replaceNode(Machine& m, XmlObject& old, const Value& value, XmlObject** replacement) {
    XmlObject* parent = old.parent;
    bool markup = (xmlOf(value) && xmlOf(value)->kind != XmlObject::Kind::Attribute &&
                   xmlOf(value)->kind != XmlObject::Kind::Text) ||
                  listOf(value);
    if (!markup || !parent || old.kind == XmlObject::Kind::Attribute) {
        assignContent(m, old, value);
        *replacement = &old;
        return;
    }
    int at = old.childIndex();
    xmlRemoveChild(old);
    std::vector<XmlObject*> nodes = xmlNodesOf(m, value);
    for (size_t i = 0; i < nodes.size(); ++i) {
        XmlObject* copy = copyXml(m, *nodes[i]);
        xmlInsertChild(m, *parent, static_cast<size_t>(at) + i, copy);
        if (i == 0) *replacement = copy;
    }
}

// The first of `nodes` that `name` matches; the other matches leave.
XmlObject* keepFirstMatch(std::vector<XmlObject*>& nodes, const XmlName& name) {
    XmlObject* first = nullptr;
    std::erase_if(nodes, [&](XmlObject* n) {
        if (!name.matches(*n)) return false;
        if (!first) {
            first = n;
            return false;
        }
        n->parent = nullptr;
        return true;
    });
    return first;
}

void setOnNode(Machine& m, XmlObject& node, const XmlName& name, const Value& value) {
    if (node.kind != XmlObject::Kind::Element) return;
    if (name.attribute) {
        std::string text;
        if (XmlListObject* list = listOf(value)) {
            for (size_t i = 0; i < list->items.size(); ++i) text += (i ? " " : "") + m.toString(Value::object(list->items[i]));
        } else {
            text = m.toString(value);
        }
        if (name.anyLocal) return;
        XmlObject* first = keepFirstMatch(node.attributes, name);
        if (!first) {
            if (!isXmlNcName(name.local)) m.throwError("TypeError", 1117, "Invalid XML name: @" + name.local + ".");
            first = newXmlNode(m, XmlObject::Kind::Attribute);
            first->local = name.local;
            first->uri = name.createUri();
            first->parent = &node;
            node.attributes.push_back(first);
        }
        first->value = std::move(text);
        return;
    }
    // The first matching child stays and takes the value.
    XmlObject* keep = keepFirstMatch(node.children, name);
    if (!keep) {
        if (name.anyLocal) {
            for (XmlObject* n : xmlNodesOf(m, value)) xmlInsertChild(m, node, node.children.size(), copyXml(m, *n));
            return;
        }
        if (!isXmlNcName(name.local)) m.throwError("TypeError", 1117, "Invalid XML name: " + name.local + ".");
        keep = newXmlNode(m, XmlObject::Kind::Element);
        keep->local = name.local;
        keep->uri = name.createUri();
        xmlInsertChild(m, node, node.children.size(), keep);
    }
    XmlObject* ignored = nullptr;
    replaceNode(m, *keep, value, &ignored);
}

void removeMatches(XmlObject& node, const XmlName& name) {
    auto& from = name.attribute ? node.attributes : node.children;
    std::vector<XmlObject*> kept;
    for (XmlObject* c : from) {
        if (name.matches(*c)) c->parent = nullptr;
        else kept.push_back(c);
    }
    from = std::move(kept);
}

}  // namespace

bool XmlName::matches(const XmlObject& node) const {
    if (attribute != (node.kind == XmlObject::Kind::Attribute)) return false;
    if (node.kind != XmlObject::Kind::Element && node.kind != XmlObject::Kind::Attribute) return anyLocal;
    if (!anyLocal && node.local != local) return false;
    return anyUri || std::find(uris.begin(), uris.end(), node.uri) != uris.end();
}

bool isXmlValue(const Value& v) { return xmlOf(v) || listOf(v); }

XmlName xmlNameOf(Machine& m, const Name& name) {
    XmlName n;
    n.attribute = name.attribute;
    n.local = name.local;
    // A name given as a string ("@id") may ask for an attribute.
    if (!n.attribute && n.local.size() > 1 && n.local[0] == '@') {
        n.attribute = true;
        n.local.erase(0, 1);
    }
    n.anyLocal = name.anyName || name.local == "*";
    // "*" and "@*" read through the open namespaces take every namespace; "ns::*" only ns.
    if (name.anyNamespace() || (n.anyLocal && !name.single)) {
        n.anyUri = true;
        return n;
    }
    auto add = [&](const Ns* ns) {
        if ((ns->group == Ns::Group::Public || ns->group == Ns::Group::Explicit) &&
            std::find(n.uris.begin(), n.uris.end(), ns->uri) == n.uris.end())
            n.uris.push_back(ns->uri);
    };
    if (name.single) add(name.single);
    for (const Ns* ns : name.set) add(ns);
    // Unqualified element names are in the default XML namespace.
    if (!n.attribute && !m.defaultXmlNamespace().empty() && !name.single)
        std::replace(n.uris.begin(), n.uris.end(), std::string(), m.defaultXmlNamespace());
    return n;
}

XmlName xmlNameFromValue(Machine& m, const Value& v, bool attribute) {
    XmlName n;
    n.attribute = attribute;
    Object* o = v.asObject();
    if (o && o->classObject() == m.builtins().qname) {
        Value* uri = o->findOwn("uri");
        Value* local = o->findOwn("localName");
        n.local = local ? m.toString(*local) : std::string();
        n.anyLocal = n.local == "*";
        if (!uri || uri->isNull()) n.anyUri = true;
        else n.uris.push_back(m.toString(*uri));
        return n;
    }
    if (XmlObject* x = xmlOf(v); x && x->kind == XmlObject::Kind::Attribute) attribute = true;
    std::string s = m.toString(v);
    if (!attribute && s.size() > 1 && s[0] == '@') {
        n.attribute = true;
        s.erase(0, 1);
    }
    n.local = s;
    n.anyLocal = s == "*";
    n.uris.push_back("");
    return n;
}

XmlListObject* newXmlList(Machine& m, Object* target, const XmlName* targetName) {
    ClassObject* c = m.builtins().xmlList;
    auto* list = m.heap().make<XmlListObject>(c, c->prototype);
    list->setTraits(c->instanceTraits.get());
    list->setDynamic(false);
    list->target = target;
    if (targetName) {
        list->targetHasName = true;
        list->targetLocal = targetName->anyLocal ? "*" : targetName->local;
        list->targetUri = targetName->createUri();
        list->targetAttribute = targetName->attribute;
    }
    return list;
}

XmlObject* copyXml(Machine& m, const XmlObject& node, const XmlSettings* filter) {
    auto ignored = [filter](const XmlObject& c) {
        return filter && ((c.kind == XmlObject::Kind::Comment && filter->ignoreComments) ||
                          (c.kind == XmlObject::Kind::Instruction && filter->ignoreProcessingInstructions));
    };
    auto clone = [&m](const XmlObject& from) {
        XmlObject* to = newXmlNode(m, from.kind);
        to->uri = from.uri;
        to->prefix = from.prefix;
        to->local = from.local;
        to->value = from.value;
        to->cdata = from.cdata;
        to->declarations = from.declarations;
        for (const XmlObject* a : from.attributes) {
            XmlObject* copy = newXmlNode(m, a->kind);
            copy->uri = a->uri;
            copy->prefix = a->prefix;
            copy->local = a->local;
            copy->value = a->value;
            copy->parent = to;
            to->attributes.push_back(copy);
        }
        return to;
    };
    XmlObject* root = clone(node);
    std::vector<std::pair<const XmlObject*, XmlObject*>> pending{{&node, root}};
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        for (const XmlObject* c : from->children) {
            if (ignored(*c)) continue;
            XmlObject* copy = clone(*c);
            copy->parent = to;
            to->children.push_back(copy);
            pending.emplace_back(c, copy);
        }
    }
    return root;
}

std::vector<XmlObject*> xmlNodesOf(Machine& m, const Value& v) {
    if (XmlObject* x = xmlOf(v)) return {x};
    if (XmlListObject* list = listOf(v)) return list->items;
    XmlObject* t = newXmlNode(m, XmlObject::Kind::Text);
    t->value = m.toString(v);
    return {t};
}

void xmlInsertChild(Machine& m, XmlObject& parent, size_t index, XmlObject* child) {
    // A node may sit in more than one tree (E4X moves no node out of its old parent), so the
    // loop check searches the child's whole subtree rather than the parent's ancestors.
    std::vector<const XmlObject*> pending{child};
    while (!pending.empty()) {
        const XmlObject* node = pending.back();
        pending.pop_back();
        if (node == &parent) m.throwError("TypeError", 1118, "Illegal cyclical loop between nodes.");
        m.step();
        pending.insert(pending.end(), node->children.begin(), node->children.end());
    }
    if (child->kind == XmlObject::Kind::Attribute) {
        XmlObject* text = newXmlNode(m, XmlObject::Kind::Text);
        text->value = child->value;
        child = text;
    }
    index = std::min(index, parent.children.size());
    parent.children.insert(parent.children.begin() + static_cast<std::ptrdiff_t>(index), child);
    child->parent = &parent;
}

void xmlRemoveChild(XmlObject& child) {
    if (XmlObject* parent = child.parent) {
        auto& from = child.kind == XmlObject::Kind::Attribute ? parent->attributes : parent->children;
        from.erase(std::remove(from.begin(), from.end(), &child), from.end());
    }
    child.parent = nullptr;
}

XmlListObject* xmlChildren(Machine& m, Object* o, const XmlName& name) {
    XmlListObject* result = newXmlList(m, o, &name);
    if (XmlObject* x = o->asXml()) {
        collectMatches(*x, name, result->items);
    } else if (XmlListObject* list = o->asXmlList()) {
        for (XmlObject* item : list->items)
            if (item->kind == XmlObject::Kind::Element) collectMatches(*item, name, result->items);
    }
    return result;
}

Value xmlGetProperty(Machine& m, Object* o, const Name& name) {
    uint32_t index;
    if (m.isArrayIndex(name, index)) {
        if (XmlObject* x = o->asXml()) return index == 0 ? Value::object(x) : Value();
        XmlListObject* list = o->asXmlList();
        return index < list->items.size() ? Value::object(list->items[index]) : Value();
    }
    return Value::object(xmlChildren(m, o, xmlNameOf(m, name)));
}

void xmlSetProperty(Machine& m, Object* o, const Name& name, const Value& value) {
    uint32_t index;
    bool indexed = m.isArrayIndex(name, index);
    if (XmlObject* x = o->asXml()) {
        if (indexed) m.throwError("TypeError", 1087, "Assignment to indexed XML is not allowed.");
        setOnNode(m, *x, xmlNameOf(m, name), value);
        return;
    }
    XmlListObject* list = o->asXmlList();
    if (indexed) {
        if (index < list->items.size()) {
            XmlObject* replacement = nullptr;
            replaceNode(m, *list->items[index], value, &replacement);
            if (replacement) list->items[index] = replacement;
            return;
        }
        if (list->items.size() >= ArrayObject::kMaxLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
        if (!list->target || !list->targetHasName) {
            for (XmlObject* n : xmlNodesOf(m, value)) list->items.push_back(n);
            return;
        }
        if (XmlObject* made = createTarget(m, *list)) {
            XmlObject* replacement = nullptr;
            replaceNode(m, *made, value, &replacement);
            if (replacement) list->items.back() = replacement;
        }
        return;
    }
    if (list->items.empty()) createTarget(m, *list);
    if (list->items.size() != 1)
        m.throwError("TypeError", 1089, "Assignment to lists with more than one item is not supported.");
    setOnNode(m, *list->items[0], xmlNameOf(m, name), value);
}

bool xmlDeleteProperty(Machine& m, Object* o, const Name& name) {
    uint32_t index;
    bool indexed = m.isArrayIndex(name, index);
    if (XmlObject* x = o->asXml()) {
        if (indexed) return true;
        removeMatches(*x, xmlNameOf(m, name));
        return true;
    }
    XmlListObject* list = o->asXmlList();
    if (indexed) {
        if (index < list->items.size()) {
            xmlRemoveChild(*list->items[index]);
            list->items.erase(list->items.begin() + index);
        }
        return true;
    }
    XmlName n = xmlNameOf(m, name);
    for (XmlObject* item : list->items)
        if (item->kind == XmlObject::Kind::Element) removeMatches(*item, n);
    return true;
}

bool xmlHasProperty(Machine& m, Object* o, const Name& name, bool withPrototypes) {
    uint32_t index;
    if (m.isArrayIndex(name, index)) {
        if (o->asXml()) return index == 0;
        return index < o->asXmlList()->items.size();
    }
    XmlName n = xmlNameOf(m, name);
    if (!xmlChildren(m, o, n)->items.empty()) return true;
    // `in` also finds what the prototypes hold (their methods).
    if (!withPrototypes || n.attribute || !name.isPublic(m.namespaces())) return false;
    int depth = 0;
    for (Object* p = o->proto(); p && depth < 64; p = p->proto(), ++depth)
        if (p->findOwn(name.local)) return true;
    return false;
}

Value xmlCallFallback(Machine& m, Object* o, const Name& name, std::span<const Value> args) {
    if (name.isPublic(m.namespaces())) {
        int depth = 0;
        for (Object* p = o->proto(); p && depth < 64; p = p->proto(), ++depth)
            if (Value* f = p->findOwn(name.local); f && f->asObject() && f->asObject()->asFunction())
                return m.call(*f, Value::object(o), args);
    }
    if (XmlListObject* list = o->asXmlList()) {
        if (list->items.size() == 1) return m.callProperty(Value::object(list->items[0]), name, args);
        if (m.builtins().xml->instanceTraits->find(m.namespaces().publicNs(), name.local))
            m.throwError("TypeError", 1086, "The " + name.local + " method only works on lists containing one item.");
    } else if (o->asXml()->hasSimpleContent()) {
        return m.callProperty(Value::string(m.toString(Value::object(o))), name, args);
    }
    m.throwError("TypeError", 1006, name.local + " is not a function.");
}

XmlListObject* xmlDescendants(Machine& m, const Value& v, const XmlName& name) {
    XmlListObject* result = newXmlList(m);
    std::vector<XmlObject*> roots = xmlNodesOf(m, v);
    for (XmlObject* root : roots) {
        // Preorder: a node's attributes (for @ names), then each child and what is under it.
        std::vector<std::pair<XmlObject*, size_t>> stack{{root, 0}};
        if (name.attribute) collectMatches(*root, name, result->items);
        while (!stack.empty()) {
            auto& [node, next] = stack.back();
            if (next >= node->children.size()) {
                stack.pop_back();
                continue;
            }
            XmlObject* child = node->children[next++];
            m.step();
            if (name.attribute) {
                if (child->kind == XmlObject::Kind::Element) collectMatches(*child, name, result->items);
            } else if (name.matches(*child)) {
                result->items.push_back(child);
            }
            if (child->kind == XmlObject::Kind::Element) stack.emplace_back(child, 0);
        }
    }
    return result;
}

Value xmlDescendantsOperator(Machine& m, const Value& v, const Name& name) {
    if (!isXmlValue(v))
        m.throwError("TypeError", 1016, "Descendants operator (..) not supported on type " + m.describeForError(v) + ".");
    return Value::object(xmlDescendants(m, v, xmlNameOf(m, name)));
}

void xmlCheckFilter(Machine& m, const Value& v) {
    if (!isXmlValue(v))
        m.throwError("TypeError", 1123, "Filter operator not supported on type " + m.describeForError(v) + ".");
}

bool xmlDeepEquals(const XmlObject& a, const XmlObject& b) {
    std::vector<std::pair<const XmlObject*, const XmlObject*>> pending{{&a, &b}};
    while (!pending.empty()) {
        auto [x, y] = pending.back();
        pending.pop_back();
        if (x == y) continue;
        if (x->kind != y->kind || x->local != y->local || x->uri != y->uri || x->value != y->value ||
            x->attributes.size() != y->attributes.size() || x->children.size() != y->children.size())
            return false;
        for (const XmlObject* attr : x->attributes)
            if (std::none_of(y->attributes.begin(), y->attributes.end(), [&](const XmlObject* other) {
                    return other->local == attr->local && other->uri == attr->uri && other->value == attr->value;
                }))
                return false;
        for (size_t i = 0; i < x->children.size(); ++i) pending.emplace_back(x->children[i], y->children[i]);
    }
    return true;
}

std::optional<bool> xmlLooseEquals(Machine& m, const Value& a, const Value& b) {
    // QNames are equal by URI and local name, namespaces by URI.
    for (ClassObject* c : {m.builtins().qname, m.builtins().namespaceClass}) {
        Object* x = a.asObject();
        Object* y = b.asObject();
        if (!x || !y || x->classObject() != c || y->classObject() != c) continue;
        auto same = [&](const char* name) {
            Value* p = x->findOwn(name);
            Value* q = y->findOwn(name);
            return m.strictEquals(p ? *p : Value(), q ? *q : Value());
        };
        return same("uri") && (c != m.builtins().qname || same("localName"));
    }
    if (XmlListObject* list = listOf(a)) {
        if (XmlListObject* other = listOf(b)) {
            if (other->items.size() != list->items.size()) return false;
            for (size_t i = 0; i < list->items.size(); ++i)
                if (!*xmlLooseEquals(m, Value::object(list->items[i]), Value::object(other->items[i]))) return false;
            return true;
        }
        if (list->items.empty()) return b.isUndefined();
        if (list->items.size() == 1) return xmlLooseEquals(m, Value::object(list->items[0]), b);
        return false;
    }
    if (listOf(b)) return xmlLooseEquals(m, b, a);
    XmlObject* x = xmlOf(a);
    XmlObject* y = xmlOf(b);
    if (!x && !y) return std::nullopt;
    if (x && y) {
        auto leaf = [](const XmlObject* n) { return n->kind == XmlObject::Kind::Text || n->kind == XmlObject::Kind::Attribute; };
        if ((leaf(x) && y->hasSimpleContent()) || (leaf(y) && x->hasSimpleContent()))
            return m.toString(a) == m.toString(b);
        return xmlDeepEquals(*x, *y);
    }
    const Value& node = x ? a : b;
    const Value& other = x ? b : a;
    if (other.isNullish()) return false;
    if ((x ? x : y)->hasSimpleContent()) {
        if (other.isObject()) return m.looseEquals(Value::string(m.toString(node)), other);
        return m.toString(node) == m.toString(other);
    }
    return m.looseEquals(Value::string(m.toString(node)), other);
}

XmlListObject* xmlConcat(Machine& m, const Value& a, const Value& b) {
    XmlListObject* list = newXmlList(m);
    for (const Value* v : {&a, &b})
        for (XmlObject* n : xmlNodesOf(m, *v)) list->items.push_back(n);
    return list;
}

std::string escapeXmlElement(Machine& m, const Value& v) {
    if (isXmlValue(v)) return m.toString(m.callProperty(v, Name::qualified(m.namespaces().publicNs(), "toXMLString"), {}));
    return escapeElementValue(m.toString(v));
}

}  // namespace swf::avm2
