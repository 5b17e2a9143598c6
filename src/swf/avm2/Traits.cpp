#include "swf/avm2/Traits.h"

#include "swf/script/Marker.h"

namespace swf::avm2 {

Traits::Traits(const Traits* base) {
    if (!base) return;
    bindings_ = base->bindings_;
    slotTypes_ = base->slotTypes_;
    initial_ = base->initial_;
}

const Binding* Traits::find(const Ns* ns, const std::string& name) const {
    auto it = bindings_.find(Key{ns, name});
    return it == bindings_.end() ? nullptr : &it->second;
}

const Binding* Traits::find(std::span<const Ns* const> set, const std::string& name) const {
    for (const Ns* ns : set)
        if (const Binding* b = find(ns, name)) return b;
    return nullptr;
}

const Binding* Traits::findAnyNamespace(const std::string& name) const {
    for (const auto& [key, binding] : bindings_)
        if (key.name == name) return &binding;
    return nullptr;
}

Binding& Traits::bind(const Ns* ns, const std::string& name, Binding binding) {
    Binding& slot = bindings_[Key{ns, name}];
    // A getter and a setter declared apart make one accessor pair.
    if (binding.kind == Binding::Kind::Accessor && slot.kind == Binding::Kind::Accessor) {
        if (binding.getter) slot.getter = binding.getter;
        if (binding.setter) slot.setter = binding.setter;
        return slot;
    }
    slot = binding;
    return slot;
}

uint32_t Traits::addSlot(uint32_t slotId, SlotType type, Value initial) {
    size_t index = slotTypes_.size();
    if (slotId > 0 && slotId <= kMaxSlots) index = slotId - 1;
    if (index >= slotTypes_.size()) {
        slotTypes_.resize(index + 1, SlotType::Any);
        initial_.resize(index + 1);
    }
    slotTypes_[index] = type;
    initial_[index] = std::move(initial);
    return static_cast<uint32_t>(index);
}

void Traits::forEach(const std::function<void(const Key&, const Binding&)>& visit) const {
    for (const auto& [key, binding] : bindings_) visit(key, binding);
}

void Traits::trace(script::Marker& marker) const {
    for (const auto& [key, binding] : bindings_) {
        marker.mark(binding.method);
        marker.mark(binding.getter);
        marker.mark(binding.setter);
    }
    for (const Value& v : initial_) marker.mark(v);
}

}  // namespace swf::avm2
