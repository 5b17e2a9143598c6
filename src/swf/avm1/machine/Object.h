#pragma once
// A script object: its own properties in the order they were made, a prototype, and hooks
// through which kinds of object with properties of their own (arrays, display objects) answer
// before the table does.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "swf/avm1/machine/Value.h"
#include "swf/format/LetterCase.h"
#include "swf/script/Collectable.h"

namespace swf::avm1 {

class Function;
class Heap;
class Machine;
class StageObject;
using script::Marker;

// ASSetPropFlags bits. The version bits hide a property from movies older than the version.
enum PropertyFlag : uint16_t {
    kDontEnum = 1,
    kDontDelete = 2,
    kReadOnly = 4,
    kVersion6 = 1 << 7,
    kHiddenIn6 = 1 << 8,  // hides from SWF 6 movies only
    kVersion7 = 1 << 10,
    kVersion8 = 1 << 12,
    kVersion9 = 1 << 13,
    kVersion10 = 1 << 14,
    kVersionFlags = kVersion6 | kHiddenIn6 | kVersion7 | kVersion8 | kVersion9 | kVersion10,
};

struct Property {
    Value value;
    Object* getter = nullptr;  // addProperty's functions; a property with either is virtual
    Object* setter = nullptr;
    uint16_t flags = 0;
    // Names this getter/setter pair for the bound on accessors running inside one another;
    // a pair made again (deleted and added back) starts afresh.
    uint32_t accessorId = 0;
    bool isVirtual() const { return getter || setter; }
};

class Object : public script::Collectable {
  public:
    explicit Object(Object* proto = nullptr) : proto_(proto) {}

    // The prototype, unless the link is hidden from this movie's version.
    Object* proto() const { return visibleFlags(protoFlags_) ? proto_ : nullptr; }
    void setProto(Object* proto) {
        proto_ = proto;
        protoFlags_ = 0;
    }
    // SWF 5 has no Function class: a function's __proto__ link is hidden there (and with it
    // call, apply and the inherited methods) until ASSetPropFlags uncovers it.
    void hideProtoBefore6() { protoFlags_ = kVersion6; }
    // Whether the object has a prototype link, visible to this version or not.
    bool hasProtoLink() const { return proto_ != nullptr; }
    Heap& heap() const { return *heap_; }

    // The own property of that name visible to this movie's version, or null.
    Property* findOwn(std::string_view name);
    // The own property of that name, hidden from this version or not, or null.
    Property* findOwnAnyVersion(std::string_view name) {
        Entry* e = find(name);
        return e ? &e->property : nullptr;
    }
    bool hasOwnAnyVersion(std::string_view name) const { return find(name) != nullptr; }
    // Sets an own value, making the property (with `flags`) when it is new; a read-only one
    // stays as it is. A virtual property's setter is the caller's business.
    void setOwn(std::string_view name, Value value, uint16_t flags = 0);
    // Makes or replaces the property, flags and all, read-only or not.
    void defineOwn(std::string_view name, Property property);
    // False when there is no such property or it may not be deleted.
    bool deleteOwn(std::string_view name);
    // The names of the own properties in the order they were made (DontEnum ones included),
    // by default only those visible to this movie's version.
    void ownNames(std::vector<std::string>& names, bool anyVersion = false) const;
    // Changes the flags as ASSetPropFlags does; null `names` means every property.
    void changeFlags(const std::vector<std::string>* names, uint16_t set, uint16_t clear);
    size_t ownCount() const { return entries_.size(); }

    // Hooks of the kinds with properties of their own; true when they answered.
    virtual bool getSpecial(Machine&, std::string_view, Value&) { return false; }
    virtual bool setSpecial(Machine&, std::string_view, const Value&) { return false; }
    // Extra own names for enumeration (array indexes are plain properties: none by default).
    virtual void specialNames(Machine&, std::vector<std::string>&) {}

    // What typeof says and what the default toString calls the object.
    virtual const char* typeOf() const { return "object"; }
    virtual Function* asFunction() { return nullptr; }
    virtual StageObject* asStageObject() { return nullptr; }
    // A primitive the object stands for (String, Number, Boolean objects, dates), if any.
    virtual bool primitiveValue(Value&) const { return false; }

    // Marks the objects this one refers to.
    void trace(Marker& marker) const override;

    // The prototypes of the interfaces ImplementsOp gave a class prototype, for instanceof
    // (null for an interface that matches nothing).
    std::vector<Object*> interfaces;

  private:
    friend class Heap;
    struct Entry {
        std::string name;
        Property property;
    };
    Entry* find(std::string_view name);
    const Entry* find(std::string_view name) const;
    bool visible(const Property& p) const { return visibleFlags(p.flags); }
    // Most properties, and most prototype links, carry no version flag: they need no look at
    // the movie's version.
    bool visibleFlags(uint16_t flags) const {
        return !(flags & kVersionFlags) || visibleInVersion(flags);
    }
    bool visibleInVersion(uint16_t flags) const;
    void rebuildIndex();

    Object* proto_;
    uint16_t protoFlags_ = 0;
    Heap* heap_ = nullptr;
    std::vector<Entry> entries_;
    // Name to entries, once the table is large: code of any version looks it up, and code
    // that minds case picks the exact name among the matches.
    std::unordered_multimap<std::string, uint32_t, FoldedNameHash, FoldedNameEqual> index_;
};

}  // namespace swf::avm1
