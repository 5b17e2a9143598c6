#pragma once
// The XML class's parser: a document's text to a flat list of elements and text nodes, the
// way the original player reads it. It is no validating parser: names are whatever stands
// between the delimiters, comments vanish, CDATA becomes text, every <?...?> is appended to
// the XML declaration and the last <!...> is the document type. At the first error it stops
// and reports the player's status code; what was read until then stays in the document.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace swf::avm1 {

struct XmlParsedNode {
    int32_t parent = -1;  // index in XmlParseResult::nodes; -1 is the document itself
    bool isElement = false;
    std::string text;  // an element's name, a text node's (decoded) value
    // In source order; a repeated name keeps its first value.
    std::vector<std::pair<std::string, std::string>> attributes;
};

struct XmlParseResult {
    std::vector<XmlParsedNode> nodes;  // document order: a parent before its children
    std::optional<std::string> xmlDecl;
    std::optional<std::string> docTypeDecl;
    int status = 0;
};

class XmlParser {
  public:
    // XML.status values.
    enum Status {
        kOk = 0,
        kCdataNotTerminated = -2,
        kXmlDeclNotTerminated = -3,
        kDocTypeNotTerminated = -4,
        kCommentNotTerminated = -5,
        kMalformedElement = -6,
        kOutOfMemory = -7,  // also: past the bounds below
        kAttributeNotTerminated = -8,
        kStartTagNotClosed = -9,
        kEndTagWithoutStart = -10,
    };
    static constexpr size_t kMaxDepth = 256;
    static constexpr size_t kMaxNodes = 500'000;

    // `swfVersion` decides how numeric character references are encoded (bytes before 6).
    static XmlParseResult parse(std::string_view text, bool ignoreWhite, int swfVersion);

    // &lt; &gt; &amp; &quot; &apos; and decimal &#N; (digits first, anything up to the ';'
    // after them ignored); everything else, unknown entities included, stays as it is.
    static std::string decodeEntities(std::string_view text, int swfVersion);
    // The five characters toString writes as entities.
    static void appendEscaped(std::string& out, std::string_view text);
};

}  // namespace swf::avm1
