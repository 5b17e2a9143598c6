#include "swf/avm1/machine/PrimitiveObject.h"

#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/StringFunctions.h"

namespace swf::avm1 {

bool PrimitiveObject::getSpecial(Machine& machine, std::string_view name, Value& out) {
    // String.prototype holds "" but has no length.
    if (!value_.isString() || name != "length" || machine.prototypes().string == this) return false;
    out = Value(static_cast<double>(stringLength(value_.asString(), machine.swfVersion())));
    return true;
}

std::string PrimitiveObject::ownTextOf(Machine& machine, const Value& value) {
    if (auto* p = dynamic_cast<PrimitiveObject*>(value.asObject()); p && p->value_.isString())
        return p->value_.asString();
    return machine.toString(value);
}

}  // namespace swf::avm1
