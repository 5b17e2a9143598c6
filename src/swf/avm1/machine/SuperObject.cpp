#include "swf/avm1/machine/SuperObject.h"

#include "swf/avm1/machine/Machine.h"

namespace swf::avm1 {

Value SuperObject::callConstructor(Machine& machine, std::span<const Value> args) {
    // A clip in the chain is passed by as a primitive would be.
    if (home_->asStageObject()) return Value();
    Value constructor = machine.methodPastResolve(home_, "__constructor__");
    Object* above = home_->proto();
    Function* function = constructor.isObject() ? constructor.asObject()->asFunction() : nullptr;
    if (function && function->isNative() && self_)
        return machine.constructNative(*function, self_, args);
    return machine.call(constructor, self_, args, above);
}

Value SuperObject::callMethod(Machine& machine, std::string_view name,
                              std::span<const Value> args) {
    Object* above = home_->proto();
    // A clip in the chain is passed by as a primitive would be.
    if (home_->asStageObject() || !above || above->asStageObject()) return Value();
    Value method = machine.get(Value(above), name);
    return machine.call(method, self_, args, calleeHome(machine, above, name));
}

Object* SuperObject::calleeHome(Machine& machine, Object* above, std::string_view name) {
    // From SWF 7 the player reads the prototype above for the method itself, and failing that
    // takes the method from further up with the next prototype as its home, wherever it was
    // found: a method two prototypes up runs its own super from the one in between.
    if (machine.swfVersion() < 7 || machine.holderOf(above, name) == above) return above;
    return above->proto() ? above->proto() : above;
}

bool SuperObject::getSpecial(Machine& machine, std::string_view name, Value& out) {
    Object* above = home_->proto();
    out = above ? machine.get(Value(above), name) : Value();
    return true;
}

void SuperObject::trace(Marker& marker) const {
    Object::trace(marker);
    marker.mark(self_);
    marker.mark(home_);
}

}  // namespace swf::avm1
