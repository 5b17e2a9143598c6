// flash.utils.Dictionary: a dynamic object whose object keys keep their identity.
#include "swf/avm2/DictionaryObject.h"
#include "swf/avm2/LanguageClasses.h"
#include "swf/avm2/NativeSupport.h"

namespace swf::avm2 {

void installDictionaryClass(Machine& m) {
    ClassObject* cls = m.defineClass("flash.utils", "Dictionary", m.builtins().object);
    cls->setOwn("length", Value::number(1));
    cls->setEnumerable("length", false);
    cls->allocate = [](Machine& m, ClassObject* type) -> Object* {
        return m.heap().make<DictionaryObject>(type, type->prototype);
    };
    cls->nativeInitializer = [](Machine& m, const Value& self, std::span<const Value> args) {
        auto& dictionary = nativeSelf<DictionaryObject>(m, self);
        if (Machine::toBoolean(argAt(args, 0)) && !dictionary.weakKeys) {
            dictionary.weakKeys = true;
            m.heap().watchWeak(&dictionary);
        }
        return Value();
    };
}

}  // namespace swf::avm2
