#pragma once
// Helpers the native classes of flash.events and flash.display share.

#include <string>

#include "swf/avm2/Builtins.h"
#include "swf/avm2/DisplayHandle.h"
#include "swf/avm2/Machine.h"
#include "swf/avm2/StageBridge.h"

namespace swf::avm2 {

// The movie's stage bridge; a machine without a movie has no display to work on.
inline StageBridge& bridgeOf(Machine& m) {
    if (StageBridge* bridge = m.stageBridge()) return *bridge;
    m.throwError("Error", 2012, "This class cannot be used without a movie.");
}

// `self` as the native object a method works on, or the player's TypeError.
template <class T>
T& nativeSelf(Machine& m, const Value& self) {
    if (auto* native = dynamic_cast<T*>(self.asObject())) return *native;
    m.throwError("TypeError", 1034,
                 "Type Coercion failed: cannot convert " + m.describeForError(self) + " to the receiver's class.");
}

// A native method of a class's instances, found as a trait (so also on the scope chain).
inline void defineNativeMethod(Machine& m, ClassObject* cls, const std::string& name, NativeFunction function,
                               uint32_t arity = 0) {
    Binding b;
    b.kind = Binding::Kind::Method;
    b.method = m.newNative(std::move(function), arity);
    cls->instanceTraits->bind(m.namespaces().publicNs(), name, b);
}

inline void defineConstants(Machine& m, ClassObject* cls, std::initializer_list<std::pair<const char*, const char*>> constants) {
    (void)m;
    for (const auto& [name, value] : constants) {
        cls->setOwn(name, Value::string(value));
        cls->setEnumerable(name, false);
    }
}

}  // namespace swf::avm2
