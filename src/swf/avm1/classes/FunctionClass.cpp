// Function: call and apply.

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"

namespace swf::avm1 {

void installFunctionClass(Machine& m) {
    Object* proto = m.prototypes().function;
    m.defineClass(m.global(), "Function", proto,
                  [](Machine& m, Object* self, std::span<const Value> args) {
                      if (m.constructing()) return Value(self);
                      // Function(x) gives x back as it is; Function() a bare object.
                      if (!args.empty()) return args[0];
                      return Value(m.heap().make<Object>(nullptr));
                  });
    // SWF 5 movies have no Function class to name.
    std::vector<std::string> name{"Function"};
    m.global()->changeFlags(&name, kVersion6, 0);
    m.defineMethod(proto, "call", [](Machine& m, Object* self, std::span<const Value> args) {
        Object* thisObject = args.empty() ? nullptr : m.toObject(args[0]);
        return m.call(Value(self), thisObject, args.empty() ? args : args.subspan(1));
    });
    m.defineMethod(proto, "apply", [](Machine& m, Object* self, std::span<const Value> args) {
        Object* thisObject = args.empty() ? nullptr : m.toObject(args[0]);
        std::vector<Value> list;
        if (args.size() > 1)
            if (auto* array = dynamic_cast<ArrayObject*>(args[1].asObject()))
                for (uint32_t i = 0; i < array->length() && i < 65536; ++i)
                    list.push_back(array->at(i));
        return m.call(Value(self), thisObject, list);
    });
}

}  // namespace swf::avm1
