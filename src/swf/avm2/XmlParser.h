#pragma once
// Reads XML markup into nodes of the machine's heap, as the XML and XMLList constructors do:
// the text is read as the content of an element, so it may hold several nodes or bare text.
// Markup comes from scripts and movies, so the reader loops over the text with a stack of
// open elements (no recursion) and gives malformed markup the player's TypeError.

#include <string>
#include <string_view>
#include <vector>

#include "swf/avm2/XmlObject.h"

namespace swf::avm2 {

class Machine;

// The XML class's settings, read by parsing and printing.
struct XmlSettings {
    bool ignoreComments = true;
    bool ignoreProcessingInstructions = true;
    bool ignoreWhitespace = true;
    bool prettyPrinting = true;
    int prettyIndent = 2;
};

// A new, empty node of `kind` (an instance of XML).
XmlObject* newXmlNode(Machine& m, XmlObject::Kind kind);

class XmlParser {
  public:
    XmlParser(Machine& m, const XmlSettings& settings) : m_(m), settings_(settings) {}
    // The nodes at the top level of `text`, read inside an element that declares `inScope`.
    std::vector<XmlObject*> parse(std::string_view text, const std::vector<XmlNamespace>& inScope = {});

  private:
    [[noreturn]] void fail(int code, const std::string& message);
    void readMarkup(std::vector<XmlObject*>& open);
    void readStartTag(std::vector<XmlObject*>& open);
    void readEndTag(std::vector<XmlObject*>& open);
    void readText(std::vector<XmlObject*>& open);
    std::string readName();
    // Text with its entities replaced.
    static std::string decode(std::string_view raw);
    void resolveNames(XmlObject& element);
    void add(std::vector<XmlObject*>& open, XmlObject* node);
    bool startsWith(std::string_view prefix) const { return text_.substr(pos_, prefix.size()) == prefix; }
    size_t find(std::string_view what) const { return text_.find(what, pos_); }

    Machine& m_;
    const XmlSettings& settings_;
    std::string_view text_;
    size_t pos_ = 0;
    std::vector<XmlObject*> top_;
    // The declarations of the open elements, outermost first, and where each element's start.
    std::vector<XmlNamespace> declared_;
    std::vector<size_t> declaredMarks_;
    const std::vector<XmlNamespace>* inScope_ = nullptr;
};

// Whitespace as XML defines it.
bool isXmlSpace(char c);
std::string_view trimXmlSpace(std::string_view text);
// True when `name` is an XML name without a colon (a local name or a prefix).
bool isXmlNcName(std::string_view name);

}  // namespace swf::avm2
