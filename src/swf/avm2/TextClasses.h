#pragma once
// flash.text as scripts see it: TextField over the engine's text fields, TextFormat over its
// text formats, Font over its fonts, and the constant classes.

#include "swf/avm2/Object.h"
#include "swf/text/TextFormat.h"

namespace swf::avm2 {

class ClassObject;
class Machine;

// An instance of flash.text.TextFormat.
class TextFormatObject : public Object {
  public:
    using Object::Object;
    TextFormat format;
};

void installTextFormatClasses(Machine& m);
void installTextField(Machine& m, ClassObject* interactiveObject);
void installFontClass(Machine& m);

// A new TextFormat holding `format`.
Value newTextFormat(Machine& m, const TextFormat& format);
// The format a TextFormat holds, or null for anything else.
const TextFormat* textFormatOf(const Value& value);

}  // namespace swf::avm2
