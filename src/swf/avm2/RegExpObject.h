#pragma once
// A RegExp instance: its compiled program, the text and flags it was made from, and lastIndex.

#include <memory>
#include <string>

#include "swf/avm2/Object.h"
#include "swf/avm2/RegExpProgram.h"

namespace swf::avm2 {

class RegExpObject : public Object {
  public:
    using Object::Object;

    std::shared_ptr<const RegExpProgram> program;
    std::string source;
    bool global = false;
    RegExpProgram::Flags flags;
    double lastIndex = 0;
};

}  // namespace swf::avm2
