#include "swf/avm2/XmlObject.h"

#include "swf/script/Marker.h"

namespace swf::avm2 {

void XmlObject::trace(Marker& marker) const {
    Object::trace(marker);
    marker.mark(parent);
    for (XmlObject* a : attributes) marker.mark(a);
    for (XmlObject* c : children) marker.mark(c);
}

const char* XmlObject::kindName() const {
    switch (kind) {
        case Kind::Element: return "element";
        case Kind::Attribute: return "attribute";
        case Kind::Text: return "text";
        case Kind::Comment: return "comment";
        case Kind::Instruction: return "processing-instruction";
    }
    return "text";
}

bool XmlObject::hasSimpleContent() const {
    if (kind == Kind::Comment || kind == Kind::Instruction) return false;
    for (const XmlObject* c : children)
        if (c->kind == Kind::Element) return false;
    return true;
}

int XmlObject::childIndex() const {
    if (!parent || kind == Kind::Attribute) return -1;
    for (size_t i = 0; i < parent->children.size(); ++i)
        if (parent->children[i] == this) return static_cast<int>(i);
    return -1;
}

const std::string* XmlObject::resolvePrefix(const std::string& wanted) const {
    for (const XmlObject* p = this; p; p = p->parent)
        for (const XmlNamespace& ns : p->declarations)
            if (ns.prefix == wanted) return &ns.uri;
    return nullptr;
}

std::string XmlObject::textContent() const {
    if (kind != Kind::Element) return value;
    std::string out;
    for (const XmlObject* c : children)
        if (c->kind == Kind::Text) out += c->value;
    return out;
}

}  // namespace swf::avm2
