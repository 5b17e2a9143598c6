#pragma once
// A class: its static traits and slots are its own, its instance traits lay out its
// instances, and its prototype holds what instances share dynamically.

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "swf/avm2/FunctionObject.h"
#include "swf/avm2/Namespaces.h"
#include "swf/avm2/Traits.h"

namespace swf::avm2 {

class ClassObject : public Object {
  public:
    ClassObject(ClassObject* classClass, Object* proto) : Object(classClass, proto) {}

    ClassObject* asClass() override { return this; }
    void trace(Marker& marker) const override;
    // True when this class is `other` or derives from it or implements it.
    bool isSubclassOf(const ClassObject* other) const;

    std::string name;  // as getQualifiedClassName gives it ("flash.display::MovieClip")
    const Ns* ns = nullptr;
    std::string localName;
    ClassObject* base = nullptr;
    std::vector<ClassObject*> interfaces;
    std::unique_ptr<Traits> instanceTraits;
    std::unique_ptr<Traits> classTraits;
    Object* prototype = nullptr;
    FunctionObject* initializer = nullptr;  // the instance initializer of an ABC class
    bool sealed = false;
    bool isInterface = false;
    // Native classes: what calling the class does (conversion), what `new` does when it
    // makes no ordinary instance (String, Number, ...), and how instances are allocated.
    NativeFunction call;
    std::function<Value(Machine&, std::span<const Value>)> construct;
    std::function<Object*(Machine&, ClassObject*)> allocate;
    // Native classes: the initializer run on a new instance (after allocation, before or
    // instead of an ABC subclass's constructsuper reaching it).
    NativeFunction nativeInitializer;
    // Generic classes (Vector): the class for the given type parameters (applytype).
    std::function<Value(Machine&, std::span<const Value>)> applyType;
};

}  // namespace swf::avm2
