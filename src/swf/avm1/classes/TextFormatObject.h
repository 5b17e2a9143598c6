#pragma once
// TextFormat objects: a text format every attribute of which may be unset (null to scripts).

#include "swf/avm1/machine/Object.h"
#include "swf/text/TextFormat.h"

namespace swf::avm1 {

class Machine;

class TextFormatObject : public Object {
  public:
    explicit TextFormatObject(Object* proto) : Object(proto) {}
    TextFormat format;
};

// A new TextFormat object (of the class the global TextFormat names) holding `format`.
Value makeTextFormat(Machine& machine, const TextFormat& format);
// The format a TextFormat object holds, or null for anything else.
const TextFormat* textFormatOf(const Value& value);

}  // namespace swf::avm1
