#pragma once
// The fixed properties of a class's instances (or of a class, a script or an activation): each
// name bound to a slot, a constant, a method or a getter and setter pair. A subclass's traits
// start as a copy of its base's, then add and override.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "swf/avm2/Namespaces.h"
#include "swf/avm2/Value.h"
#include "swf/script/Collectable.h"

namespace swf::avm2 {

class Object;

// How a slot coerces what is stored in it.
enum class SlotType : uint8_t { Any, Int, UInt, Number, Boolean, String, Object };

struct Binding {
    enum class Kind : uint8_t { Slot, Const, Method, Accessor };
    Kind kind = Kind::Slot;
    uint32_t slot = 0;
    Object* method = nullptr;  // a function taking the receiver as `this`
    Object* getter = nullptr;
    Object* setter = nullptr;
};

class Traits {
  public:
    struct Key {
        const Ns* ns;
        std::string name;
        bool operator==(const Key& other) const { return ns == other.ns && name == other.name; }
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            return std::hash<std::string>()(k.name) ^ (std::hash<const void*>()(k.ns) << 1);
        }
    };

    Traits() = default;
    explicit Traits(const Traits* base);

    const Binding* find(const Ns* ns, const std::string& name) const;
    // The first binding of `name` in any of the namespaces, in the set's order.
    const Binding* find(std::span<const Ns* const> set, const std::string& name) const;
    // A binding of `name` in any namespace (for names that leave it open).
    const Binding* findAnyNamespace(const std::string& name) const;
    Binding& bind(const Ns* ns, const std::string& name, Binding binding);
    // A slot at `slotId` (1-based, as files number them; 0 takes the next free one).
    uint32_t addSlot(uint32_t slotId, SlotType type, Value initial);
    static constexpr uint32_t kMaxSlots = 1u << 16;
    size_t slotCount() const { return slotTypes_.size(); }
    SlotType slotType(uint32_t slot) const { return slotTypes_[slot]; }
    const std::vector<Value>& initialSlots() const { return initial_; }
    // Visits each binding (for enumeration of public names, e.g. by describeType).
    void forEach(const std::function<void(const Key&, const Binding&)>& visit) const;
    void trace(script::Marker& marker) const;

  private:
    std::unordered_map<Key, Binding, KeyHash> bindings_;
    std::vector<SlotType> slotTypes_;
    std::vector<Value> initial_;
};

}  // namespace swf::avm2
