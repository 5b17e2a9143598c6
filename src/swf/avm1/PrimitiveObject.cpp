#include "swf/avm1/PrimitiveObject.h"

#include "swf/avm1/Machine.h"
#include "swf/avm1/StringFunctions.h"

namespace swf::avm1 {

bool PrimitiveObject::getSpecial(Machine& machine, std::string_view name, Value& out) {
    if (!value_.isString() || name != "length") return false;
    out = Value(static_cast<double>(stringLength(value_.asString(), machine.swfVersion())));
    return true;
}

}  // namespace swf::avm1
