#include "swf/avm2/XmlParser.h"

#include "swf/avm2/Machine.h"
#include "swf/format/Utf8.h"

namespace swf::avm2 {

namespace {

constexpr const char* kXmlUri = "http://www.w3.org/XML/1998/namespace";

bool isNameStart(char c) {
    auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

}  // namespace

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view trimXmlSpace(std::string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && isXmlSpace(text[begin])) ++begin;
    while (end > begin && isXmlSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool isXmlNcName(std::string_view name) {
    if (name.empty() || !isNameStart(name[0]) || name[0] == ':') return false;
    for (char c : name)
        if (!isNameChar(c) || c == ':') return false;
    return true;
}

XmlObject* newXmlNode(Machine& m, XmlObject::Kind kind) {
    ClassObject* xml = m.builtins().xml;
    auto* node = m.heap().make<XmlObject>(xml, xml->prototype, kind);
    node->setTraits(xml->instanceTraits.get());
    node->setDynamic(false);
    return node;
}

void XmlParser::fail(int code, const std::string& message) { m_.throwError("TypeError", code, message); }

std::vector<XmlObject*> XmlParser::parse(std::string_view text, const std::vector<XmlNamespace>& inScope) {
    text_ = text;
    pos_ = 0;
    top_.clear();
    declared_.clear();
    declaredMarks_.clear();
    inScope_ = &inScope;
    std::vector<XmlObject*> open;
    while (pos_ < text_.size()) {
        m_.step();
        if (text_[pos_] == '<') readMarkup(open);
        else readText(open);
    }
    if (!open.empty())
        fail(1085, "The element type \"" + open.back()->local + "\" must be terminated by the matching end-tag \"</" +
                       open.back()->local + ">\".");
    return top_;
}

void XmlParser::add(std::vector<XmlObject*>& open, XmlObject* node) {
    if (open.empty()) {
        top_.push_back(node);
        return;
    }
    node->parent = open.back();
    open.back()->children.push_back(node);
}

void XmlParser::readText(std::vector<XmlObject*>& open) {
    size_t end = find("<");
    if (end == std::string_view::npos) end = text_.size();
    std::string_view raw = text_.substr(pos_, end - pos_);
    pos_ = end;
    if (settings_.ignoreWhitespace) {
        raw = trimXmlSpace(raw);
        if (raw.empty()) return;
    }
    XmlObject* node = newXmlNode(m_, XmlObject::Kind::Text);
    node->value = decode(raw);
    add(open, node);
}

void XmlParser::readMarkup(std::vector<XmlObject*>& open) {
    if (startsWith("<!--")) {
        size_t end = text_.find("-->", pos_ + 4);
        if (end == std::string_view::npos) fail(1094, "XML parser failure: Unterminated comment.");
        std::string_view body = text_.substr(pos_ + 4, end - pos_ - 4);
        pos_ = end + 3;
        if (settings_.ignoreComments) return;
        XmlObject* node = newXmlNode(m_, XmlObject::Kind::Comment);
        node->value = std::string(body);
        add(open, node);
    } else if (startsWith("<![CDATA[")) {
        size_t end = text_.find("]]>", pos_ + 9);
        if (end == std::string_view::npos) fail(1091, "XML parser failure: Unterminated CDATA section.");
        XmlObject* node = newXmlNode(m_, XmlObject::Kind::Text);
        node->value = std::string(text_.substr(pos_ + 9, end - pos_ - 9));
        node->cdata = true;
        pos_ = end + 3;
        add(open, node);
    } else if (startsWith("<?")) {
        size_t end = text_.find("?>", pos_ + 2);
        bool declaration = startsWith("<?xml") && pos_ + 5 < text_.size() &&
                           (isXmlSpace(text_[pos_ + 5]) || text_[pos_ + 5] == '?');
        if (end == std::string_view::npos)
            fail(declaration ? 1092 : 1097, declaration ? "XML parser failure: Unterminated XML declaration."
                                                        : "XML parser failure: Unterminated processing instruction.");
        std::string_view body = text_.substr(pos_ + 2, end - pos_ - 2);
        pos_ = end + 2;
        if (declaration || settings_.ignoreProcessingInstructions) return;
        size_t name = 0;
        while (name < body.size() && !isXmlSpace(body[name])) ++name;
        size_t rest = name;
        while (rest < body.size() && isXmlSpace(body[rest])) ++rest;
        XmlObject* node = newXmlNode(m_, XmlObject::Kind::Instruction);
        node->local = std::string(body.substr(0, name));
        node->value = std::string(body.substr(rest));
        add(open, node);
    } else if (startsWith("<!")) {
        // A document type declaration, skipped with its internal subset.
        int brackets = 0;
        size_t i = pos_ + 2;
        for (; i < text_.size(); ++i) {
            if (text_[i] == '[') ++brackets;
            else if (text_[i] == ']') --brackets;
            else if (text_[i] == '>' && brackets <= 0) break;
        }
        if (i >= text_.size()) fail(1093, "XML parser failure: Unterminated DOCTYPE declaration.");
        pos_ = i + 1;
    } else if (startsWith("</")) {
        readEndTag(open);
    } else {
        readStartTag(open);
    }
}

std::string XmlParser::readName() {
    size_t start = pos_;
    if (pos_ < text_.size() && isNameStart(text_[pos_]))
        while (pos_ < text_.size() && isNameChar(text_[pos_])) ++pos_;
    return std::string(text_.substr(start, pos_ - start));
}

void XmlParser::readEndTag(std::vector<XmlObject*>& open) {
    pos_ += 2;
    // The player reads the name and skips whatever else the tag holds.
    std::string name = readName();
    size_t end = find(">");
    if (end == std::string_view::npos) fail(1090, "XML parser failure: element is malformed.");
    pos_ = end + 1;
    if (open.empty()) fail(1088, "The markup in the document following the root element must be well-formed.");
    XmlObject* element = open.back();
    std::string written = element->prefix.empty() ? element->local : element->prefix + ":" + element->local;
    if (name != written)
        fail(1085, "The element type \"" + written + "\" must be terminated by the matching end-tag \"</" + written + ">\".");
    open.pop_back();
    declared_.resize(declaredMarks_.back());
    declaredMarks_.pop_back();
}

void XmlParser::readStartTag(std::vector<XmlObject*>& open) {
    ++pos_;
    std::string name = readName();
    if (name.empty()) fail(1090, "XML parser failure: element is malformed.");
    XmlObject* element = newXmlNode(m_, XmlObject::Kind::Element);
    element->local = name;
    bool empty = false;
    for (;;) {
        m_.step();
        size_t before = pos_;
        while (pos_ < text_.size() && isXmlSpace(text_[pos_])) ++pos_;
        if (pos_ >= text_.size()) fail(1090, "XML parser failure: element is malformed.");
        if (startsWith("/>")) {
            pos_ += 2;
            empty = true;
            break;
        }
        if (text_[pos_] == '>') {
            ++pos_;
            break;
        }
        if (pos_ == before) fail(1090, "XML parser failure: element is malformed.");
        std::string attribute = readName();
        while (pos_ < text_.size() && isXmlSpace(text_[pos_])) ++pos_;
        if (attribute.empty() || pos_ >= text_.size() || text_[pos_] != '=')
            fail(1090, "XML parser failure: element is malformed.");
        ++pos_;
        while (pos_ < text_.size() && isXmlSpace(text_[pos_])) ++pos_;
        if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\''))
            fail(1090, "XML parser failure: element is malformed.");
        size_t end = text_.find(text_[pos_], pos_ + 1);
        if (end == std::string_view::npos) fail(1095, "XML parser failure: Unterminated attribute.");
        std::string value = decode(text_.substr(pos_ + 1, end - pos_ - 1));
        pos_ = end + 1;
        if (attribute == "xmlns" || attribute.starts_with("xmlns:")) {
            std::string prefix = attribute.size() > 5 ? attribute.substr(6) : std::string();
            if (!prefix.empty() && value.empty())
                fail(1098, "Illegal prefix " + prefix + " for no namespace.");
            element->declarations.push_back({prefix, value});
            continue;
        }
        for (XmlObject* a : element->attributes)
            if (a->local == attribute) fail(1090, "XML parser failure: element is malformed.");
        XmlObject* node = newXmlNode(m_, XmlObject::Kind::Attribute);
        node->local = attribute;
        node->value = std::move(value);
        node->parent = element;
        element->attributes.push_back(node);
    }
    resolveNames(*element);
    add(open, element);
    if (!empty) {
        open.push_back(element);
        declaredMarks_.push_back(declared_.size());
        declared_.insert(declared_.end(), element->declarations.begin(), element->declarations.end());
    }
}

void XmlParser::resolveNames(XmlObject& element) {
    auto lookup = [&](const std::string& prefix) -> const std::string* {
        if (prefix == "xml") {
            static const std::string xmlUri = kXmlUri;
            return &xmlUri;
        }
        for (const XmlNamespace& ns : element.declarations)
            if (ns.prefix == prefix) return &ns.uri;
        for (size_t i = declared_.size(); i-- > 0;)
            if (declared_[i].prefix == prefix) return &declared_[i].uri;
        for (const XmlNamespace& ns : *inScope_)
            if (ns.prefix == prefix) return &ns.uri;
        return nullptr;
    };
    auto split = [&](XmlObject& node, bool isAttribute) {
        size_t colon = node.local.find(':');
        if (colon == std::string::npos) {
            if (!isAttribute)
                if (const std::string* uri = lookup("")) node.uri = *uri;
            return;
        }
        std::string prefix = node.local.substr(0, colon);
        std::string local = node.local.substr(colon + 1);
        if (!isXmlNcName(prefix) || !isXmlNcName(local))
            fail(1084, "Element or attribute (\"" + node.local +
                           "\") does not match QName production: QName::=(NCName':')?NCName.");
        const std::string* uri = lookup(prefix);
        if (!uri) fail(1083, "The prefix \"" + prefix + "\" for element \"" + local + "\" is not bound.");
        node.prefix = prefix;
        node.uri = *uri;
        node.local = local;
    };
    split(element, false);
    for (XmlObject* a : element.attributes) split(*a, true);
}

std::string XmlParser::decode(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            out += raw[i];
            continue;
        }
        size_t semi = raw.find(';', i);
        if (semi == std::string_view::npos || semi - i > 12) {
            out += raw[i];
            continue;
        }
        std::string_view entity = raw.substr(i + 1, semi - i - 1);
        char32_t c = 0;
        if (entity == "amp") c = '&';
        else if (entity == "lt") c = '<';
        else if (entity == "gt") c = '>';
        else if (entity == "quot") c = '"';
        else if (entity == "apos") c = '\'';
        else if (entity.size() > 1 && entity[0] == '#') {
            bool hex = entity[1] == 'x' || entity[1] == 'X';
            std::string_view digits = entity.substr(hex ? 2 : 1);
            uint32_t v = 0;
            bool ok = !digits.empty();
            for (char d : digits) {
                int digit = d >= '0' && d <= '9' ? d - '0'
                            : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                            : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                          : -1;
                if (digit < 0 || v > 0x10FFFF) ok = false;
                if (!ok) break;
                v = v * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
            }
            if (ok && v > 0 && v <= 0x10FFFF) c = v;
        }
        if (c == 0) {
            out += raw[i];
            continue;
        }
        appendUtf8(out, c);
        i = semi;
    }
    return out;
}

}  // namespace swf::avm2
