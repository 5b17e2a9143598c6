#pragma once
// Prints XML as the player's toXMLString does: escaping, namespace declarations, and with
// prettyPrinting the children of complex content on lines of their own, indented. Trees may
// be deeper than the C++ stack allows, so the printer keeps its own stack.

#include <string>
#include <string_view>

#include "swf/avm2/XmlParser.h"

namespace swf::avm2 {

class XmlListObject;

std::string escapeElementValue(std::string_view text);
std::string escapeAttributeValue(std::string_view text);
std::string xmlToXmlString(const XmlObject& node, const XmlSettings& settings);
std::string xmlListToXmlString(const XmlListObject& list, const XmlSettings& settings);
// toString: the text of simple content, toXMLString otherwise.
std::string xmlToString(const XmlObject& node, const XmlSettings& settings);
std::string xmlListToString(const XmlListObject& list, const XmlSettings& settings);

}  // namespace swf::avm2
