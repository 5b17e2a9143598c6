#pragma once
// What the natives of XML, XMLList, QName and Namespace share. The XML class's settings
// belong to one machine; its natives hold them.

#include <memory>
#include <string>

#include "swf/avm2/FunctionObject.h"
#include "swf/avm2/XmlAccess.h"
#include "swf/avm2/XmlParser.h"

namespace swf::avm2 {

class ClassObject;
using XmlSettingsRef = std::shared_ptr<XmlSettings>;

// `self` as XML or XMLList, or the player's TypeError naming the method.
Object* xmlSelf(Machine& m, const Value& self, const char* method);
// The methods XML and XMLList both have: selecting children, attributes, descendants, text,
// printing and comparing.
// A method of XML or XMLList: a trait of its instances and a function of its prototype.
void defineXmlMethod(Machine& m, ClassObject* cls, const std::string& name, NativeFunction function, uint32_t arity = 0);
void defineXmlCommonMethods(Machine& m, ClassObject* cls, const XmlSettingsRef& settings);
void installXmlListClass(Machine& m, const XmlSettingsRef& settings);
void installXmlNameClasses(Machine& m);  // QName and Namespace
Value newQName(Machine& m, const Value& uri, const std::string& local);
Value newNamespace(Machine& m, const Value& prefix, const std::string& uri);
// The nodes markup or a value gives (XML and XMLList as they are, text parsed).
std::vector<XmlObject*> xmlNodesFromValue(Machine& m, const XmlSettings& settings, const Value& v);

}  // namespace swf::avm2
