#include "swf/avm1/machine/NativeMember.h"

#include "swf/avm1/machine/Machine.h"

namespace swf::avm1 {

Value native::nothing(Machine&, Object*, std::span<const Value>) {
    return Value();
}

Value native::thisObject(Machine&, Object* self, std::span<const Value>) {
    return Value(self);
}

Value native::none(Machine&, Object*, std::span<const Value>) {
    return Value(Null{});
}

Value native::no(Machine&, Object*, std::span<const Value>) {
    return Value(false);
}

void installMembers(Machine& m, Object* on, std::span<const NativeMember> members) {
    NativeRegistry& registry = m.natives();
    for (const NativeMember& member : members) {
        Property p;
        p.flags = member.flags;
        switch (member.kind) {
            case NativeMember::Kind::Method:
                p.value = Value(m.newFunction(member.code));
                break;
            case NativeMember::Kind::Accessor:
                p.getter = m.newFunction(member.code);
                if (member.setter) p.setter = m.newFunction(member.setter);
                p.accessorId = m.newAccessorId();
                break;
            case NativeMember::Kind::Constant:
                p.value = member.constant == member.constant ? Value(member.constant)
                                                             : Value::constantNaN();
                break;
            case NativeMember::Kind::Boolean:
                p.value = Value(member.constant != 0);
                break;
            case NativeMember::Kind::Text:
                p.value = Value(member.text);
                break;
            case NativeMember::Kind::Undefined:
                break;
        }
        on->defineOwn(member.name, std::move(p));
        if (member.number.given()) registry.add(member.number, member.code);
        if (member.setterNumber.given()) registry.add(member.setterNumber, member.setter);
    }
}

Function* installClass(Machine& m, Object* on, Object* prototype, const NativeClass& type) {
    Function* ctor = m.defineClass(on, type.name, prototype, type.constructor,
                                   type.maker ? InstanceMaker(type.maker) : InstanceMaker());
    if (type.number.given()) m.natives().add(type.number, type.constructor, type.maker);
    installMembers(m, ctor, type.statics);
    installMembers(m, prototype, type.methods);
    return ctor;
}

void hideBefore(Object* on, std::string_view name, int version) {
    const std::vector<std::string> names{std::string(name)};
    on->changeFlags(&names, NativeMember{}.since(version).flags, 0);
}

}  // namespace swf::avm1
