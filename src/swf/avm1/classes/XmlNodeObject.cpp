#include "swf/avm1/classes/XmlNodeObject.h"

#include <utility>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/machine/Heap.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/classes/XmlParser.h"

namespace swf::avm1 {
namespace {

// Where a qualified name splits; npos when it has no prefix.
size_t prefixEnd(std::string_view name) {
    size_t colon = name.find(':');
    return colon == std::string_view::npos || colon + 1 == name.size() ? std::string_view::npos
                                                                       : colon;
}

}  // namespace

std::string_view XmlNodeObject::prefixOf(std::string_view name) {
    size_t end = prefixEnd(name);
    return end == std::string_view::npos ? std::string_view() : name.substr(0, end);
}

std::optional<std::string_view> XmlNodeObject::declaredPrefix(std::string_view attributeName) {
    if (!attributeName.starts_with("xmlns")) return std::nullopt;
    if (attributeName.size() > 5 && attributeName[5] == ':') return attributeName.substr(6);
    return std::string_view();
}

void XmlNodeObject::settleNamespace(Machine& machine) {
    if (type_ != kElement || !name_) return;
    namespaceUri_ = namespaceForPrefix(machine, prefixOf(*name_)).value_or(std::string());
}

std::optional<std::string> XmlNodeObject::prefix() const {
    if (!name_) return std::nullopt;
    return std::string(prefixOf(*name_));
}

std::optional<std::string> XmlNodeObject::localName() const {
    if (!name_) return std::nullopt;
    size_t end = prefixEnd(*name_);
    return end == std::string_view::npos ? *name_ : name_->substr(end + 1);
}

XmlNodeObject* XmlNodeObject::previousSibling() const {
    return parent_ && indexInParent_ > 0 ? parent_->children_[indexInParent_ - 1] : nullptr;
}

XmlNodeObject* XmlNodeObject::nextSibling() const {
    return parent_ && indexInParent_ + 1 < parent_->children_.size()
               ? parent_->children_[indexInParent_ + 1]
               : nullptr;
}

Object* XmlNodeObject::attributes() {
    if (!attributes_) attributes_ = heap().make<Object>(nullptr);
    return attributes_;
}

ArrayObject* XmlNodeObject::childNodes(Machine& machine) {
    if (!childNodes_) {
        childNodes_ = machine.newArray();
        refreshChildNodes(machine);
    }
    return childNodes_;
}

bool XmlNodeObject::isSelfOrAncestorOf(const XmlNodeObject* node) const {
    // A node without children is nobody's ancestor: building a long chain stays linear.
    if (children_.empty()) return node == this;
    for (; node; node = node->parent_)
        if (node == this) return true;
    return false;
}

bool XmlNodeObject::appendChild(Machine& machine, XmlNodeObject* child) {
    if (!child || child->parent_ == this || child->isSelfOrAncestorOf(this)) return false;
    child->removeFromParent(machine);
    insertAt(machine, child, children_.size());
    return true;
}

bool XmlNodeObject::insertBefore(Machine& machine, XmlNodeObject* child, XmlNodeObject* before) {
    if (!child || !before || before->parent_ != this || child->parent_ == this ||
        child->isSelfOrAncestorOf(this))
        return false;
    // The child comes from another parent, so `before` keeps its index here.
    child->removeFromParent(machine);
    insertAt(machine, child, before->indexInParent_);
    return true;
}

void XmlNodeObject::insertAt(Machine& machine, XmlNodeObject* child, size_t index) {
    size_t oldCount = children_.size();
    children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(index), child);
    child->parent_ = this;
    for (size_t i = index; i < children_.size(); ++i) children_[i]->indexInParent_ = i;
    childrenChanged(machine, index, oldCount);
}

void XmlNodeObject::removeFromParent(Machine& machine) {
    XmlNodeObject* parent = parent_;
    if (!parent) return;
    size_t index = indexInParent_;
    size_t oldCount = parent->children_.size();
    parent->children_.erase(parent->children_.begin() + static_cast<std::ptrdiff_t>(index));
    for (size_t i = index; i < parent->children_.size(); ++i)
        parent->children_[i]->indexInParent_ = i;
    parent_ = nullptr;
    indexInParent_ = 0;
    parent->childrenChanged(machine, index, oldCount);
}

void XmlNodeObject::removeAllChildren(Machine& machine) {
    size_t oldCount = children_.size();
    for (XmlNodeObject* child : children_) {
        child->parent_ = nullptr;
        child->indexInParent_ = 0;
    }
    children_.clear();
    childrenChanged(machine, 0, oldCount);
}

void XmlNodeObject::adoptParsedChild(XmlNodeObject* child) {
    child->parent_ = this;
    child->indexInParent_ = children_.size();
    children_.push_back(child);
}

void XmlNodeObject::refreshChildNodes(Machine& machine) {
    if (!childNodes_) return;
    childNodes_->setLength(machine, static_cast<int32_t>(children_.size()));
    for (size_t i = 0; i < children_.size(); ++i)
        childNodes_->setAt(static_cast<uint32_t>(i), Value(children_[i]));
}

void XmlNodeObject::childrenChanged(Machine& machine, size_t from, size_t oldCount) {
    if (!childNodes_) return;
    // The array is rewritten from the first change on, so that appending to a long list
    // stays cheap; when the script changed the array's length it is rewritten whole.
    if (childNodes_->signedLength() != static_cast<int64_t>(oldCount)) {
        refreshChildNodes(machine);
        return;
    }
    childNodes_->setLength(machine, static_cast<int32_t>(children_.size()));
    for (size_t i = from; i < children_.size(); ++i)
        childNodes_->setAt(static_cast<uint32_t>(i), Value(children_[i]));
}

std::vector<std::pair<std::string, Value>> XmlNodeObject::attributeList(Machine& machine) const {
    std::vector<std::pair<std::string, Value>> list;
    if (!attributes_) return list;
    // Enumerated by hand: the object has no prototype, and its own table in reverse is the
    // for..in order.
    std::vector<std::string> names;
    attributes_->ownNames(names);
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        Property* p = attributes_->findOwn(*it);
        if (!p || (p->flags & kDontEnum)) continue;
        Value value = p->isVirtual() ? machine.get(Value(attributes_), *it) : p->value;
        list.emplace_back(std::move(*it), std::move(value));
    }
    return list;
}

std::optional<std::string> XmlNodeObject::namespaceForPrefix(Machine& machine,
                                                             std::string_view prefix) {
    for (XmlNodeObject* node = this; node; node = node->parent_) {
        for (const auto& [name, value] : node->attributeList(machine)) {
            auto declared = declaredPrefix(name);
            if (declared && *declared == prefix) return machine.toString(value);
        }
    }
    return std::nullopt;
}

std::optional<std::string> XmlNodeObject::prefixForNamespace(Machine& machine,
                                                             std::string_view uri) {
    for (XmlNodeObject* node = this; node; node = node->parent_) {
        for (const auto& [name, value] : node->attributeList(machine)) {
            auto declared = declaredPrefix(name);
            if (declared && machine.toString(value) == uri) return std::string(*declared);
        }
    }
    return std::nullopt;
}

std::string XmlNodeObject::toXmlString(Machine& machine) {
    std::string out;
    for (Field f : {Field::XmlDecl, Field::DocTypeDecl})
        if (const Value* declaration = field(f)) out += machine.toString(*declaration);
    // Writes a node's opening; true when its children follow.
    auto open = [&](XmlNodeObject* node) {
        if (node->type_ != kElement) {
            if (node->value_) {
                Machine::checkLength(out.size() + node->value_->size());
                XmlParser::appendEscaped(out, *node->value_);
            }
            return false;
        }
        if (!node->name_) return !node->children_.empty();
        out += '<';
        out += *node->name_;
        for (const auto& [name, value] : node->attributeList(machine)) {
            std::string text = machine.toString(value);
            Machine::checkLength(out.size() + name.size() + text.size());
            out += ' ';
            out += name;
            out += "=\"";
            XmlParser::appendEscaped(out, text);
            out += '"';
            Machine::checkLength(out.size());
        }
        if (node->children_.empty()) {
            out += " />";
            return false;
        }
        out += '>';
        return true;
    };
    // Iterative, so that deep trees do not deepen the C++ stack. Attribute values may run
    // script that changes the tree, so every index is checked again.
    struct Frame {
        XmlNodeObject* node;
        size_t next;
    };
    std::vector<Frame> stack;
    if (open(this)) stack.push_back({this, 0});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        XmlNodeObject* node = frame.node;
        if (frame.next >= node->children_.size()) {
            if (node->type_ == kElement && node->name_) out += "</" + *node->name_ + ">";
            stack.pop_back();
        } else {
            XmlNodeObject* child = node->children_[frame.next++];
            if (open(child)) stack.push_back({child, 0});
        }
        Machine::checkLength(out.size());
    }
    return out;
}

XmlNodeObject* XmlNodeObject::clone(Machine& machine, bool deep, Object* proto) {
    auto copy = [&](XmlNodeObject* source) {
        auto* node = machine.heap().make<XmlNodeObject>(proto, source->type_);
        node->name_ = source->name_;
        node->value_ = source->value_;
        node->namespaceUri_ = source->namespaceUri_;
        if (source->attributes_) {
            // Made oldest first, so the copy enumerates in the same order.
            auto list = source->attributeList(machine);
            Object* target = node->attributes();
            for (auto it = list.rbegin(); it != list.rend(); ++it)
                target->setOwn(it->first, it->second);
        }
        return node;
    };
    XmlNodeObject* root = copy(this);
    if (!deep) return root;
    std::vector<std::pair<XmlNodeObject*, XmlNodeObject*>> pending{{this, root}};
    while (!pending.empty()) {
        auto [source, target] = pending.back();
        pending.pop_back();
        // Copying may run getters of attributes that change the source: indexes are checked
        // again and each original is held before its copy is made.
        for (size_t i = 0; i < source->children_.size(); ++i) {
            XmlNodeObject* original = source->children_[i];
            XmlNodeObject* child = copy(original);
            target->adoptParsedChild(child);
            pending.emplace_back(original, child);
        }
    }
    return root;
}

const Value* XmlNodeObject::field(Field f) const {
    if (!fields_) return nullptr;
    const Value& value = (*fields_)[static_cast<size_t>(f)];
    return value.isUndefined() ? nullptr : &value;
}

void XmlNodeObject::setField(Field f, Value value) {
    if (!fields_) fields_ = std::make_unique<std::array<Value, kFieldCount>>();
    (*fields_)[static_cast<size_t>(f)] = std::move(value);
}

void XmlNodeObject::trace(Marker& marker) const {
    Object::trace(marker);
    marker.mark(parent_);
    for (XmlNodeObject* child : children_) marker.mark(child);
    marker.mark(attributes_);
    marker.mark(childNodes_);
    if (fields_)
        for (const Value& value : *fields_) marker.mark(value);
}

}  // namespace swf::avm1
