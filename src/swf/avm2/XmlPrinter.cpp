#include "swf/avm2/XmlPrinter.h"

#include <algorithm>
#include <vector>

#include "swf/script/Marker.h"
#include "swf/avm2/Machine.h"
#include "swf/avm2/XmlListObject.h"

namespace swf::avm2 {

namespace {

class Printer {
  public:
    explicit Printer(const XmlSettings& settings)
        : pretty_(settings.prettyPrinting), step_(std::clamp(settings.prettyIndent, 0, 64)) {}

    std::string print(const XmlObject& root) {
        inScope_ = inheritedNamespaces(root);
        declared_.clear();
        open(root, 0, true);
        while (!stack_.empty()) {
            Frame& f = stack_.back();
            if (f.next < f.node->children.size()) {
                const XmlObject& child = *f.node->children[f.next++];
                int indent = pretty_ && f.indentChildren ? f.indent + step_ : 0;
                if (pretty_ && f.indentChildren) out_ += '\n';
                open(child, indent, false);
                continue;
            }
            if (pretty_ && f.indentChildren) {
                out_ += '\n';
                out_.append(static_cast<size_t>(f.indent), ' ');
            }
            out_ += "</" + f.qualified + ">";
            declared_.resize(f.declaredMark);
            stack_.pop_back();
            checkSize();
        }
        return std::move(out_);
    }

  private:
    struct Frame {
        const XmlObject* node;
        int indent;
        size_t next;
        bool indentChildren;
        std::string qualified;
        size_t declaredMark;
    };

    // The namespaces the ancestors of `node` declare, nearest first, one per prefix.
    static std::vector<XmlNamespace> inheritedNamespaces(const XmlObject& node) {
        std::vector<XmlNamespace> found;
        for (const XmlObject* p = node.parent; p; p = p->parent)
            for (const XmlNamespace& ns : p->declarations)
                if (std::none_of(found.begin(), found.end(), [&](const XmlNamespace& f) { return f.prefix == ns.prefix; }))
                    found.push_back(ns);
        return found;
    }

    // The binding of `prefix` among what is declared so far, innermost first.
    const XmlNamespace* binding(const std::string& prefix) const {
        for (size_t i = declared_.size(); i-- > 0;)
            if (declared_[i].prefix == prefix) return &declared_[i];
        return nullptr;
    }

    // The prefix to print for `uri`, declaring it on this element when nothing in scope binds it.
    std::string prefixFor(const XmlObject& node, std::vector<XmlNamespace>& newDeclarations) {
        if (node.uri.empty()) return "";
        if (const XmlNamespace* b = binding(node.prefix); b && b->uri == node.uri) return node.prefix;
        for (size_t i = declared_.size(); i-- > 0;)
            if (declared_[i].uri == node.uri && binding(declared_[i].prefix) == &declared_[i] &&
                !(node.kind == XmlObject::Kind::Attribute && declared_[i].prefix.empty()))
                return declared_[i].prefix;
        XmlNamespace ns{node.prefix, node.uri};
        declared_.push_back(ns);
        newDeclarations.push_back(ns);
        return ns.prefix;
    }

    void open(const XmlObject& node, int indent, bool top) {
        if (pretty_) out_.append(static_cast<size_t>(indent), ' ');
        switch (node.kind) {
            case XmlObject::Kind::Text:
                if (node.cdata) out_ += "<![CDATA[" + node.value + "]]>";
                else out_ += escapeElementValue(pretty_ ? trimXmlSpace(node.value) : std::string_view(node.value));
                return;
            case XmlObject::Kind::Attribute: out_ += escapeAttributeValue(node.value); return;
            case XmlObject::Kind::Comment: out_ += "<!--" + node.value + "-->"; return;
            case XmlObject::Kind::Instruction: out_ += "<?" + node.local + " " + node.value + "?>"; return;
            case XmlObject::Kind::Element: break;
        }
        size_t mark = declared_.size();
        std::vector<XmlNamespace> newDeclarations;
        auto declare = [&](const XmlNamespace& ns) {
            const XmlNamespace* b = binding(ns.prefix);
            if (b && b->uri == ns.uri) return;
            declared_.push_back(ns);
            newDeclarations.push_back(ns);
        };
        if (top)
            for (const XmlNamespace& ns : inScope_) declare(ns);
        for (const XmlNamespace& ns : node.declarations) declare(ns);
        std::string prefix = prefixFor(node, newDeclarations);
        std::string qualified = prefix.empty() ? node.local : prefix + ":" + node.local;
        std::string attributes;
        for (const XmlObject* a : node.attributes) {
            std::string p = prefixFor(*a, newDeclarations);
            attributes += " " + (p.empty() ? a->local : p + ":" + a->local) + "=\"" + escapeAttributeValue(a->value) + "\"";
        }
        out_ += "<" + qualified + attributes;
        for (const XmlNamespace& ns : newDeclarations)
            out_ += " xmlns" + (ns.prefix.empty() ? std::string() : ":" + ns.prefix) + "=\"" + escapeAttributeValue(ns.uri) + "\"";
        if (node.children.empty()) {
            out_ += "/>";
            declared_.resize(mark);
            return;
        }
        out_ += ">";
        bool indentChildren = node.children.size() > 1 || node.children[0]->kind != XmlObject::Kind::Text;
        stack_.push_back({&node, indent, 0, indentChildren, std::move(qualified), mark});
        checkSize();
    }

    void checkSize() const {
        if (out_.size() > Machine::kMaxStringLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
    }

    bool pretty_;
    int step_;
    std::string out_;
    std::vector<Frame> stack_;
    std::vector<XmlNamespace> inScope_;
    std::vector<XmlNamespace> declared_;
};

}  // namespace

namespace {

// Text escapes '>'; attribute values escape quotes and the line breaks and tabs that
// reading would turn into spaces.
std::string escapeXml(std::string_view text, bool attribute) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>' && !attribute) out += "&gt;";
        else if (c == '"' && attribute) out += "&quot;";
        else if (c == '\n' && attribute) out += "&#xA;";
        else if (c == '\r' && attribute) out += "&#xD;";
        else if (c == '\t' && attribute) out += "&#x9;";
        else out += c;
    }
    return out;
}

}  // namespace

std::string escapeElementValue(std::string_view text) { return escapeXml(text, false); }
std::string escapeAttributeValue(std::string_view text) { return escapeXml(text, true); }

std::string xmlToXmlString(const XmlObject& node, const XmlSettings& settings) { return Printer(settings).print(node); }

std::string xmlListToXmlString(const XmlListObject& list, const XmlSettings& settings) {
    std::string out;
    for (size_t i = 0; i < list.items.size(); ++i) {
        if (i > 0) out += '\n';
        out += xmlToXmlString(*list.items[i], settings);
        if (out.size() > Machine::kMaxStringLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
    }
    return out;
}

std::string xmlToString(const XmlObject& node, const XmlSettings& settings) {
    if (node.hasSimpleContent()) return node.textContent();
    return xmlToXmlString(node, settings);
}

std::string xmlListToString(const XmlListObject& list, const XmlSettings& settings) {
    if (!list.hasSimpleContent()) return xmlListToXmlString(list, settings);
    std::string out;
    for (const XmlObject* item : list.items)
        if (item->kind != XmlObject::Kind::Comment && item->kind != XmlObject::Kind::Instruction) out += item->textContent();
    return out;
}

}  // namespace swf::avm2
