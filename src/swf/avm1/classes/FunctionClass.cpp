// Function: call and apply.

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"

namespace swf::avm1 {
namespace {

// The `this` of call and apply: a missing, undefined or null one is _global, and so is a
// primitive when the global class of its type is gone.
Object* thisOf(Machine& m, std::span<const Value> args) {
    Object* object = args.empty() ? nullptr : m.toObject(args[0]);
    return object ? object : m.global();
}

Value functionConstruct(Machine& m, Object* self, std::span<const Value> args) {
    if (m.constructing()) return Value(self);
    // Function(x) gives x back as it is; Function() a bare object.
    if (!args.empty()) return args[0];
    return Value(m.heap().make<Object>(nullptr));
}

Value functionCall(Machine& m, Object* self, std::span<const Value> args) {
    Object* thisObject = thisOf(m, args);
    return m.call(Value(self), thisObject, args.empty() ? args : args.subspan(1));
}

Value functionApply(Machine& m, Object* self, std::span<const Value> args) {
    Object* thisObject = thisOf(m, args);
    std::vector<Value> list;
    if (args.size() > 1)
        if (auto* array = dynamic_cast<ArrayObject*>(args[1].asObject()))
            for (uint32_t i = 0; i < array->length() && i < 65536; ++i)
                list.push_back(array->at(i));
    return m.call(Value(self), thisObject, list);
}

constexpr NativeMember kFunctionMethods[] = {
    native::method("call", functionCall),
    native::method("apply", functionApply),
};

}  // namespace

void installFunctionClass(Machine& m) {
    installClass(m, m.global(), m.prototypes().function,
                 {"Function", functionConstruct, nullptr, {}, {}, kFunctionMethods});
    // SWF 5 movies have no Function class to name.
    std::vector<std::string> name{"Function"};
    m.global()->changeFlags(&name, kVersion6, 0);
}

}  // namespace swf::avm1
