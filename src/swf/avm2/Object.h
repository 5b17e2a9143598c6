#pragma once
// An object of the ActionScript 3 heap: fixed slots laid out by its class's traits, dynamic
// properties in the order they were added, and a prototype for what neither holds.

#include <string>
#include <unordered_map>
#include <vector>

#include "swf/avm2/Value.h"

namespace swf::avm2 {

class ArrayObject;
class ClassObject;
class FunctionObject;
class Marker;
class Traits;
class XmlListObject;
class XmlObject;

class Object {
  public:
    Object(ClassObject* klass, Object* proto);
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    ClassObject* classObject() const { return class_; }
    Object* proto() const { return proto_; }
    void setProto(Object* proto) { proto_ = proto; }
    // The traits of the fixed properties (null for none) and their slot values.
    const Traits* traits() const { return traits_; }
    void setTraits(const Traits* traits);
    std::vector<Value>& slots() { return slots_; }

    // Sealed objects (instances of non-dynamic classes) take no new properties.
    bool isDynamic() const { return dynamic_; }
    void setDynamic(bool dynamic) { dynamic_ = dynamic; }

    Value* findOwn(const std::string& name);
    void setOwn(const std::string& name, Value value);
    bool deleteOwn(const std::string& name);
    bool isEnumerable(const std::string& name) const;
    void setEnumerable(const std::string& name, bool enumerable);
    // The names of the own dynamic properties that enumerate, in order (for-in).
    size_t ownCount() const { return dynamicNames_.size(); }
    // The name at position `index` of the own dynamic properties, or null past the end.
    const std::string* ownNameAt(size_t index) const;

    virtual ArrayObject* asArray() { return nullptr; }
    virtual FunctionObject* asFunction() { return nullptr; }
    virtual ClassObject* asClass() { return nullptr; }
    virtual XmlObject* asXml() { return nullptr; }
    virtual XmlListObject* asXmlList() { return nullptr; }
    // Elements enumerated by index before the dynamic properties (an Array's, an XMLList's).
    virtual size_t indexedLength() const { return 0; }
    virtual Value indexedItem(size_t index) const {
        (void)index;
        return Value();
    }
    // Marks what this object holds.
    virtual void trace(Marker& marker) const;

  private:
    friend class Heap;
    friend class Marker;

    ClassObject* class_;
    Object* proto_;
    const Traits* traits_ = nullptr;
    std::vector<Value> slots_;
    std::vector<std::string> dynamicNames_;
    std::vector<Value> dynamicValues_;
    std::vector<bool> enumerable_;
    std::unordered_map<std::string, size_t> index_;
    bool dynamic_ = true;
    bool marked_ = false;
};

}  // namespace swf::avm2
