#pragma once
// An object of the ActionScript 3 heap: fixed slots laid out by its class's traits, dynamic
// properties in the order they were added, and a prototype for what neither holds.

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "swf/avm2/Value.h"
#include "swf/script/Collectable.h"

namespace swf::avm2 {

class ArrayObject;
class ClassObject;
class FunctionObject;
class Machine;
class Traits;
class XmlListObject;
class XmlObject;
struct Name;
using script::Marker;

class Object : public script::Collectable {
  public:
    Object(ClassObject* klass, Object* proto);

    ClassObject* classObject() const { return class_; }
    void setClassObject(ClassObject* klass) { class_ = klass; }
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
    // Positions of the own dynamic properties, in the order they were added (for-in). A deleted
    // property leaves its position empty until more are added, so that a for-in deleting as
    // it goes misses none.
    size_t ownCount() const { return dynamicNames_.size(); }
    // The name at position `index`, or null for an empty position or past the end.
    const std::string* ownNameAt(size_t index) const;

    // Properties held outside slots and names (a ByteArray's bytes, a Dictionary's object
    // keys), asked before the ordinary lookup; nothing (or false) leaves a name to it.
    virtual std::optional<Value> getKeyed(Machine&, const Name&) { return std::nullopt; }
    virtual bool setKeyed(Machine&, const Name&, const Value&) { return false; }
    virtual std::optional<bool> hasKeyed(const Name&) { return std::nullopt; }
    virtual std::optional<bool> deleteKeyed(const Name&) { return std::nullopt; }
    // True when a runtime name given to this object stays an object (Dictionary keys).
    virtual bool keysByIdentity() const { return false; }
    // Keys for-in visits after the dynamic names, and their values.
    virtual size_t keyedCount() const { return 0; }
    virtual Value keyedName(size_t) const { return Value(); }
    virtual Value keyedValue(size_t) const { return Value(); }

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
    void trace(Marker& marker) const override;

  private:
    // Closes the positions deleted properties left.
    void compact();

    ClassObject* class_;
    Object* proto_;
    const Traits* traits_ = nullptr;
    std::vector<Value> slots_;
    std::vector<std::string> dynamicNames_;
    std::vector<Value> dynamicValues_;
    std::vector<bool> enumerable_;
    std::vector<bool> deleted_;
    size_t deletedCount_ = 0;
    std::unordered_map<std::string, size_t> index_;
    bool dynamic_ = true;
};

}  // namespace swf::avm2
